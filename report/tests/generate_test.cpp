// Report generation: where the bands of a run print, page breaks, footers, the margin rule,
// and the runs for the page store and for the printer.

#include <report/definition.h>
#include <report/emfpage.h>
#include <report/pwband.h>
#include <report/pwlabel.h>
#include <report/pwprinter.h>
#include <report/pwreport.h>
#include <testsupport/tempdir.h>
#include <testsupport/testprinter.h>

#include <gtest/gtest.h>

#include <QFile>

using namespace report;
using testsupport::TestPrinter;
using testsupport::TestPrinterSetup;

namespace {

std::unique_ptr<TPWReport> sampleReport()
{
    DefinitionHandlers handlers;
    handlers.labelPrint.insert(QStringLiteral("YMDPrint"), [](TPWLabel &, QString &v) {
        v = v.mid(0, 4) + QStringLiteral("年 ") + v.mid(5, 2) + QStringLiteral("月 ") +
            v.mid(8, 2) + QStringLiteral("日");
    });
    auto report = loadDefinitionFile(QStringLiteral(REPORT_TEST_DATA "/sample.json"), handlers);
    report->control<TPWLabel>(QStringLiteral("YMD"))->setCaption(QStringLiteral("2014/06/10"));
    report->ShowProgress = false;
    return report;
}

struct BandPrint
{
    QString band;
    int page;
    int x;
    int y;
    bool operator==(const BandPrint &) const = default;
};

std::ostream &operator<<(std::ostream &os, const BandPrint &b)
{
    return os << b.band.toStdString() << " p" << b.page << " (" << b.x << ", " << b.y << ")";
}

// Where and on which page each band of the report printed: after printing, the current
// position stands under the band.
std::vector<BandPrint> &watchBands(TPWReport &report, std::vector<BandPrint> &log)
{
    for (const auto &band : report.bands()) {
        band->AfterPrint = [&report, &log](TPWBand &b, bool printed) {
            if (!printed)
                return;
            const int height = qRound(b.Size().nativeValue(TPWBandSize::HeightIndex) + b.expansion);
            log.push_back({b.Name(), report.Run.pageCount, report.Run.currentX,
                           report.Run.currentY - height});
        };
    }
    return log;
}

} // namespace

TEST(Generation, TheSlipReportPrintsOnePageWithItsBandsInPlace)
{
    const auto installed = TestPrinter::install();
    const auto report = sampleReport();
    std::vector<BandPrint> log;
    watchBands(*report, log);
    report->Prepare();
    ASSERT_TRUE(report->printerObject());
    EXPECT_EQ(report->printerObject()->PageCount(), 1);
    EXPECT_EQ(log, (std::vector<BandPrint>{{QStringLiteral("ColumnHeaderBand1"), 1, 100, 100},
                                           {QStringLiteral("DetailBand1"), 1, 100, 603},
                                           {QStringLiteral("PageFooterBand1"), 1, 100, 1187}}));
    EXPECT_TRUE(report->Run.available);
    EXPECT_EQ(report->namedValue(QStringLiteral("PAGENUMBER")), QStringLiteral("1"));
    // The date label printed its rewritten text; its caption is left as it was.
    QStringList texts;
    for (const EmfTextItem &item : report->printerObject()->GetPage(1)->textItems())
        texts.append(item.text);
    EXPECT_TRUE(texts.contains(QStringLiteral("2014年 06月 10日")));
    EXPECT_EQ(report->control<TPWLabel>(QStringLiteral("YMD"))->Caption(),
              QStringLiteral("2014/06/10"));
}

TEST(Generation, BandsThatDoNotFitStartANewPageAndATallOnePrintsAnyway)
{
    const auto installed = TestPrinter::install();
    const struct
    {
        double detailHeight;
        std::vector<BandPrint> expected;
    } cases[] = {
        // 600 needs more than the 584 left under the title: page 2, at the top margin.
        {600.0,
         {{QStringLiteral("ColumnHeaderBand1"), 1, 100, 100},
          {QStringLiteral("PageFooterBand1"), 1, 100, 1187},
          {QStringLiteral("DetailBand1"), 2, 100, 100},
          {QStringLiteral("PageFooterBand1"), 2, 100, 1187}}},
        // Taller than the page's printable length: no page would hold it, so it prints where
        // it stands and runs off the page.
        {1400.0,
         {{QStringLiteral("ColumnHeaderBand1"), 1, 100, 100},
          {QStringLiteral("DetailBand1"), 1, 100, 603},
          {QStringLiteral("PageFooterBand1"), 1, 100, 1187}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.detailHeight);
        const auto report = sampleReport();
        report->findBand(QStringLiteral("DetailBand1"))
            ->Size()
            .setNativeValue(TPWBandSize::HeightIndex, c.detailHeight);
        std::vector<BandPrint> log;
        watchBands(*report, log);
        report->Prepare();
        EXPECT_EQ(report->printerObject()->PageCount(), c.expected.size() == 4 ? 2 : 1);
        EXPECT_EQ(log, c.expected);
    }
}

TEST(Generation, OptionsAndMarginsShapeThePage)
{
    const auto installed = TestPrinter::install();
    {
        // Without LastPageFooter a one-page report prints no page footer.
        const auto report = sampleReport();
        report->Options.LastPageFooter = false;
        std::vector<BandPrint> log;
        watchBands(*report, log);
        report->Prepare();
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log.back().band, QStringLiteral("DetailBand1"));
    }
    {
        // Margins that leave no width are dropped: bands start at the paper's edge.
        const auto report = sampleReport();
        report->Page().setNativeValue(TPWPage::LeftMarginIndex, 1500);
        report->Page().setNativeValue(TPWPage::RightMarginIndex, 1500);
        std::vector<BandPrint> log;
        watchBands(*report, log);
        report->Prepare();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front().x, 0);
        EXPECT_EQ(report->Page().nativeValue(TPWPage::RightMarginIndex), 0);
    }
    {
        // A BeforePrint that vetoes leaves no page.
        const auto report = sampleReport();
        report->BeforePrint = [](TPWReport &, bool &print) {
            print = false;
        };
        report->Prepare();
        EXPECT_EQ(report->printerObject()->PageCount(), 0);
        EXPECT_TRUE(report->Run.available);
    }
    {
        // Without PrintIfEmpty nothing prints.
        const auto report = sampleReport();
        report->PrintIfEmpty = false;
        report->Prepare();
        EXPECT_EQ(report->printerObject()->PageCount(), 0);
    }
}

TEST(Generation, PrintRunsTheReportAgainOntoThePrinterAndKeepsThePreviewPages)
{
    TestPrinterSetup setup;
    setup.dpi = 600;
    setup.offset = QPoint(50, 70);
    const auto installed = TestPrinter::install(setup);
    const auto report = sampleReport();
    int dateRewrites = 0;
    TPWLabel *ymd = report->control<TPWLabel>(QStringLiteral("YMD"));
    const auto rewrite = ymd->OnPrint;
    ymd->OnPrint = [&](TPWLabel &l, QString &v) {
        ++dateRewrites;
        rewrite(l, v);
    };
    report->Prepare();
    TPWPrinter *preview = report->printerObject();
    EXPECT_EQ(dateRewrites, 1);

    EXPECT_EQ(report->Print(), PrintResult::Printed);
    EXPECT_EQ(dateRewrites, 2);
    EXPECT_EQ(report->printerObject(), preview);
    EXPECT_EQ(preview->PageCount(), 1);
    testsupport::TestPrinterLog &log = TestPrinter::lastLog();
    ASSERT_EQ(log.sheets.size(), 1);
    EXPECT_EQ(log.jobsEnded, 1);
    // The paper asked of the driver is the report's 210 x 148 mm.
    EXPECT_EQ(log.paperMm, QSizeF(210, 148));
    // The title rule of the band at Y 100 + 433.917 lies at its device row on the sheet, the
    // unprintable margin (70 dots, 30 tenths of a millimetre) taken off:
    // round((535.240 - 30) * 600 / 254) = 1193 dots below the printable area's top.
    const QImage &sheet = log.sheets.first();
    const int row = qRound((100 + 433.9166666 + 1.3229 - 30) * 600 / 254);
    EXPECT_EQ(row, 1193);
    int dark = 0;
    for (int x = 300; x < 4000; ++x)
        dark += qGray(sheet.pixel(x, row)) < 128;
    EXPECT_GT(dark, 3500);
}

TEST(Generation, AJobThatFailsHalfWayIsAbortedAndTheReportStaysUsable)
{
    testsupport::TempDir dir;
    TestPrinterSetup setup;
    setup.failOnSheet = 2;
    setup.pdfFile = dir.file(QStringLiteral("job.pdf"));
    const auto installed = TestPrinter::install(setup);
    const auto report = sampleReport();
    report->findBand(QStringLiteral("DetailBand1"))
        ->Size()
        .setNativeValue(TPWBandSize::HeightIndex, 600); // two pages
    report->Prepare();
    TPWPrinter *preview = report->printerObject();
    EXPECT_THROW(report->Print(), PrinterError);
    testsupport::TestPrinterLog &log = TestPrinter::lastLog();
    EXPECT_EQ(log.jobsAborted, 1);
    EXPECT_EQ(log.jobsEnded, 0);
    EXPECT_FALSE(QFile::exists(setup.pdfFile));
    EXPECT_TRUE(report->Run.available);
    EXPECT_EQ(report->printerObject(), preview);
    EXPECT_EQ(preview->PageCount(), 2);

    // A printer that works prints the report afterwards.
    const auto working = TestPrinter::install();
    EXPECT_EQ(report->Print(), PrintResult::Printed);
    EXPECT_EQ(TestPrinter::lastLog().sheets.size(), 2);
}

TEST(Generation, WithoutAPrinterThePreviewWorksAndPrintDoesNothing)
{
    report::setPrinterFactory({}); // no printer installed
    const auto report = sampleReport();
    report->Prepare();
    ASSERT_TRUE(report->printerObject());
    EXPECT_EQ(report->printerObject()->PageCount(), 1);
    // The report's own page, since there is no printer paper to print on.
    EXPECT_EQ(report->printerObject()->GetPage(1)->pixelSize(), QSize(794, 559));
    EXPECT_EQ(report->Print(), PrintResult::NoPrinter);
    EXPECT_TRUE(report->Run.available);
}
