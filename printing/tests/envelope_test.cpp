#include <printing/envelope.h>
#include <printing/printerops.h>

#include "recordingprinter.h"

#include <QFontDatabase>

#include <gtest/gtest.h>

#include <ostream>

using namespace printing;
using printing::test::DrawnText;
using printing::test::RecordingPrinter;

namespace {

// A column as the envelope draws it: its cells from first drawn to last, the x of all of
// them, the y of the first drawn one and the step to the next (negative: upwards), and the
// font's cell height (0: a point size).
struct Column
{
    QString cells; // one character per cell; "𠮷" counts as one
    int x;
    int y;
    int step;
    int height;
};

struct Scenario
{
    const char *name;
    QSize dpi;
    QSize page;
    QString addr1, addr2, customer, keisyo, name2, biko, top, left;
    bool join;
    QList<int> zipX; // the seven digits' x
    int zipY;
    QList<Column> columns; // address, second address, name, extra name, note as printed
};

void PrintTo(const Scenario &s, std::ostream *os)
{
    *os << s.name;
}

QStringList cellsOf(const QString &s)
{
    QStringList out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size()) {
            out << s.mid(i, 2);
            ++i;
        } else {
            out << QString(s[i]);
        }
    }
    return out;
}

class EnvelopeLayout : public ::testing::TestWithParam<Scenario>
{
};

TEST_P(EnvelopeLayout, EveryCellAtItsPlaceInItsSize)
{
    const Scenario &s = GetParam();
    SlipTexts slip;
    slip.zip = QStringLiteral("123-4567");
    slip.addr1 = s.addr1;
    slip.addr2 = s.addr2;
    slip.name = s.customer;
    EnvelopeOptions o;
    o.FontSet = QStringLiteral("IPAMincho");
    o.Keisyo = s.keisyo;
    o.Name2 = s.name2;
    o.Biko = s.biko;
    o.Topmg = s.top;
    o.LeftMg = s.left;
    o.join = s.join;

    RecordingPrinter printer;
    printer.dpi = s.dpi;
    printer.page = s.page;
    printer.offset = {18, 18}; // the envelope is placed from the printable corner: no effect
    ASSERT_TRUE(Envelope(slip, o).print(printer, nullptr));
    ASSERT_EQ(printer.jobs.size(), 1);
    EXPECT_EQ(printer.jobs[0].title, QStringLiteral("封筒"));
    const QList<DrawnText> &drawn = printer.jobs[0].texts;

    qsizetype i = 0;
    ASSERT_GE(drawn.size(), 7);
    for (int d = 0; d < 7; ++d, ++i) {
        EXPECT_EQ(drawn[i].text, QString(QChar('1' + d)));
        EXPECT_EQ(drawn[i].pos, QPoint(s.zipX[d], s.zipY)) << "digit " << d;
        EXPECT_EQ(drawn[i].font.pointSize, 25);
        EXPECT_EQ(drawn[i].font.height, 0);
        EXPECT_EQ(drawn[i].font.face, QStringLiteral("IPAMincho"));
    }
    for (const Column &c : s.columns) {
        const QStringList cells = cellsOf(c.cells);
        for (qsizetype k = 0; k < cells.size(); ++k, ++i) {
            ASSERT_LT(i, drawn.size()) << c.cells.toStdString();
            EXPECT_EQ(drawn[i].text, cells[k]) << c.cells.toStdString() << " cell " << k;
            EXPECT_EQ(drawn[i].pos, QPoint(c.x, c.y + int(k) * c.step))
                << c.cells.toStdString() << " cell " << k;
            EXPECT_EQ(drawn[i].font.height, c.height) << c.cells.toStdString();
        }
    }
    EXPECT_EQ(i, drawn.size());
}

// 長形4号 printable areas: 1240 × 1417 dots at 360 × 180 dpi (hMax 124, colLen 708) and
// 2026 × 4723 at 600 dpi (hMax 203, colLen 2362).
INSTANTIATE_TEST_SUITE_P(
    Printers, EnvelopeLayout,
    ::testing::Values(
        // 16 address cells keep cells of W / 10; margins 5 mm down and 3 mm left.
        Scenario{"joined16_360x180",
                 {360, 180},
                 {1240, 1417},
                 QStringLiteral("東京都千代田区丸の内"),
                 QStringLiteral("1-2-3号"),
                 QStringLiteral("山田𠮷郎"),
                 QStringLiteral("様"),
                 QStringLiteral("花子"),
                 QStringLiteral("御請求書在中"),
                 QStringLiteral("5"),
                 QStringLiteral("-3"),
                 true,
                 {460, 510, 560, 610, 660, 710, 760},
                 92,
                 {{QStringLiteral("東京都千代田区丸の内一｜二｜三号"), 949, 248, 124, 124},
                  {QStringLiteral("山田𠮷郎 様"), 515, 318, 124, 124},
                  {QStringLiteral("子花"), 391, 690, -124, 124},
                  {QStringLiteral("御請求書在中"), 143, 743, 124, 62}}},
        Scenario{"joined16_600",
                 {600, 600},
                 {2026, 4723},
                 QStringLiteral("東京都千代田区丸の内"),
                 QStringLiteral("1-2-3号"),
                 QStringLiteral("山田𠮷郎"),
                 QStringLiteral("様"),
                 QStringLiteral("花子"),
                 QStringLiteral("御請求書在中"),
                 QStringLiteral("5"),
                 QStringLiteral("-3"),
                 true,
                 {727, 893, 1059, 1225, 1391, 1557, 1723},
                 307,
                 {{QStringLiteral("東京都千代田区丸の内一｜二｜三号"), 1549, 827, 203, 203},
                  {QStringLiteral("山田𠮷郎 様"), 841, 1063, 203, 203},
                  {QStringLiteral("子花"), 638, 1672, -203, 203},
                  {QStringLiteral("御請求書在中"), 232, 2479, 203, 101}}},
        // 17 cells are squeezed into half the page height.
        Scenario{"joined17_360x180",
                 {360, 180},
                 {1240, 1417},
                 QStringLiteral("東京都千代田区丸の内"),
                 QStringLiteral("1-2-3ビル"),
                 QStringLiteral("山田𠮷郎"),
                 QStringLiteral("様"),
                 QStringLiteral("花子"),
                 QStringLiteral("御請求書在中"),
                 QString(),
                 QString(),
                 true,
                 {503, 553, 603, 653, 703, 753, 803},
                 57,
                 {{QStringLiteral("東京都千代田区丸の内一｜二｜三ビル"), 1158, 213, 41, 41},
                  {QStringLiteral("山田𠮷郎 様"), 558, 283, 124, 124},
                  {QStringLiteral("子花"), 434, 655, -124, 124},
                  {QStringLiteral("御請求書在中"), 186, 708, 124, 62}}},
        Scenario{"joined17_600",
                 {600, 600},
                 {2026, 4723},
                 QStringLiteral("東京都千代田区丸の内"),
                 QStringLiteral("1-2-3ビル"),
                 QStringLiteral("山田𠮷郎"),
                 QStringLiteral("様"),
                 QStringLiteral("花子"),
                 QStringLiteral("御請求書在中"),
                 QString(),
                 QString(),
                 true,
                 {798, 964, 1130, 1296, 1462, 1628, 1794},
                 189,
                 {{QStringLiteral("東京都千代田区丸の内一｜二｜三ビル"), 1750, 709, 138, 138},
                  {QStringLiteral("山田𠮷郎 様"), 912, 945, 203, 203},
                  {QStringLiteral("子花"), 709, 1554, -203, 203},
                  {QStringLiteral("御請求書在中"), 303, 2361, 203, 101}}},
        // Two columns: the second one rises from where a long first column ends; 9 cells of
        // 124 would climb above the first column's top, so they are squeezed to 708 / 9.
        // A 20-cell name is squeezed too.
        Scenario{"split9_360x180",
                 {360, 180},
                 {1240, 1417},
                 QStringLiteral("東京都千代田区丸の内"),
                 QStringLiteral("サンハイツ202号"),
                 QStringLiteral("株式会社ゾリカ商店東京本社営業部第一"),
                 QStringLiteral("様"),
                 QString(),
                 QString(),
                 QString(),
                 QString(),
                 false,
                 {503, 553, 603, 653, 703, 753, 803},
                 57,
                 {{QStringLiteral("東京都千代田区丸の内"), 992, 213, 124, 124},
                  {QStringLiteral("号二〇二ツイハンサ"), 914, 921, -78, 78},
                  {QStringLiteral("株式会社ゾリカ商店東京本社営業部第一 様"), 603, 283, 35, 35}}},
        Scenario{"split9_600",
                 {600, 600},
                 {2026, 4723},
                 QStringLiteral("東京都千代田区丸の内"),
                 QStringLiteral("サンハイツ202号"),
                 QStringLiteral("株式会社ゾリカ商店東京本社営業部第一"),
                 QStringLiteral("様"),
                 QString(),
                 QString(),
                 QString(),
                 QString(),
                 false,
                 {798, 964, 1130, 1296, 1462, 1628, 1794},
                 189,
                 {{QStringLiteral("東京都千代田区丸の内"), 1620, 709, 203, 203},
                  {QStringLiteral("号二〇二ツイハンサ"), 1417, 3071, -203, 203},
                  {QStringLiteral("株式会社ゾリカ商店東京本社営業部第一 様"), 954, 945, 118, 118}}},
        Scenario{"split2_360x180",
                 {360, 180},
                 {1240, 1417},
                 QStringLiteral("東京都千代田区丸の内"),
                 QStringLiteral("3F"),
                 QStringLiteral("山田"),
                 QStringLiteral("御中"),
                 QString(),
                 QString(),
                 QString(),
                 QString(),
                 false,
                 {503, 553, 603, 653, 703, 753, 803},
                 57,
                 {{QStringLiteral("東京都千代田区丸の内"), 992, 213, 124, 124},
                  {QStringLiteral("Ｆ三"), 868, 921, -124, 124},
                  {QStringLiteral("山田 御中"), 558, 283, 124, 124}}}));

TEST(Envelope, SecondColumnNeverRisesAboveTheFirst)
{
    // 14 to 16 cells in the second column: the rise must stay below the first column's top.
    SlipTexts slip;
    slip.zip = QStringLiteral("123-4567");
    slip.name = QStringLiteral("山田");
    slip.addr1 = QStringLiteral("東京都");
    EnvelopeOptions o;
    o.join = false;
    for (int n : {1, 5, 6, 14, 16, 17, 40}) {
        slip.addr2 = QString(n, QChar(u'区'));
        const auto items = Envelope(slip, o).layout({600, 600}, {2026, 4723});
        const int firstTop = items[7].pos.y();
        QList<int> ys;
        for (const PrintItem &it : items)
            if (it.text == QStringLiteral("区"))
                ys << it.pos.y();
        ASSERT_EQ(ys.size(), n);
        EXPECT_EQ(ys.first(), 709 + 2362) << n; // the last cell first, at the bottom level
        EXPECT_GE(ys.last(), firstTop) << n;
    }
}

TEST(Envelope, MarginsMustBeFiniteNumbersWithinThePaper)
{
    EXPECT_EQ(parseMargin(QString()), 0);
    EXPECT_EQ(parseMargin(QStringLiteral(" 2.5 ")), 2.5);
    EXPECT_EQ(parseMargin(QStringLiteral("-3")), -3);
    for (const char *bad : {"abc", "inf", "nan", "1e400", "1,5,", "５"}) {
        try {
            parseMargin(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const MarginError &e) {
            EXPECT_EQ(
                QString::fromUtf8(e.what()),
                QStringLiteral("'%1' は浮動小数点数ではありません").arg(QString::fromUtf8(bad)));
        }
    }
    SlipTexts slip;
    slip.name = QStringLiteral("山田");
    slip.addr1 = QStringLiteral("東京都");
    EnvelopeOptions o;
    o.Topmg = QStringLiteral("abc");
    EXPECT_THROW(Envelope(slip, o), MarginError);

    // Finite but off the paper: nothing is printed.
    o.Topmg = QStringLiteral("1e300");
    RecordingPrinter printer;
    EXPECT_THROW(Envelope(slip, o).print(printer, nullptr), MarginError);
    o.Topmg.clear();
    o.LeftMg = QStringLiteral("-500");
    EXPECT_THROW(Envelope(slip, o).print(printer, nullptr), MarginError);
    EXPECT_TRUE(printer.jobs.isEmpty());
}

TEST(Envelope, BlankPostalCodeAndEmptyHonorificKeepTheirCells)
{
    SlipTexts slip;
    slip.zip = QStringLiteral("   -    ");
    slip.name = QStringLiteral("山田");
    slip.addr1 = QStringLiteral("東京都");
    EnvelopeOptions o;
    o.Keisyo.clear();
    const auto items = Envelope(slip, o).layout({600, 600}, {2026, 4723});
    for (int d = 0; d < 7; ++d)
        EXPECT_EQ(items[d].text, QStringLiteral(" "));
    // 7 blanks, 3 address cells, the name with its empty cell at the end.
    ASSERT_EQ(items.size(), 7 + 3 + 3);
    EXPECT_EQ(items.back().text, QStringLiteral(" "));
}

// The default brush face has empty glyphs for the vertical stroke of hyphens: 2-2-1 printed
// as 二 二 一 with gaps. Such a cell is printed in the face's next stand-in; every other cell
// keeps the chosen face.
TEST(Envelope, CellsTheFaceDrawsAsNothingTakeAnotherFace)
{
    if (!QFontDatabase::families().contains(QStringLiteral("AoyagiKouzanFontT")))
        GTEST_SKIP() << "the 行書 brush font (fonts-aoyagi-kouzan-t) is not installed";
    SlipTexts slip;
    slip.name = QStringLiteral("山田");
    slip.addr1 = QStringLiteral("横浜市2-2-1");
    EnvelopeOptions o; // HG行書体, the initial face
    const auto items = Envelope(slip, o).layout({600, 600}, {2026, 4723});
    int strokes = 0;
    for (const PrintItem &item : items) {
        if (item.text == QStringLiteral("｜")) {
            ++strokes;
            EXPECT_EQ(item.font.face, QStringLiteral("IPAMincho"));
        } else if (item.text != QStringLiteral(" ")) {
            EXPECT_EQ(item.font.face, QStringLiteral("HG行書体")) << item.text.toStdString();
        }
    }
    EXPECT_EQ(strokes, 2);
}

TEST(SetPaper, FindsTheEnvelopeByNameOrBySizeInTheDriversOrder)
{
    RecordingPrinter printer;
    printer.paperList = {{9, QStringLiteral("A4"), {210, 297}},
                         {600, QStringLiteral("Env Chou3"), {120, 235}},
                         {501, QStringLiteral("Env Chou4"), {90.3, 205.4}},
                         {502, QStringLiteral("JEnv Chou #4"), {90, 205}}};
    EXPECT_TRUE(SetPaper(printer, QStringLiteral("長形4号")));
    EXPECT_EQ(printer.paperCode, 501);
    EXPECT_EQ(printer.resets, 1);

    printer.paperList.append({74, QStringLiteral("長形4号"), {90, 205}});
    EXPECT_TRUE(SetPaper(printer, QStringLiteral("長形4号")));
    EXPECT_EQ(printer.paperCode, 74); // the exact name wins over a size

    printer.paperList = {{9, QStringLiteral("A4"), {210, 297}},
                         {503, QStringLiteral("Chou4 wide"), {92, 205}}};
    EXPECT_FALSE(SetPaper(printer, QStringLiteral("長形4号")));
    EXPECT_FALSE(printer.paperCode.has_value()); // the driver's default, no size made up
    EXPECT_FALSE(SetPaper(printer, QStringLiteral("Unknown")));
}

TEST(Envelope, CancelledSetupPrintsNothingAndFailureAborts)
{
    SlipTexts slip;
    slip.zip = QStringLiteral("123-4567");
    slip.name = QStringLiteral("山田");
    slip.addr1 = QStringLiteral("東京都");
    RecordingPrinter printer;
    printer.confirmSetup = false;
    EXPECT_FALSE(Envelope(slip, {}).print(printer, nullptr));
    EXPECT_TRUE(printer.jobs.isEmpty());

    printer.confirmSetup = true;
    printer.failAfterTexts = 8;
    EXPECT_THROW(Envelope(slip, {}).print(printer, nullptr), report::PrinterError);
    ASSERT_EQ(printer.jobs.size(), 1);
    EXPECT_TRUE(printer.jobs[0].aborted);
    EXPECT_FALSE(printer.printing());
}

} // namespace
