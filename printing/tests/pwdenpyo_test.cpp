// The A4 slip report: every label's text and place on the recorded page at 96 dpi, on a
// 600 dpi printer, and in a real PDF file as pdftotext reads it.

#include <printing/pwdenpyo.h>
#include <report/emfpage.h>
#include <report/pdfprinter.h>
#include <report/pwband.h>
#include <report/pwlabel.h>
#include <report/pwprinter.h>
#include <report/pwreport.h>
#include <report/pwshape.h>
#include <testsupport/tempdir.h>
#include <testsupport/testprinter.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace printing;
using report::EmfTextItem;
using testsupport::TestPrinter;
using testsupport::TestPrinterSetup;

namespace {

SlipTexts workedSlip()
{
    SlipTexts s;
    s.kind = QStringLiteral("御 納 品 書");
    s.ymd = QStringLiteral("2014/06/10");
    s.name = QStringLiteral("株式会社ゾリカ商店");
    s.lines[0] = {QStringLiteral("ボールペン（黒）"), QStringLiteral("10"), QStringLiteral("120"),
                  QStringLiteral("1,200"), QStringLiteral("至急")};
    s.lines[1] = {QStringLiteral("コピー用紙 A4"), QStringLiteral("5"), QStringLiteral("450"),
                  QStringLiteral("2,250"), QString()};
    s.gokei = QStringLiteral("3,450");
    s.tax = QStringLiteral("345");
    s.total = QStringLiteral("3,795");
    return s;
}

Issuer shop()
{
    Issuer i;
    i.name = QStringLiteral("ゾリカ文具店");
    i.zip = QStringLiteral("150-0001");
    i.addr = QStringLiteral("東京都渋谷区神宮前1-2-3");
    i.tel = QStringLiteral("03-1234-5678");
    i.fax = QStringLiteral("03-1234-5679");
    return i;
}

enum Align { L, R, C };

// A label of the page: its text, the band's top (tenths of a millimetre on the page), its
// left, top and width in millimetres within the band and its alignment: the text's
// reference point is its left edge, right edge or middle, at the label's top.
struct Expected
{
    const char *name;
    const char *text;
    int bandTop;
    double left, top, width;
    Align align;

    double x() const
    {
        const double l = 100 + left * 10;
        return align == L ? l : align == R ? l + width * 10 : l + width * 5;
    }
    double y() const { return bandTop + top * 10; }
};

constexpr int Title = 100, Detail = 603, Footer = 1187;

// In print order; labels left empty print nothing.
const Expected Page[] = {
    {"TKNAME", "株式会社ゾリカ商店　様", Title, 5.29, 23.81, 0, L},
    {"SYANAME", "ゾリカ文具店", Title, 127.53, 18.52, 0, L},
    {"ADDR", "東京都渋谷区神宮前1-2-3", Title, 127.53, 28.31, 0, L},
    {"TEL", "03-1234-5678", Title, 133.88, 32.54, 0, L},
    {"FAX", "03-1234-5679", Title, 133.88, 36.51, 0, L},
    {"TAITOL", "御 納 品 書", Title, 61.91, 1.32, 66.15, C},
    {"ZIP", "150-0001", Title, 132.56, 24.34, 0, L},
    {"PWLabel4", "品名", Title, 0.53, 44.45, 108.74, C},
    {"PWLabel5", "単価", Title, 123.30, 44.45, 18.52, R},
    {"PWLabel6", "数量", Title, 110.33, 44.45, 11.91, R},
    {"PWLabel7", "金額", Title, 144.20, 44.45, 18.52, R},
    {"PWLabel8", "TEL", Title, 127.26, 32.54, 0, L},
    {"PWLabel9", "FAX", Title, 127.26, 36.51, 0, L},
    {"PWLabel12", "〒", Title, 127.53, 24.34, 0, L},
    {"YMD", "2014年 06月 10日", Title, 61.91, 7.94, 66.15, C},
    {"PWLabel18", "摘　要", Title, 166.42, 44.45, 21.17, C},
    {"HINBAN1", "1", Detail, 0.53, 2.12, 0, L},
    {"HINBAN2", "2", Detail, 0.53, 10.05, 0, L},
    {"HINBAN3", "3", Detail, 0.53, 17.99, 0, L},
    {"HINBAN4", "4", Detail, 0.53, 26.19, 0, L},
    {"HINBAN5", "5", Detail, 0.53, 34.13, 0, L},
    {"HINBAN6", "6", Detail, 0.53, 42.07, 0, L},
    {"HINBAN7", "7", Detail, 0.53, 50.27, 0, L},
    {"HINMEI1", "ボールペン（黒）", Detail, 3.44, 2.12, 0, L},
    {"HINMEI2", "コピー用紙 A4", Detail, 3.44, 10.05, 0, L},
    {"PWLabel1", "至急", Detail, 166.42, 2.65, 0, L},
    {"PWLabel19", "10", Detail, 110.33, 2.65, 13.23, R},
    {"PWLabel20", "5", Detail, 110.33, 10.58, 13.23, R},
    {"PWLabel26", "120", Detail, 123.56, 2.65, 18.26, R},
    {"PWLabel27", "450", Detail, 123.56, 10.58, 18.26, R},
    {"PWLabel33", "1,200", Detail, 144.20, 2.65, 18.52, R},
    {"PWLabel34", "2,250", Detail, 144.20, 10.58, 18.52, R},
    {"SYOKEI", "3,450", Footer, 143.93, 1.85, 18.52, R},
    {"TAX", "345", Footer, 143.93, 7.41, 18.52, R},
    {"GOUKEI", "3,795", Footer, 143.93, 13.23, 18.52, R},
    {"PWLabel2", "小  計", Footer, 128.32, 1.85, 13.23, R},
    {"PWLabel10", "消費税", Footer, 128.32, 7.41, 13.23, R},
    {"PWLabel11", "合  計", Footer, 128.32, 13.23, 13.23, R},
};

// Every label at its place: one text item per label, in print order, its reference point
// where the label puts it at `dpi` (within a device pixel: the millimetres of the layout are
// rounded to 0.01 mm).
void expectLabelsAt(const QList<EmfTextItem> &items, int dpi)
{
    ASSERT_EQ(items.size(), qsizetype(std::size(Page)));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Expected &e = Page[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(items[i].text, QString::fromUtf8(e.text));
        EXPECT_NEAR(items[i].position.x(), e.x() * dpi / 254, 1.0);
        EXPECT_NEAR(items[i].position.y(), e.y() * dpi / 254, 1.0);
    }
}

class PwDenpyo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Labels that inherit their font take the form's on a Japanese system.
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    }
    void TearDown() override { QLocale::setDefault(m_locale); }

private:
    QLocale m_locale;
};

struct PdfWord
{
    QString text;
    double xMin, yMin, xMax, yMax;
};

// The words of a PDF's first page with their boxes in points, as pdftotext -bbox gives them.
QList<PdfWord> pdfWords(const QString &pdf, QSizeF *pageSize)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression pageRe(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    if (const auto m = pageRe.match(html); m.hasMatch())
        *pageSize = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    static const QRegularExpression wordRe(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<PdfWord> words;
    for (auto it = wordRe.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                      m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

} // namespace

TEST_F(PwDenpyo, RecordedPageHoldsEveryLabelAtItsPlace)
{
    const auto installed = TestPrinter::install();
    TPwDenpyo form;
    form.fill(workedSlip(), shop());
    form.PWReport1->Prepare();
    report::TPWPrinter *printer = form.PWReport1->printerObject();
    ASSERT_TRUE(printer);
    ASSERT_EQ(printer->PageCount(), 1);
    const auto page = printer->GetPage(1);
    EXPECT_EQ(page->pixelSize(), QSize(794, 559));
    expectLabelsAt(page->textItems(), 96);

    // The bands where the layout puts them: Y = 100, 603, 1187 at X = 100.
    const int tops[] = {Title, Detail, Footer};
    for (int i = 0; i < 3; ++i) {
        const QRect r = form.PWReport1->bands().at(size_t(i))->printRect;
        EXPECT_EQ(r.left(), qRound(100 * 96 / 254.0));
        EXPECT_EQ(r.top(), qRound(tops[i] * 96 / 254.0));
    }
}

TEST_F(PwDenpyo, PrinterPageHoldsEveryLabelAtItsPlaceAt600Dpi)
{
    TestPrinterSetup setup;
    setup.dpi = 600;
    setup.record = true;
    const auto installed = TestPrinter::install(setup);
    TPwDenpyo form;
    form.fill(workedSlip(), shop());
    form.PWReport1->ShowProgress = false;
    ASSERT_EQ(form.PWReport1->Print(), report::PrintResult::Printed);
    const testsupport::TestPrinterLog &log = TestPrinter::lastLog();
    ASSERT_EQ(log.recorded.size(), 1);
    EXPECT_EQ(log.paperMm, QSizeF(210, 148));
    expectLabelsAt(report::EmfPage::fromBytes(log.recorded.first()).textItems(), 600);
}

TEST_F(PwDenpyo, DateBoxesPrintTheirMarksAlsoWhenBlank)
{
    TPwDenpyo form;
    const struct
    {
        QString ymd;
        QString printed;
    } cases[] = {
        {QStringLiteral("2014/06/10"), QStringLiteral("2014年 06月 10日")},
        {QStringLiteral("    /  /  "), QStringLiteral("    年   月   日")},
        {QString(), QStringLiteral("年 月 日")},
    };
    for (const auto &c : cases) {
        QString value = c.ymd;
        form.YMDPrint(*form.PWReport1->control<report::TPWLabel>(QStringLiteral("YMD")), value);
        EXPECT_EQ(value, c.printed);
    }
}

TEST_F(PwDenpyo, AnEmptySlipStillPrintsTheRowNumbersAndRules)
{
    const auto installed = TestPrinter::install();
    TPwDenpyo form;
    SlipTexts blank;
    blank.ymd = QStringLiteral("    /  /  ");
    form.fill(blank, Issuer{});
    form.PWReport1->Prepare();
    QStringList texts;
    for (const EmfTextItem &item : form.PWReport1->printerObject()->GetPage(1)->textItems())
        texts.append(item.text);
    for (int n = 1; n <= 7; ++n)
        EXPECT_TRUE(texts.contains(QString::number(n))) << n;
    EXPECT_TRUE(texts.contains(QStringLiteral("    年   月   日")));
    EXPECT_TRUE(texts.contains(QStringLiteral("　様")));
    // The seven row rules and the three of the title and footer bands.
    int rules = 0;
    for (report::TPWPrintable *p : form.PWReport1->allPrintables())
        rules += dynamic_cast<report::TPWShape *>(p) != nullptr;
    EXPECT_EQ(rules, 10);
}

TEST_F(PwDenpyo, PrintsIntoAPdfWhoseTextStaysText)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    testsupport::TempDir dir;
    const QString file = dir.file(QStringLiteral("slip.pdf"));
    report::PdfPrinter pdf;
    pdf.setOutputFile(file);
    ASSERT_TRUE(printA4(workedSlip(), shop(), pdf));
    ASSERT_TRUE(QFileInfo::exists(file));
    // With ZD_RENDER_DIR set the file is kept there for looking at.
    if (const QByteArray keep = qgetenv("ZD_RENDER_DIR"); !keep.isEmpty())
        QFile::copy(file,
                    QDir(QString::fromLocal8Bit(keep)).filePath(QStringLiteral("a4-slip.pdf")));

    QSizeF pageSize;
    const QList<PdfWord> words = pdfWords(file, &pageSize);
    // 210 x 148 mm in points.
    EXPECT_NEAR(pageSize.width(), 210 / 25.4 * 72, 0.5);
    EXPECT_NEAR(pageSize.height(), 148 / 25.4 * 72, 0.5);
    const double pt = 72.0 / 254.0; // points per tenth of a millimetre
    const auto squeeze = [](QString t) {
        t.remove(QRegularExpression(QStringLiteral("[\\s\\x{3000}]")));
        return t;
    };
    for (const Expected &e : Page) {
        SCOPED_TRACE(e.name);
        const QString wanted = squeeze(QString::fromUtf8(e.text));
        // The words on the label's line, left to right.
        QList<PdfWord> line;
        for (const PdfWord &w : words) {
            if (std::abs(w.yMin - e.y() * pt) < 3.5)
                line.append(w);
        }
        std::sort(line.begin(), line.end(),
                  [](const PdfWord &a, const PdfWord &b) { return a.xMin < b.xMin; });
        const double x = e.x() * pt;
        const double labelLeft = (100 + e.left * 10) * pt;
        const double labelRight = labelLeft + e.width * 10 * pt;
        // The label's words: from the one at its anchor on, as long as they spell its text
        // (neighbouring labels stand close by).
        QString text;
        double from = 0, to = 0;
        const auto take = [&](const PdfWord &w, bool atEnd) {
            const QString grown = atEnd ? text + squeeze(w.text) : squeeze(w.text) + text;
            if (!(atEnd ? wanted.startsWith(grown) : wanted.endsWith(grown)))
                return false;
            if (text.isEmpty())
                from = w.xMin, to = w.xMax;
            text = grown;
            from = std::min(from, w.xMin);
            to = std::max(to, w.xMax);
            return true;
        };
        if (e.align == L) {
            for (qsizetype i = 0; i < line.size(); ++i) {
                if (std::abs(line[i].xMin - x) < 2.5) {
                    for (qsizetype j = i; j < line.size() && take(line[j], true); ++j) {
                    }
                    break;
                }
            }
        } else if (e.align == R) {
            for (qsizetype i = line.size() - 1; i >= 0; --i) {
                if (std::abs(line[i].xMax - x) < 2.5) {
                    for (qsizetype j = i; j >= 0 && take(line[j], false); --j) {
                    }
                    break;
                }
            }
        } else {
            for (const PdfWord &w : line) {
                if (w.xMin > labelLeft - 2 && w.xMax < labelRight + 2)
                    take(w, true);
            }
        }
        EXPECT_EQ(text, wanted);
        const double anchor = e.align == L ? from : e.align == R ? to : (from + to) / 2;
        EXPECT_NEAR(anchor, x, 2.0);
    }

    // The fonts travel with the file.
    QProcess fonts;
    fonts.start(QStringLiteral("pdffonts"), {file});
    fonts.waitForFinished(30000);
    const QStringList lines = QString::fromUtf8(fonts.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 2);
    for (const QString &line : lines.mid(2))
        EXPECT_TRUE(line.contains(QStringLiteral(" yes "))) << line.toStdString();
}
