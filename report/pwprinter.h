#pragma once

#include <report/printerdevice.h>
#include <report/pwoutput.h>
#include <report/pwprintsettings.h>

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace report {

class EmfCanvas;
class EmfPage;
class TPWPageList;
class TPWReport;

enum class TPWPrinterStatus { mpReady, mpBusy, mpFinished };
enum class TPWDestination { pwdMetafile, pwdPrinter };

/// What a print of stored pages (or of the report) came to.
enum class PrintResult {
    Printed,
    NotReady,       ///< the printer object holds no finished report
    NoPrinter,      ///< no printer is installed
    NothingToPrint, ///< the page range holds no page
    Cancelled,
    Delegated, ///< the report prints itself again instead
};

/// Receives what a printer object posts: pages that became available and the progress of a
/// print. The preview control and the progress window are clients.
class PrinterClient
{
public:
    virtual void pageAvailable(int availablePages) = 0;
    virtual void progressUpdate(int percent) = 0;
    /// The object the notices are queued to; they are dropped once it is gone.
    virtual QObject *clientObject() = 0;

protected:
    ~PrinterClient() = default;
};

/// Stands between a running report and its output: owns the output mapping and the canvas
/// of the current page, and sends each page into the page store (for the preview and report
/// files) or straight to the printer. It also prints stored pages and loads and saves report
/// files. One exists per run; notices to its client are queued, as window messages were.
class TPWPrinter : public QObject, public PageOutput
{
    Q_OBJECT
public:
    /// A printer object for `parentReport` (may be none) drawing on `device`; without one
    /// it takes the application's shared printer or a private one as the report's settings
    /// say.
    explicit TPWPrinter(TPWReport *parentReport = nullptr,
                        std::unique_ptr<PrinterDevice> device = nullptr);
    /// A printer object drawing on a printer owned elsewhere.
    TPWPrinter(TPWReport *parentReport, PrinterDevice &device);
    ~TPWPrinter() override;

    TPWDestination Destination = TPWDestination::pwdMetafile;
    TPWPrinterStatus Status() const { return m_status; }
    int PageNumber() const { return m_pageNumber; }
    int PageCount() const;
    int AvailablePages() const { return m_availablePages; }
    QString Title;
    /// Page range for direct printing; 0 is no limit.
    int FirstPage = 0;
    int LastPage = 0;
    bool PrintMetaFile = false;

    TPrinterSettings &PrinterSettings() { return m_settings; }
    const TPrinterSettings &PrinterSettings() const { return m_settings; }
    PrinterDevice &device() { return *m_device; }
    /// At least one printer is installed.
    bool PrinterOK() const;
    /// Makes `index` the current printer and reads its driver again.
    void setPrinterIndex(int index);

    TPWReport *parentReport() const { return m_parentReport; }
    TPWReport *master() const { return m_master; }
    void setMaster(TPWReport *master) { m_master = master; }
    PrinterClient *client() const { return m_client; }
    void setClient(PrinterClient *client);

    bool cancelled() const { return m_cancelled; }
    bool showingPreview() const { return m_showingPreview; }
    void setShowingPreview(bool on) { m_showingPreview = on; }
    /// Holds every page of a report run to its end (or of a loaded file).
    bool completeReport() const { return m_completeReport; }
    void setCompleteReport(bool on) { m_completeReport = on; }
    /// The pages came from a report file.
    bool reportLoaded() const { return m_reportLoaded; }

    std::function<void(TPWPrinter &)> AfterPreview;
    std::function<void(TPWPrinter &)> AfterPrint;
    std::function<void(TPWPrinter &)> OnPreview;
    /// Asked by PrintSetup; true when the user confirmed.
    std::function<bool(TPWPrinter &)> OnPrintSetup;

    /// Copies the report's printer values (before every run).
    void takeReportSettings(const TPWReport &report);
    /// Pages of the next run are stored compressed.
    void setCompression(bool on);

    void BeginDoc();
    void NewPage();
    void EndDoc();
    void AbortDoc();
    void Cancel() { m_cancelled = true; }

    Canvas *canvas() override;

    /// Page n (1-based), a copy owned by the caller; none outside 1 to PageCount().
    std::unique_ptr<EmfPage> GetPage(int n);
    /// Prints the stored pages (after a report file was loaded), or asks the master report
    /// to print itself when the pages came from its run.
    PrintResult Print();
    /// Writes the stored pages as a report file; only once they are complete.
    void Save(const QString &fileName);
    /// Reads a report file in place of the pages held; on failure the pages held stay.
    void Load(const QString &fileName);
    bool PrintSetup();
    /// The preview showing this object has closed.
    void ClosePreview();

    /// The paper as it prints, tenths of a millimetre.
    int paperWidth() const { return m_settings.paperWidth(); }
    int paperLength() const { return m_settings.paperLength(); }
    /// Size in screen pixels of a recorded page of this paper at 100 %.
    QSize pagePixels() const;

    const TPWPageList &pageList() const { return *m_pages; }
    /// The paper recognised in the report file loaded last.
    std::optional<RecognisedPaper> loadedPaper() const { return m_loadedPaper; }

private:
    bool inRange(int page) const;
    void readFactors();
    void closePage(bool advance);
    void post(int availablePages);
    void postProgress(int percent);

    TPWReport *m_parentReport = nullptr;
    TPWReport *m_master = nullptr;
    std::unique_ptr<PrinterDevice> m_ownDevice;
    PrinterDevice *m_device = nullptr;
    TPrinterSettings m_settings;
    std::unique_ptr<TPWPageList> m_pages;
    std::unique_ptr<EmfCanvas> m_recording; // the page in hand while recording
    bool m_pageInHand = false;
    bool m_pageInRange = false;
    bool m_jobBegun = false;
    TPWPrinterStatus m_status = TPWPrinterStatus::mpReady;
    int m_pageNumber = 0;
    int m_pageCount = 0;
    int m_availablePages = 0;
    PrinterClient *m_client = nullptr;
    QPointer<QObject> m_clientObject;
    bool m_cancelled = false;
    bool m_showingPreview = false;
    bool m_completeReport = false;
    bool m_reportLoaded = false;
    std::optional<RecognisedPaper> m_loadedPaper;
};

} // namespace report
