#include <report/pdfprinter.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace report;

namespace {

struct Word
{
    QString text;
    double xMin, yMin, xMax, yMax; // points from the top-left corner of the page
};

// The words of a PDF with their boxes, as poppler's pdftotext -bbox reports them.
QList<Word> wordsOf(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression re(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<Word> words;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                      m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

DeviceSettings paper(std::optional<int> code, std::optional<int> width = {},
                     std::optional<int> length = {}, std::optional<int> orientation = {})
{
    DeviceSettings s;
    s.paperCode = code;
    s.paperWidth = width;
    s.paperLength = length;
    s.orientation = orientation;
    return s;
}

class PdfPrinterTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    PdfPrinter printer{600};
};

} // namespace

TEST_F(PdfPrinterTest, PapersAndSettingsGiveTheSheetInDots)
{
    const QList<DevicePaper> papers = printer.papers();
    auto chou4 = std::find_if(papers.begin(), papers.end(),
                              [](const DevicePaper &p) { return p.name == "長形4号"; });
    ASSERT_NE(chou4, papers.end());
    EXPECT_EQ(chou4->code, 74);
    EXPECT_EQ(chou4->sizeMm, QSizeF(90, 205));
    EXPECT_EQ(papers.back().code, PdfPrinter::kUserPaper);

    // Fresh: A4 portrait, the whole sheet printable.
    EXPECT_EQ(printer.paperDots(), QSize(4961, 7016));
    EXPECT_EQ(printer.pageDots(), printer.paperDots());
    EXPECT_EQ(printer.physicalOffset(), QPoint(0, 0));
    EXPECT_EQ(printer.dotsPerInch(), QSize(600, 600));
    EXPECT_TRUE(printer.offersCustomPaper());

    struct Case
    {
        DeviceSettings apply;
        QSize dots;
        int code;
    };
    const Case cases[] = {
        {paper(74), {2126, 4843}, 74},
        {paper({}, {}, {}, 2), {4843, 2126}, 74}, // landscape keeps the paper
        {paper(256, 2100, 1480, 1), {4961, 3496}, 256},
        {paper(4711), {4961, 3496}, 256}, // a code it does not know changes nothing
        {paper(9), {4961, 7016}, 9},
    };
    for (const Case &c : cases) {
        printer.applySettings(c.apply);
        EXPECT_EQ(printer.paperDots(), c.dots) << c.code;
        EXPECT_EQ(printer.settings().paperCode, c.code);
    }
    printer.applySettings(paper(256, 2100, 1480));
    EXPECT_EQ(printer.settings().paperWidth, 2100);
    EXPECT_EQ(printer.settings().paperLength, 1480);
    EXPECT_FALSE(printer.settings().copies.has_value());
    printer.resetToDefaults();
    EXPECT_EQ(printer.settings().paperCode, 9);
    EXPECT_EQ(printer.settings().orientation, 1);
}

TEST_F(PdfPrinterTest, TextLandsWhereItWasDrawn)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    printer.applySettings(paper(74));
    printer.setOutputFile(path);
    printer.beginDoc(QStringLiteral("宛名"));
    ASSERT_TRUE(printer.printing());
    Canvas &c = *printer.canvas();
    CanvasFont font;
    font.face = QStringLiteral("ＭＳ ゴシック");
    font.pointSize = 12;
    c.setFont(font);
    c.setBackgroundTransparent(true);
    c.textOut(600, 1200, QStringLiteral("納品書"));
    printer.newPage();
    c.textOut(300, 300, QStringLiteral("二頁目"));
    printer.endDoc();
    EXPECT_FALSE(printer.printing());
    EXPECT_EQ(printer.writtenFile(), path);

    // The sheet is the envelope: 90 × 205 mm.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished(30000);
    const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
    static const QRegularExpression sizeRe(QStringLiteral(R"(Page size:\s+([\d.]+) x ([\d.]+))"));
    const auto size = sizeRe.match(infoText);
    ASSERT_TRUE(size.hasMatch()) << infoText.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), 90 / 25.4 * 72, 1.4);
    EXPECT_NEAR(size.captured(2).toDouble(), 205 / 25.4 * 72, 1.4);
    EXPECT_TRUE(infoText.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))))
        << infoText.toStdString();

    const QList<Word> words = wordsOf(path);
    ASSERT_EQ(words.size(), 2);
    EXPECT_EQ(words[0].text, "納品書");
    // 600 and 1200 dots at 600 dpi: one and two inches from the corner, within half a mm.
    EXPECT_NEAR(words[0].xMin, 72.0, 1.4);
    EXPECT_NEAR(words[0].yMin, 144.0, 1.4);
    EXPECT_NEAR(words[0].yMax - words[0].yMin, 12.0, 1.4);
    EXPECT_EQ(words[1].text, "二頁目");
    EXPECT_NEAR(words[1].xMin, 36.0, 1.4);
}

TEST_F(PdfPrinterTest, FailedOrAbortedJobsLeaveTheEarlierFile)
{
    const QString path = dir.filePath(QStringLiteral("keep.pdf"));
    writeFile(path, "earlier");
    printer.setOutputFile(path);

    printer.beginDoc(QStringLiteral("abort"));
    printer.canvas()->textOut(10, 10, QStringLiteral("half"));
    printer.abortDoc();
    EXPECT_FALSE(printer.printing());
    EXPECT_EQ(readAll(path), "earlier");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.pdf"});

    printer.beginDoc(QStringLiteral("done"));
    printer.endDoc();
    EXPECT_TRUE(readAll(path).startsWith("%PDF"));

    // A folder that is not there: the job does not begin and nothing stays open.
    printer.setOutputFile(dir.filePath(QStringLiteral("missing/out.pdf")));
    EXPECT_THROW(printer.beginDoc(QStringLiteral("x")), PrinterError);
    EXPECT_FALSE(printer.printing());
    printer.setOutputFile(dir.path());
    EXPECT_THROW(printer.beginDoc(QStringLiteral("x")), PrinterError);
    EXPECT_FALSE(printer.printing());
}

TEST_F(PdfPrinterTest, FileNameIsAskedWhenTheJobBegins)
{
    QStringList asked;
    QString answer;
    printer.setFileNameRequest([&](const QString &title) {
        asked << title;
        return answer;
    });
    EXPECT_THROW(printer.beginDoc(QStringLiteral("封筒")), PrintCancelled);
    EXPECT_FALSE(printer.printing());
    EXPECT_EQ(asked, QStringList{"封筒"});
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    answer = dir.filePath(QStringLiteral("asked.pdf"));
    printer.beginDoc(QStringLiteral("封筒"));
    printer.endDoc();
    EXPECT_TRUE(QFile::exists(answer));
    EXPECT_EQ(asked.size(), 2);
}
