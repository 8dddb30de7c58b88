#pragma once

// A printer for the tests of everything that prints through report::PrinterDevice: it draws
// each sheet into an image (or all sheets into a PDF file) at a chosen resolution and
// unprintable offset, and records what was asked of it. A printer that fails at a chosen
// point stands for one that breaks down in the middle of a job.

#include <report/emfcanvas.h>
#include <report/paintercanvas.h>
#include <report/printerdevice.h>

#include <QImage>
#include <QList>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <functional>
#include <memory>

namespace testsupport {

struct TestPrinterSetup
{
    QString name = QStringLiteral("Test printer");
    int dpi = 600;
    QPoint offset;            ///< dots from the paper's corner to the printable area
    QSizeF paperMm{210, 297}; ///< until a job asks for another paper
    bool customPaper = true;
    /// Fields the driver carries; unset ones are not reported.
    report::DeviceSettings driver{9, 2100, 2970, 1, 1, 1, 7, 0, std::nullopt, std::nullopt};
    QList<report::DevicePaper> papers{{9, QStringLiteral("A4"), QSizeF(210, 297)},
                                      {11, QStringLiteral("A5"), QSizeF(148, 210)}};
    /// Non-empty: the job goes into this PDF file instead of images.
    QString pdfFile;
    /// Sheets are recorded (at the printer's resolution) instead of drawn into images, so
    /// that their text items can be read with their device positions.
    bool record = false;
    /// Sheet number (1-based) at which drawing fails; 0: never.
    int failOnSheet = 0;
    /// Answers of the print dialog: accepted, and what the user changed.
    bool dialogAccepts = true;
    std::function<void(report::PrintDialogChoice &)> dialogChoice;
};

/// What was asked of a test printer; it outlives the printer (a print's printer object goes
/// with the print).
struct TestPrinterLog
{
    QStringList titles;         ///< one per job begun
    QList<QImage> sheets;       ///< sheets of every job, in order (image mode)
    QList<QByteArray> recorded; ///< sheets as recorded pages (record mode)
    QList<report::DeviceSettings> applied;
    QList<report::PrintDialogChoice> dialogs; ///< as the dialog was opened
    int jobsEnded = 0;
    int jobsAborted = 0;
    QSizeF paperMm; ///< the paper as the last job asked for it
};

class TestPrinter final : public report::PrinterDevice
{
public:
    explicit TestPrinter(TestPrinterSetup setup = {});
    ~TestPrinter() override;

    /// Installs a factory making printers of this setup; the made ones are reachable through
    /// made() until the next install. Undone when the returned object goes.
    struct Installed
    {
        ~Installed();
    };
    [[nodiscard]] static std::unique_ptr<Installed> install(TestPrinterSetup setup = {});
    /// Printers made by the installed factory and still alive, oldest first.
    static QList<TestPrinter *> &made();
    static TestPrinter *last();
    /// The logs of every printer the installed factory made, oldest first.
    static QList<std::shared_ptr<TestPrinterLog>> &logs();
    static TestPrinterLog &lastLog();

    TestPrinterLog &log() { return *m_log; }

    // PrinterDevice
    QStringList printers() const override { return {m_setup.name}; }
    int printerIndex() const override { return m_index; }
    void setPrinterIndex(int index) override { m_index = index; }
    QString printerName() const override { return m_setup.name; }
    bool offersCustomPaper() const override { return m_setup.customPaper; }
    bool setupDialog(QWidget *) override { return m_setup.dialogAccepts; }
    bool printDialog(QWidget *parent, report::PrintDialogChoice &choice) override;
    report::DeviceSettings settings() const override;
    void applySettings(const report::DeviceSettings &settings) override;
    void resetToDefaults() override {}
    QList<report::DevicePaper> papers() const override { return m_setup.papers; }
    QSize dotsPerInch() const override { return {m_setup.dpi, m_setup.dpi}; }
    QPoint physicalOffset() const override { return m_setup.offset; }
    QSize paperDots() const override;
    QSize pageDots() const override;
    void beginDoc(const QString &title) override;
    void newPage() override;
    void endDoc() override;
    void abortDoc() override;
    bool printing() const override { return m_printing; }
    report::Canvas *canvas() override { return m_canvas.get(); }

private:
    void startSheet();
    void finishSheet();
    void checkFailure();

    TestPrinterSetup m_setup;
    std::shared_ptr<TestPrinterLog> m_log = std::make_shared<TestPrinterLog>();
    int m_index = -1;
    QSizeF m_paperMm;
    report::DeviceSettings m_current;
    bool m_printing = false;
    int m_sheet = 0;
    QImage m_image;
    std::unique_ptr<QPdfWriter> m_pdf;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<report::Canvas> m_canvas;
};

} // namespace testsupport
