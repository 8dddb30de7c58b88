#pragma once

#include <report/canvas.h>
#include <report/pwband.h>
#include <report/pwcontrol.h>
#include <report/pwframe.h>
#include <report/pwpage.h>
#include <report/pwprintersettings.h>

#include <report/printerdevice.h>

#include <QColor>
#include <QHash>
#include <QList>
#include <QPair>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace report {

class MeasureDevice;
class PageOutput;
class TPWPrintable;
class TPWPrinter;
class Canvas;
enum class PrintResult;

struct TPWOptions
{
    bool FirstPageHeader = true;
    bool LastPageFooter = true;
    bool Compression = false;
    bool operator==(const TPWOptions &) const = default;
};

enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TPWZoomState { pwZoomToFit, pwZoomToWidth, pwZoomOther, pwZoom100 };
enum class TPWSaveType { stPWP };
/// What the standard preview is about to do (told to OnStandPrevEvent first).
enum class TStandPrevEventType {
    spOpen,
    spClose,
    spCopy,
    spPrint,
    spPrintSetup,
    spLoad,
    spSave,
    spCancel
};

/// Run-time state of a report while it is generated.
struct TPWRunState
{
    bool available = true;
    bool cancelled = false;
    bool lastPage = false;
    int currentX = 0;
    int currentY = -1; // before the first page
    int currentColumn = 1;
    int columnTop = 0;
    int pageCount = 0;
    double pageFooterHeight = 0;
    int pageNumber = 0;
    bool forceNewPage = false;
    bool forceNewColumn = false;
    /// Set by the progress window's and the preview's Cancel: stops a data-driven detail
    /// loop after the current record.
    bool userCancelled = false;
};

/// What the user chose in the print dialog, kept for the preview (which applies it to its
/// printer object and, unless a file was loaded, to the report's printer settings).
struct PrintChoices
{
    PrintDialogChoice dialog;
    /// The page range as FirstPage and LastPage take it: 0 for all pages or a selection.
    int firstPage = 0;
    int lastPage = 0;
};

/// A band report: page setup, bands standing one under another and the printable controls on
/// them. Built in code or from a definition file.
class TPWReport : public PWControl
{
public:
    /// `formFont` is the font of whatever holds the report. A report takes it when the user's
    /// language is Japanese; otherwise it starts with Arial 10 pt.
    explicit TPWReport(QString name = {}, const CanvasFont *formFont = nullptr);
    ~TPWReport() override;

    TPWPage &Page() { return m_page; }
    const TPWPage &Page() const { return m_page; }
    TPWUnit Units() const { return m_units; }
    void setUnits(TPWUnit unit);
    int Zoom() const { return m_zoom; }
    void setZoom(int zoom);

    const CanvasFont &Font() const { return m_font; }
    void setFont(const CanvasFont &font);

    /// A new report takes the default printer's paper when the printer reports one; `Default`
    /// keeps the sizes. Whoever knows the printer calls this before a definition is loaded.
    void takePrinterPaperSize(TPWPaperSize size)
    {
        if (size != TPWPaperSize::Default)
            m_page.setPaperSize(size);
    }

    TPWReportPrinterSettings &PrinterSettings() { return m_printerSettings; }
    const TPWReportPrinterSettings &PrinterSettings() const { return m_printerSettings; }

    TPWOptions Options;
    bool PrintIfEmpty = true;
    QString ReportTitle;
    bool ShowProgress = true;
    QColor BackgroundColor = Qt::white;
    TPWFrame Frame;
    bool SnapToGrid = true;
    /// Named values with their initial expressions, in registration order.
    QList<QPair<QString, QString>> Functions;

    TFormStyle PrevFormStyle = TFormStyle::fsNormal;
    TWindowState PreviewInitialState = TWindowState::wsNormal;
    TPWZoomState PrevInitialZoom = TPWZoomState::pwZoomToFit;
    TPWSaveType PreviewDefaultSaveType = TPWSaveType::stPWP;
    int PreviewLeft = 0;
    int PreviewTop = 0;
    int PreviewWidth() const { return m_previewWidth > 0 ? m_previewWidth : 500; }
    void setPreviewWidth(int w) { m_previewWidth = w; }
    int PreviewHeight() const { return m_previewHeight > 0 ? m_previewHeight : 500; }
    void setPreviewHeight(int h) { m_previewHeight = h; }
    bool PrevShowThumbs = true;
    bool PrevShowSearch = true;
    int PagesInPreview = 0;
    bool CreateInBGThread = false;

    std::function<void(TPWReport &, bool &printReport)> BeforePrint;
    std::function<void(TPWReport &)> AfterPrint;
    std::function<void(TPWReport &)> BeforePreview;
    std::function<void(TPWReport &)> AfterPreview;
    std::function<void(TPWReport &)> OnStartPage;
    std::function<void(TPWReport &)> OnEndPage;
    std::function<void(TPWReport &, bool &moreData)> OnNeedData;
    std::function<void(TPWReport &)> OnPreview;
    std::function<void(TPWReport &)> OnGetPrinterSettings;
    std::function<void(TPWReport &)> OnApplyPrinterSettings;
    /// Called before the standard preview's own action; setting `handled` suppresses it.
    std::function<void(TPWReport &, TStandPrevEventType, const QString &contName, bool &handled)>
        OnStandPrevEvent;

    /// Adds a band; the report owns it. Bands are rearranged in design order.
    TPWBand *addBand(std::unique_ptr<TPWBand> band);
    /// Bands in the order they were added (definition order).
    const std::vector<std::unique_ptr<TPWBand>> &bands() const { return m_bands; }
    TPWBand *findBand(const QString &name) const;
    TPWBand *bandOfType(TPWBandType type) const;

    /// Printables standing directly on the report (printed at the end of every page).
    TPWPrintable *addControl(std::unique_ptr<TPWPrintable> control);
    const std::vector<std::unique_ptr<TPWPrintable>> &controls() const { return m_controls; }

    /// A control by name, on any band or on the report.
    TPWPrintable *findControl(const QString &name) const;
    template <class T> T *control(const QString &name) const
    {
        return dynamic_cast<T *>(findControl(name));
    }
    /// Every printable: on the bands in band order, then those on the report.
    std::vector<TPWPrintable *> allPrintables() const;

    /// The screen-compatible canvas every label of this report measures its text on.
    Canvas &measureCanvas();

    /// The printer object whose page the controls draw on; set by report generation.
    PageOutput *printer() const { return m_printer; }
    void setPrinter(PageOutput *printer) { m_printer = printer; }

    TPWRunState Run;

    // ---- generation
    /// Generates the report into the page store and shows the standard preview modally;
    /// returns once the preview has closed.
    void PreviewModal();
    /// The same with a preview that is not modal; the call still waits, handling events,
    /// until the preview closes or the application quits.
    void Preview();
    /// Generates the report straight onto the printer, each page at the printer's
    /// resolution; the printer object of a preview is set aside meanwhile and kept. `device`
    /// prints on a given printer (a PDF file) instead of a new one of the platform.
    PrintResult Print(PrinterDevice *device = nullptr);
    /// Generates into the page store without showing anything; the printer object keeps
    /// the pages.
    void Prepare();
    /// Shows the print dialog on the report's printer and keeps the user's choices.
    bool PrinterSetup(QWidget *parent = nullptr);
    /// Breaks to a new page or column (the band loop does; so may a report event).
    void NewPage();
    void NewColumn();
    /// During a run: stops it and cancels the printer object.
    void Cancel();
    /// One run of the report onto its current printer object.
    void Execute();

    /// The printer object of the last run (or of the preview); none between runs.
    TPWPrinter *printerObject() const { return m_printerObject; }
    /// The preview showing `printer` has closed: a run still going is cancelled, otherwise
    /// the printer object and its pages are discarded.
    void printerObjectClosed(TPWPrinter *printer);
    const std::optional<PrintChoices> &printChoices() const { return m_printChoices; }
    /// A named value of the run (PAGENUMBER, COLUMNNUMBER, REPORTTITLE).
    QString namedValue(const QString &name) const { return m_namedValues.value(name); }
    /// Room left on the page for bands above the page footer, tenths of a millimetre; 0
    /// before the first page and outside a run.
    int availableSpace() const;
    /// Prints a band at the current position (called by TPWBand::Print).
    void printBand(TPWBand &band);

    /// The file name the preview offers when saving (without folder or extension).
    QString PreviewSaveName;

    /// Called by the page when its values, paper or columns change: refits the bands and
    /// the report's own pixel bounds.
    void pageChanged();
    /// Places the bands one under another in design order and sets their widths.
    void arrangeBands();

    /// True while a definition is being loaded: pixel bounds are only remembered then.
    bool loading() const { return m_loading; }
    void beginLoading() { m_loading = true; }
    /// Ends loading: derives pixel bounds from the values, applies font sizes, formats.
    void endLoading();

private:
    int bandOrder(TPWBandType type) const;
    TPWPrinter *newPrinterObject();
    void discardPrinterObject();
    bool generateIntoStore();
    void runPreview(bool modal);
    void EndPage();
    void printDetail();
    void makeRoom(TPWBand &band);
    double paperLength() const;
    bool bandCanExpand(TPWBand &band, double h);

    TPWPage m_page;
    TPWUnit m_units;
    int m_zoom = 100;
    CanvasFont m_font;
    TPWReportPrinterSettings m_printerSettings;
    int m_previewWidth = 500;
    int m_previewHeight = 500;
    std::vector<std::unique_ptr<TPWBand>> m_bands;
    std::vector<std::unique_ptr<TPWPrintable>> m_controls;
    std::unique_ptr<MeasureDevice> m_measure;
    PageOutput *m_printer = nullptr;
    bool m_loading = false;
    bool m_constructed = false;
    TPWPrinter *m_printerObject = nullptr;
    // Every printer object made, so that none outlives the report it points to.
    QList<QPointer<QObject>> m_printerObjects;
    std::optional<PrintChoices> m_printChoices;
    QHash<QString, QString> m_namedValues;
    double m_stretchAsked = 0;
};

} // namespace report
