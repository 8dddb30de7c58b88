#include <printing/kokuyo.h>
#include <printing/pwdenpyo.h>
#include <printing/setupdialog.h>
#include <printing/systemprinter.h>
#include <testsupport/modal.h>

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace printing;

namespace {

const QString kQueue = QStringLiteral("ZorikaDesk-PDF");

Issuer issuer()
{
    Issuer i;
    i.name = QStringLiteral("ゾリカ商店");
    i.tel = QStringLiteral("03-1234-5678");
    return i;
}

SlipTexts slip()
{
    SlipTexts s;
    s.ymd = QStringLiteral("2024/03/05");
    s.name = QStringLiteral("株式会社テスト");
    s.lines[0] = {QStringLiteral("ボールペン"), QStringLiteral("10"), QStringLiteral("120"),
                  QStringLiteral("1,200"), QString()};
    return s;
}

// Confirms the setup dialog that the print is about to show, on the printer `row`.
void confirmSetupOn(int row)
{
    testsupport::whenModalShows<PrinterSetupDialog>([row](PrinterSetupDialog *dlg) {
        dlg->cbPrinter->setCurrentIndex(row);
        emit dlg->cbPrinter->activated(row);
        QTest::mouseClick(dlg->btOK, Qt::LeftButton);
    });
}

int completedJobs()
{
    QProcess p;
    p.start(QStringLiteral("lpstat"),
            {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"), kQueue});
    p.waitForFinished(10000);
    return int(QString::fromUtf8(p.readAllStandardOutput())
                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                   .size());
}

TEST(SystemPrinter, PdfIsAlwaysThereAsAPrinterOfItsOwn)
{
    SystemPrinter printer;
    const QStringList names = printer.printers();
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.last(), QStringLiteral("PDF"));
    EXPECT_EQ(printer.printerIndex(), -1);
    EXPECT_EQ(printer.isPdf(), printer.systemPrinters().isEmpty());

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("slip.pdf"));
    printer.setFileNameRequest([&](const QString &) { return file; });
    confirmSetupOn(int(names.size()) - 1);
    ASSERT_TRUE(KokuyoSlip(slip(), issuer()).print(printer, nullptr));
    EXPECT_TRUE(printer.isPdf());
    EXPECT_EQ(printer.printerName(), QStringLiteral("PDF"));
    EXPECT_TRUE(QFile::exists(file));

    // The file name asked and refused: nothing printed, no error.
    printer.setFileNameRequest([](const QString &) { return QString(); });
    confirmSetupOn(int(names.size()) - 1);
    EXPECT_FALSE(KokuyoSlip(slip(), issuer()).print(printer, nullptr));
    EXPECT_FALSE(printer.printing());
}

// One job through a real CUPS queue with the cups-pdf back-end (.ci/cups-queue.sh start).
TEST(SystemPrinter, SlipReachesACupsQueueAndCompletes)
{
    SystemPrinter printer;
    const int row = int(printer.systemPrinters().indexOf(kQueue));
    if (row < 0)
        GTEST_SKIP() << "no CUPS queue " << kQueue.toStdString()
                     << " (start one with .ci/cups-queue.sh start; needs the packages cups and "
                        "printer-driver-cups-pdf and root)";
    printer.setPrinterIndex(row);
    EXPECT_FALSE(printer.papers().isEmpty());
    EXPECT_GT(printer.dotsPerInch().width(), 0);
    EXPECT_LE(printer.pageDots().width(), printer.paperDots().width());
    const report::DeviceSettings s = printer.settings();
    EXPECT_TRUE(s.paperCode.has_value());
    EXPECT_TRUE(s.copies.has_value());

    const int before = completedJobs();
    confirmSetupOn(row);
    ASSERT_TRUE(KokuyoSlip(slip(), issuer()).print(printer, nullptr));
    EXPECT_EQ(printer.printerName(), kQueue);
    const QDeadlineTimer deadline(60000);
    while (completedJobs() <= before && !deadline.hasExpired())
        QTest::qWait(200);
    EXPECT_EQ(completedJobs(), before + 1) << "the job did not complete in the spooler";
}

// The A4 slip report through the same queue, as the preview's Print sends it: the settings
// of the report (its 210 × 148 mm page, copies) reach CUPS and the job completes.
TEST(SystemPrinter, A4SlipReachesACupsQueueAndCompletes)
{
    SystemPrinter printer;
    const int row = int(printer.systemPrinters().indexOf(kQueue));
    if (row < 0)
        GTEST_SKIP() << "no CUPS queue " << kQueue.toStdString()
                     << " (start one with .ci/cups-queue.sh start)";
    printer.setPrinterIndex(row);
    const int before = completedJobs();
    ASSERT_TRUE(printA4(slip(), issuer(), printer));
    const QDeadlineTimer deadline(60000);
    while (completedJobs() <= before && !deadline.hasExpired())
        QTest::qWait(200);
    EXPECT_EQ(completedJobs(), before + 1) << "the job did not complete in the spooler";
}

} // namespace
