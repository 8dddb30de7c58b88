#include <printing/kokuyo.h>

#include "recordingprinter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using namespace printing;
using printing::test::RecordingPrinter;

namespace {

SlipTexts sampleSlip()
{
    SlipTexts s;
    s.ymd = QStringLiteral("2024/03/05");
    s.name = QStringLiteral("株式会社テスト");
    s.lines[0] = {QStringLiteral("ボールペン"), QStringLiteral("10"), QStringLiteral("120"),
                  QStringLiteral("1,200"), QStringLiteral("赤")};
    // A quantity longer than its field is printed whole.
    s.lines[1] = {QStringLiteral("ノート"), QStringLiteral("1234567890"), QStringLiteral("5"),
                  QStringLiteral("6,172,839,450"), QString()};
    s.gokei = QStringLiteral("6,172,840,650");
    s.tax = QStringLiteral("617,284,065");
    s.total = QStringLiteral("6,790,124,715");
    return s;
}

Issuer sampleIssuer()
{
    Issuer i;
    i.name = QStringLiteral("ゾリカ商店");
    i.zip = QStringLiteral("150-0001");
    i.addr = QStringLiteral("東京都渋谷区神宮前1-2-3");
    i.tel = QStringLiteral("03-1234-5678");
    i.fax = QStringLiteral("03-1234-5679");
    i.addr2 = QStringLiteral("大阪市北区梅田4-5-6");
    i.tel2 = QStringLiteral("06-9876-5432");
    i.bank1 = QStringLiteral("みずほ銀行 渋谷支店 (普通) 1234567");
    i.bank2 = QStringLiteral("ゆうちょ銀行 (当座) 00100-1-234567");
    return i;
}

// What the page holds, in printing order, without the positions.
std::vector<std::pair<QString, double>> expectedTexts()
{
    const QString blank9 = QString(9, ' ') + ' ';
    const QString blank12(12, ' ');
    std::vector<std::pair<QString, double>> t = {
        {QStringLiteral("2024        03        05"), 10},
        {QStringLiteral("株式会社テスト"), 15},
        {QStringLiteral("ゾリカ商店"), 15},
        {QStringLiteral("〒150-0001 東京都渋谷区神宮前1-2-3"), 9},
        {QStringLiteral("TEL 03-1234-5678  FAX 03-1234-5679"), 9},
        {QStringLiteral("大阪市北区梅田4-5-6"), 9},
        {QStringLiteral("TEL 06-9876-5432"), 9},
        {QStringLiteral("みずほ銀行 渋谷支店 (普通) 1234567"), 9},
        {QStringLiteral("ゆうちょ銀行 (当座) 00100-1-234567"), 9},
        {QStringLiteral("ボールペン"), 10},
        {QStringLiteral("赤"), 9},
        {QStringLiteral("       10 "), 10},
        {QStringLiteral("         120"), 10},
        {QStringLiteral("       1,200"), 10},
        {QStringLiteral("ノート"), 10},
        {QString(), 9},
        {QStringLiteral("1234567890 "), 10},
        {QStringLiteral("           5"), 10},
        {QStringLiteral("6,172,839,450"), 10},
    };
    for (int row = 2; row < 7; ++row) {
        t.insert(t.end(),
                 {{QString(), 10}, {QString(), 9}, {blank9, 10}, {blank12, 10}, {blank12, 10}});
    }
    t.insert(t.end(), {{QStringLiteral("6,172,840,650"), 10},
                       {QStringLiteral(" 617,284,065"), 10},
                       {QStringLiteral("6,790,124,715"), 10}});
    return t;
}

struct Resolution
{
    QSize dpi;
    QPoint offset;
    std::vector<QPoint> positions; // worked out by hand from the form's measures
};

void PrintTo(const Resolution &r, std::ostream *os)
{
    *os << r.dpi.width() << "x" << r.dpi.height() << " dpi";
}

class KokuyoLayout : public ::testing::TestWithParam<Resolution>
{
};

TEST_P(KokuyoLayout, EveryTextAtItsPlaceInItsSize)
{
    const Resolution &r = GetParam();
    RecordingPrinter printer;
    printer.dpi = r.dpi;
    printer.offset = r.offset;
    ASSERT_TRUE(KokuyoSlip(sampleSlip(), sampleIssuer()).print(printer, nullptr));
    ASSERT_EQ(printer.jobs.size(), 1);
    const auto &job = printer.jobs[0];
    EXPECT_EQ(job.title, QStringLiteral("ｺｸﾖ-ｳ334"));
    EXPECT_TRUE(job.ended);
    EXPECT_FALSE(job.aborted);

    const auto texts = expectedTexts();
    ASSERT_EQ(job.texts.size(), qsizetype(texts.size()));
    ASSERT_EQ(r.positions.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const auto &d = job.texts[qsizetype(i)];
        EXPECT_EQ(d.text, texts[i].first) << "item " << i;
        EXPECT_EQ(d.font.pointSize, texts[i].second) << "item " << i;
        EXPECT_EQ(d.font.height, 0) << "item " << i;
        EXPECT_EQ(d.font.face, QStringLiteral("ＭＳ Ｐゴシック"));
        EXPECT_EQ(d.pos, r.positions[i]) << "item " << i << ": " << d.text.toStdString();
    }
}

// 360 × 180 dpi: the 9-point line is 22 dots (22.5 rounded to even), the row step 57 dots,
// and vertical positions follow the vertical resolution.
INSTANTIATE_TEST_SUITE_P(
    Printers, KokuyoLayout,
    ::testing::Values(
        Resolution{{360, 180},
                   {12, 7},
                   {{721, 21},   {225, 163},  {1316, 71},  {1316, 117}, {1316, 139}, {1316, 161},
                    {1316, 183}, {1288, 205}, {1288, 227}, {225, 319},  {225, 341},  {1032, 319},
                    {1217, 319}, {1713, 319}, {225, 376},  {225, 398},  {1032, 376}, {1217, 376},
                    {1713, 376}, {225, 433},  {225, 455},  {1032, 433}, {1217, 433}, {1713, 433},
                    {225, 490},  {225, 512},  {1032, 490}, {1217, 490}, {1713, 490}, {225, 547},
                    {225, 569},  {1032, 547}, {1217, 547}, {1713, 547}, {225, 604},  {225, 626},
                    {1032, 604}, {1217, 604}, {1713, 604}, {225, 661},  {225, 683},  {1032, 661},
                    {1217, 661}, {1713, 661}, {1713, 716}, {1217, 772}, {1996, 772}}},
        Resolution{
            {600, 600},
            {50, 60},
            {{1231, 107},  {404, 580},   {2223, 273},  {2223, 426},  {2223, 501},  {2223, 576},
             {2223, 651},  {2176, 726},  {2176, 801},  {404, 1099},  {404, 1174},  {1751, 1099},
             {2058, 1099}, {2885, 1099}, {404, 1288},  {404, 1363},  {1751, 1288}, {2058, 1288},
             {2885, 1288}, {404, 1477},  {404, 1552},  {1751, 1477}, {2058, 1477}, {2885, 1477},
             {404, 1666},  {404, 1741},  {1751, 1666}, {2058, 1666}, {2885, 1666}, {404, 1855},
             {404, 1930},  {1751, 1855}, {2058, 1855}, {2885, 1855}, {404, 2044},  {404, 2119},
             {1751, 2044}, {2058, 2044}, {2885, 2044}, {404, 2233},  {404, 2308},  {1751, 2233},
             {2058, 2233}, {2885, 2233}, {2885, 2422}, {2058, 2611}, {3357, 2611}}}));

TEST(Kokuyo, EmptyIssuerValuesPrintNothingOnTheirLines)
{
    Issuer issuer = sampleIssuer();
    issuer.zip.clear();
    issuer.fax.clear();
    issuer.addr2.clear();
    issuer.tel2.clear();
    issuer.bank2.clear();
    const QStringList lines = issuerLines(issuer);
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("ゾリカ商店"), QStringLiteral("東京都渋谷区神宮前1-2-3"),
                           QStringLiteral("TEL 03-1234-5678"), QString(), QString(),
                           QStringLiteral("みずほ銀行 渋谷支店 (普通) 1234567"), QString()}));

    // The bank line keeps its place five lines below the address.
    const auto items = KokuyoSlip(sampleSlip(), issuer).layout({600, 600}, {0, 0});
    const auto bank = std::find_if(items.begin(), items.end(), [](const PrintItem &i) {
        return i.text.startsWith(QStringLiteral("みずほ"));
    });
    ASSERT_NE(bank, items.end());
    EXPECT_EQ(bank->pos, QPoint(2126, 366 + 4 * 75));
    EXPECT_EQ(items.size(), 47 - 3);
    EXPECT_EQ(issuerLines(Issuer{}), QStringList(7, QString()));
}

TEST(Kokuyo, BlankSlipPrintsSpacesAndCancelledDialogPrintsNothing)
{
    SlipTexts blank;
    blank.ymd = QStringLiteral("    /  /  ");
    EXPECT_EQ(KokuyoSlip::dateText(blank.ymd), QString(24, ' '));
    EXPECT_EQ(KokuyoSlip::dateText(QString()), QString(16, ' '));

    RecordingPrinter printer;
    printer.confirmSetup = false;
    EXPECT_FALSE(KokuyoSlip(blank, Issuer{}).print(printer, nullptr));
    EXPECT_EQ(printer.setupDialogs, 1);
    EXPECT_TRUE(printer.jobs.isEmpty());

    // Twice in a row: two identical jobs.
    printer.confirmSetup = true;
    KokuyoSlip slip(sampleSlip(), sampleIssuer());
    slip.print(printer, nullptr);
    slip.print(printer, nullptr);
    ASSERT_EQ(printer.jobs.size(), 2);
    ASSERT_EQ(printer.jobs[0].texts.size(), printer.jobs[1].texts.size());
    for (qsizetype i = 0; i < printer.jobs[0].texts.size(); ++i) {
        EXPECT_EQ(printer.jobs[0].texts[i].text, printer.jobs[1].texts[i].text);
        EXPECT_EQ(printer.jobs[0].texts[i].pos, printer.jobs[1].texts[i].pos);
    }
}

TEST(Kokuyo, PrinterFailingHalfWayAbortsTheJobAndReportsIt)
{
    RecordingPrinter printer;
    printer.failAfterTexts = 5;
    EXPECT_THROW(KokuyoSlip(sampleSlip(), sampleIssuer()).print(printer, nullptr),
                 report::PrinterError);
    ASSERT_EQ(printer.jobs.size(), 1);
    EXPECT_TRUE(printer.jobs[0].aborted);
    EXPECT_FALSE(printer.jobs[0].ended);
    EXPECT_FALSE(printer.printing());
}

} // namespace
