#pragma once

#include <report/pwpreview.h>
#include <report/pwreport.h>

#include <QMainWindow>
#include <QPointer>

class QActionGroup;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QSplitter;
class QTableWidget;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace report {

/// The standard preview window: the pages of a printer object with zoom, paging, thumbnails,
/// text search, printing, printer setup, report files and the clipboard. Its texts are
/// English. It frees itself when it closes, and refuses to close while a print runs.
class TPWStandardPreview : public QMainWindow
{
    Q_OBJECT
public:
    explicit TPWStandardPreview(TPWPrinter *printer, QWidget *parent = nullptr);
    ~TPWStandardPreview() override;

    /// Shows the window in the state the report asks for (maximized for the slip).
    void showInitialState();

    TPWPrinter *printer() const { return m_printer; }
    TPWReport *report() const { return m_report; }
    bool reportLoaded() const { return m_loaded; }
    /// The texts of the status bar's four panels.
    QString panelText(int panel) const;

    // Tool bar, in order.
    QToolBar *ToolBar1;
    QToolButton *ZoomFit, *ZoomToWidth, *Zoom100, *SpeedButton1;
    QToolButton *FirstPage, *PreviousPage, *nextPage, *LastPage;
    QToolButton *GotoPageButton, *FindButton;
    QToolButton *copybutton, *PrintSetup, *Print, *LoadReport, *SaveReport;
    QToolButton *CancelButton, *ExitButton;
    QMenu *Zoommenu;
    // Left side.
    QTabWidget *Tabs;
    QWidget *TabThumbs, *TabSearchResult;
    QTableWidget *ThumbGrid;
    QGroupBox *GroupBox1;
    QLabel *SearchTextLabel;
    QListWidget *SearchResultBox;
    QSplitter *Splitter1, *Splitter2;
    TPWPreview *PWPreview;

    // The actions behind the controls (the buttons call them).
    void ZoomFitClick();
    void ZoomToWidthClick();
    void Zoom100Click();
    void ZoomMenuItemClick(int zoom);
    void FirstPageClick();
    void PreviousPageClick();
    void nextPageClick();
    void LastPageClick();
    void GotoPageButtonClick();
    void FindButtonClick();
    void copybuttonClick();
    void PrintSetupClick();
    void PrintClick();
    void LoadReportClick();
    void SaveReportClick();
    void CancelButtonClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    QToolButton *toolButton(const QString &name, const QString &hint, int icon);
    void addSeparator();
    void bindPrinter();
    void pageAvailable(int availablePages);
    void progressUpdate(int percent);
    void updateStatusBar();
    void pageShown(int page);
    void setThumbRows(int rows);
    void updateThumbMetrics();
    void setNavigationEnabled(bool on);
    bool handledByReport(TStandPrevEventType type, const QString &contName);
    bool handleKey(QKeyEvent *event);
    void scrollUp();
    void scrollDown();
    void showSearchResult(int row);
    bool ownsWidget(QObject *object) const;
    bool thumbnailsHaveFocus() const;
    void applyLoadedPaper();

    QPointer<TPWPrinter> m_printer;
    TPWReport *m_report = nullptr;
    QButtonGroup *m_zoomGroup = nullptr;
    QActionGroup *m_zoomItems = nullptr;
    QLabel *m_panels[4] = {};
    TPWOrientation m_orientation = TPWOrientation::poPortrait;
    bool m_showThumbs = true;
    bool m_showSearch = true;
    TPWZoomState m_initialZoom = TPWZoomState::pwZoomToFit;
    int m_lastProgress = 0;
    QString m_title;
    bool m_loaded = false;
    bool m_selectingThumb = false;
    bool m_searching = false;
    bool m_printing = false;
    QList<int> m_searchPages;
};

} // namespace report
