// The printer object: recording into the page store, drawing straight onto a printer, the page
// range, the driver's settings, printing stored pages and report files.

#include <report/definition.h>
#include <report/emfcanvas.h>
#include <report/emfpage.h>
#include <report/pwlabel.h>
#include <report/pwpagelist.h>
#include <report/pwprinter.h>
#include <report/pwprogressform.h>
#include <report/pwreport.h>
#include <report/reporterror.h>
#include <testsupport/tempdir.h>
#include <testsupport/testprinter.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace report;
using testsupport::TestPrinter;
using testsupport::TestPrinterSetup;

namespace {

std::unique_ptr<TPWReport> sampleReport()
{
    auto report = loadDefinitionFile(QStringLiteral(REPORT_TEST_DATA "/sample.json"));
    report->control<TPWLabel>(QStringLiteral("TAITOL"))->setCaption(QStringLiteral("御 納 品 書"));
    report->ShowProgress = false;
    return report;
}

// Counts what a printer object posts to its client.
class RecordingClient : public QObject, public PrinterClient
{
public:
    QList<int> available;
    QList<int> progress;
    void pageAvailable(int n) override { available.append(n); }
    void progressUpdate(int p) override { progress.append(p); }
    QObject *clientObject() override { return this; }
};

// A report file of `pages` pages of the sample report, each page marked with a black block
// at page pixels (100..109, 200..209).
QString reportFile(const testsupport::TempDir &dir, int pages)
{
    TPWPageList list;
    for (int n = 1; n <= pages; ++n) {
        EmfCanvas c(QSize(794, 559));
        c.setBrush(CanvasBrush{Qt::black, CanvasBrush::Solid});
        c.fillRect(QRect(QPoint(100, 200), QPoint(109, 209)));
        c.setFont(CanvasFont{});
        c.textOut(10, 10, QStringLiteral("page %1").arg(n));
        list.AddPage(c.page());
    }
    list.Finish();
    const QString name = dir.file(QStringLiteral("pages.PWP"));
    list.SaveToFile(name);
    return name;
}

QRect inkBox(const QImage &img, QRect area)
{
    QRect box;
    area &= img.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(PaperRecognition, NamedSizesWithinTwoMillimetresOtherwiseCustom)
{
    const double f = 96 / 254.0;
    const struct
    {
        QSize pixels;
        TPWPaperSize size;
        TPWOrientation orientation;
        int width, length;
    } cases[] = {
        // A4 and A4Small share the size: the last in table order wins.
        {{794, 1123}, TPWPaperSize::A4Small, TPWOrientation::poPortrait, 2100, 2970},
        {{1123, 794}, TPWPaperSize::A4Small, TPWOrientation::poLandscape, 2970, 2100},
        // The slip's own page, 147.9 mm long as recorded, is A5 crosswise: 210 x 148.
        {{794, 559}, TPWPaperSize::A5, TPWOrientation::poLandscape, 2100, 1480},
        {{559, 794}, TPWPaperSize::A5, TPWOrientation::poPortrait, 1480, 2100},
        // Letter, LetterSmall and Note share 8.5 x 11 inches.
        {{816, 1056}, TPWPaperSize::Note, TPWOrientation::poPortrait, 2159, 2794},
        // Nothing within 2 mm: the recording's own size and orientation.
        {{800, 800}, TPWPaperSize::Custom, TPWOrientation::poPortrait, 2117, 2117},
        {{900, 500}, TPWPaperSize::Custom, TPWOrientation::poLandscape, 2381, 1323},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(
            QStringLiteral("%1 x %2").arg(c.pixels.width()).arg(c.pixels.height()).toStdString());
        const RecognisedPaper p = recognisePaper(c.pixels, f);
        EXPECT_EQ(p.size, c.size);
        EXPECT_EQ(p.orientation, c.orientation);
        EXPECT_EQ(p.width, c.width);
        EXPECT_EQ(p.length, c.length);
    }
    EXPECT_EQ(recognisePaper(QSize(), f).size, TPWPaperSize::Custom);
}

TEST(PrinterObject, DocumentStatesRefuseIllegalCalls)
{
    const auto installed = TestPrinter::install();
    TPWPrinter printer;
    EXPECT_THROW(printer.NewPage(), ReportError);
    try {
        printer.NewPage();
    } catch (const ReportError &e) {
        EXPECT_STREQ(e.what(), "Illegal call to NewPage");
    }
    printer.BeginDoc();
    EXPECT_EQ(printer.Status(), TPWPrinterStatus::mpBusy);
    try {
        printer.BeginDoc();
        ADD_FAILURE() << "a second BeginDoc";
    } catch (const ReportError &e) {
        EXPECT_STREQ(e.what(), "PWPrinter not ready");
    }
    printer.EndDoc();
    EXPECT_EQ(printer.Status(), TPWPrinterStatus::mpFinished);
    EXPECT_THROW(printer.BeginDoc(), ReportError);
    EXPECT_THROW(printer.NewPage(), ReportError);
}

TEST(PrinterObject, RecordsPagesAtScreenResolutionAndTellsItsClient)
{
    const auto installed = TestPrinter::install();
    const auto report = sampleReport();
    TPWPrinter printer(report.get());
    printer.takeReportSettings(*report);
    RecordingClient client;
    printer.setClient(&client);
    printer.BeginDoc();
    for (int n = 0; n < 3; ++n) {
        printer.NewPage();
        EXPECT_DOUBLE_EQ(printer.XFactor, 96 / 254.0);
        ASSERT_TRUE(printer.canvas());
    }
    // Notices are queued like window messages: none arrives before EndDoc handles them.
    EXPECT_TRUE(client.available.isEmpty());
    printer.EndDoc();
    EXPECT_EQ(client.available, QList<int>({1, 2, 3}));
    EXPECT_EQ(printer.PageCount(), 3);
    ASSERT_TRUE(printer.GetPage(3));
    // The custom paper of the report, on a printer that offers user-defined paper.
    EXPECT_EQ(printer.GetPage(1)->pixelSize(), QSize(794, 559));
    EXPECT_FALSE(printer.GetPage(4));
    EXPECT_FALSE(printer.GetPage(0));
}

TEST(PrinterObject, PrinterWithoutResolutionOrPaperTakesTheScreenAndTheReportsPage)
{
    TestPrinterSetup raw;
    raw.dpi = 0; // a raw queue for a dot-matrix printer
    raw.paperMm = QSizeF(0, 0);
    raw.customPaper = false;
    raw.papers.clear();
    const auto installed = TestPrinter::install(raw);
    const auto report = sampleReport();
    TPWPrinter printer(report.get());
    printer.takeReportSettings(*report);
    EXPECT_EQ(printer.PrinterSettings().PixelsPerInchX, 96);
    EXPECT_EQ(printer.paperWidth(), 2100);
    EXPECT_EQ(printer.paperLength(), 1480);
    printer.Destination = TPWDestination::pwdPrinter;
    printer.BeginDoc();
    printer.NewPage();
    EXPECT_DOUBLE_EQ(printer.XFactor, 96 / 254.0);
    EXPECT_DOUBLE_EQ(printer.YFactor, 96 / 254.0);
    printer.EndDoc();

    // Below 25.4 dots per inch as well.
    TestPrinterSetup coarse;
    coarse.dpi = 20;
    const auto again = TestPrinter::install(coarse);
    TPWPrinter second(report.get());
    second.Destination = TPWDestination::pwdPrinter;
    second.BeginDoc();
    second.NewPage();
    EXPECT_DOUBLE_EQ(second.XFactor, 96 / 254.0);
    EXPECT_DOUBLE_EQ(second.YFactor, 96 / 254.0);
    second.AbortDoc();
}

TEST(PrinterObject, PagesOutsideTheRangeRunButDoNotReachThePaper)
{
    const auto installed = TestPrinter::install();
    const auto report = sampleReport();
    TPWPrinter printer(report.get());
    printer.takeReportSettings(*report);
    printer.Destination = TPWDestination::pwdPrinter;
    printer.FirstPage = 2;
    printer.LastPage = 2;
    TestPrinter *device = TestPrinter::last();
    testsupport::TestPrinterLog &log = TestPrinter::lastLog();
    printer.BeginDoc();
    QList<bool> printing;
    for (int n = 0; n < 3; ++n) {
        printer.NewPage();
        // Every page has a canvas to draw on; only page 2 is the printer's.
        ASSERT_TRUE(printer.canvas());
        printing.append(printer.canvas() == device->canvas());
        printer.canvas()->setBrush(CanvasBrush{Qt::black, CanvasBrush::Solid});
        printer.canvas()->fillRect(QRect(0, 0, 50, 50));
    }
    printer.EndDoc();
    EXPECT_EQ(printing, QList<bool>({false, true, false}));
    EXPECT_EQ(log.titles.size(), 1);
    EXPECT_EQ(log.sheets.size(), 1);
    EXPECT_EQ(log.jobsEnded, 1);
    EXPECT_EQ(printer.AvailablePages(), 3);
}

TEST(PrinterObject, SettingsReachTheDriver)
{
    const auto installed = TestPrinter::install();
    const auto report = sampleReport();
    TPWReportPrinterSettings &s = report->PrinterSettings();
    s.Copies = 3;
    s.Collate = 1;
    s.Duplex = true;
    s.OutputBin = TPWBin::Manual;
    TPWPrinter printer(report.get());
    printer.takeReportSettings(*report);
    printer.Destination = TPWDestination::pwdPrinter;
    printer.BeginDoc();
    printer.AbortDoc();
    testsupport::TestPrinterLog &log = TestPrinter::lastLog();
    ASSERT_FALSE(log.applied.isEmpty());
    const DeviceSettings &d = log.applied.last();
    EXPECT_EQ(d.copies, 3);
    EXPECT_EQ(d.collate, 1);
    EXPECT_EQ(d.duplex, 3);
    EXPECT_EQ(d.defaultSource, 4);
    EXPECT_EQ(d.paperCode, 256); // Custom
    EXPECT_EQ(d.paperWidth, 2100);
    EXPECT_EQ(d.paperLength, 1480);
    EXPECT_EQ(d.orientation, 1);

    // A driver without a duplex or collate field is not given one.
    TestPrinterSetup plain;
    plain.driver.duplex.reset();
    plain.driver.collate.reset();
    const auto other = TestPrinter::install(plain);
    TPWPrinter second(report.get());
    second.takeReportSettings(*report);
    second.Destination = TPWDestination::pwdPrinter;
    second.BeginDoc();
    second.AbortDoc();
    EXPECT_FALSE(TestPrinter::lastLog().applied.last().duplex);
    EXPECT_FALSE(TestPrinter::lastLog().applied.last().collate);
}

TEST(PrinterObject, StoredPagesStretchOntoThePrinterPastItsUnprintableMargin)
{
    testsupport::TempDir dir;
    TestPrinterSetup setup;
    setup.dpi = 600;
    setup.offset = QPoint(60, 90); // 2.54 mm and 3.81 mm
    const auto installed = TestPrinter::install(setup);
    const auto report = sampleReport();
    TPWPrinter printer(report.get());
    printer.Load(reportFile(dir, 3));
    printer.FirstPage = 2;
    printer.LastPage = 9; // beyond the file's pages
    EXPECT_EQ(printer.Print(), PrintResult::Printed);
    testsupport::TestPrinterLog &log = TestPrinter::lastLog();
    ASSERT_EQ(log.sheets.size(), 2); // pages 2 and 3
    EXPECT_EQ(log.jobsEnded, 1);
    // Page pixel 100 at 96 dpi is 625 dots at 600 dpi from the paper's edge, 565 from the
    // printable area's (the page is stretched over the report's 210 x 148 mm).
    const QImage &sheet = log.sheets.first();
    const double sx = (2100 * 600 / 254.0) / 794.0;
    const double sy = (1480 * 600 / 254.0) / 559.0;
    const QRect mark = inkBox(sheet, QRect(500, 1100, 300, 200));
    EXPECT_NEAR(mark.left(), 100 * sx - 60, 2);
    EXPECT_NEAR(mark.top(), 200 * sy - 90, 2);
    EXPECT_NEAR(mark.width(), 10 * sx, 2);

    // A range that holds no page prints nothing and says so.
    printer.FirstPage = 4;
    printer.LastPage = 0;
    EXPECT_EQ(printer.Print(), PrintResult::NothingToPrint);
    EXPECT_EQ(log.titles.size(), 1);
}

TEST(PrinterObject, APrinterThatFailsMidJobAbortsIt)
{
    testsupport::TempDir dir;
    TestPrinterSetup setup;
    setup.failOnSheet = 2;
    setup.pdfFile = dir.file(QStringLiteral("out.pdf"));
    const auto installed = TestPrinter::install(setup);
    const auto report = sampleReport();
    TPWPrinter printer(report.get());
    printer.Load(reportFile(dir, 3));
    EXPECT_THROW(printer.Print(), PrinterError);
    TestPrinter *device = TestPrinter::last();
    testsupport::TestPrinterLog &log = TestPrinter::lastLog();
    EXPECT_EQ(log.jobsAborted, 1);
    EXPECT_EQ(log.jobsEnded, 0);
    EXPECT_FALSE(device->printing());
    EXPECT_FALSE(QFile::exists(setup.pdfFile)); // no half-written PDF is left
}

TEST(PrinterObject, LoadingAFileThatIsNoReportKeepsThePagesShown)
{
    testsupport::TempDir dir;
    const auto installed = TestPrinter::install();
    const auto report = sampleReport();
    TPWPrinter printer(report.get());
    printer.Load(reportFile(dir, 2));
    ASSERT_EQ(printer.PageCount(), 2);

    QFile junk(dir.file(QStringLiteral("junk.PWP")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(300, 'x'));
    junk.close();
    QFile good(dir.file(QStringLiteral("pages.PWP")));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    QFile cut(dir.file(QStringLiteral("cut.PWP")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(good.readAll().chopped(100));
    cut.close();

    for (const QString &bad : {junk.fileName(), cut.fileName()}) {
        EXPECT_ANY_THROW(printer.Load(bad)) << qPrintable(bad);
        EXPECT_EQ(printer.PageCount(), 2);
        EXPECT_TRUE(printer.GetPage(2));
    }
    try {
        printer.Load(dir.file(QStringLiteral("missing.PWP")));
        ADD_FAILURE();
    } catch (const ReportError &e) {
        EXPECT_STREQ(e.what(), "File does not exist");
    }
    EXPECT_EQ(printer.PageCount(), 2);
    // The slip's page is recognised as A5 crosswise: 210 x 148 mm.
    EXPECT_EQ(printer.paperWidth(), 2100);
    EXPECT_EQ(printer.paperLength(), 1480);
}

TEST(PrinterObject, SavingOverTheLoadedFileReplacesItWhole)
{
    testsupport::TempDir dir;
    const auto installed = TestPrinter::install();
    TPWPrinter printer;
    const QString name = reportFile(dir, 3);
    const auto contents = [&] {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    printer.Load(name);
    QList<QByteArray> pages;
    for (int n = 1; n <= 3; ++n)
        pages.append(printer.GetPage(n)->bytes());

    // The loaded pages are read from the very file being written.
    printer.Save(name);
    EXPECT_EQ(contents(), before);
    for (int n : {3, 1, 2})
        EXPECT_EQ(printer.GetPage(n)->bytes(), pages.at(n - 1));
    TPWPrinter again;
    again.Load(name);
    ASSERT_EQ(again.PageCount(), 3);
    EXPECT_EQ(again.GetPage(2)->bytes(), pages.at(1));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("pages.PWP")}));
}

TEST(ProgressWindow, ShowsMultiplesOfFiveAndItsCancelStopsThePrint)
{
    testsupport::TempDir dir;
    const auto installed = TestPrinter::install();
    const auto report = sampleReport();
    report->ShowProgress = true;
    TPWPrinter printer(report.get());
    {
        // Four pages: 25, 50, 75 and 100 percent.
        TPWPageList list;
        for (int n = 0; n < 4; ++n) {
            EmfCanvas c(QSize(794, 559));
            list.AddPage(c.page());
        }
        list.Finish();
        list.SaveToFile(dir.file(QStringLiteral("four.PWP")));
    }
    printer.Load(dir.file(QStringLiteral("four.PWP")));

    QString caption, shownWhenCancelled, button;
    bool onTop = false;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *form = qobject_cast<TPWProgressForm *>(QApplication::activeModalWidget());
        if (!form || form->Info->text().isEmpty())
            return;
        poll.stop();
        caption = form->windowTitle();
        onTop = form->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        button = form->CancelButton->text();
        shownWhenCancelled = form->Info->text();
        QTest::mouseClick(form->CancelButton, Qt::LeftButton);
    });
    poll.start();
    EXPECT_EQ(printer.Print(), PrintResult::Cancelled);
    EXPECT_EQ(caption, QStringLiteral("Printing progress"));
    EXPECT_TRUE(onTop);
    EXPECT_EQ(button, QStringLiteral("Cancel"));
    EXPECT_EQ(shownWhenCancelled, QStringLiteral("25%  Completed"));
    const testsupport::TestPrinterLog &log = TestPrinter::lastLog();
    EXPECT_EQ(log.jobsAborted, 1);
    EXPECT_EQ(log.jobsEnded, 0);
    EXPECT_TRUE(report->Run.userCancelled);
    // The window is gone with the print, and the printer object works on.
    EXPECT_FALSE(QApplication::activeModalWidget());
    report->Run.userCancelled = false;
    EXPECT_EQ(printer.Print(), PrintResult::Printed);
    EXPECT_EQ(TestPrinter::lastLog().sheets.size(), 4);

    // A figure that is no multiple of 5 leaves the window as it was.
    TPWProgressForm form(nullptr, nullptr);
    form.progressUpdate(40);
    form.progressUpdate(42);
    EXPECT_EQ(form.Info->text(), QStringLiteral("40%  Completed"));
    EXPECT_EQ(form.ProgressBar->value(), 40);
}
