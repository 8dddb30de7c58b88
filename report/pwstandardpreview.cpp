#include <report/pwstandardpreview.h>

#include <report/emfpage.h>
#include <report/pagepaint.h>
#include <report/previewicons.h>
#include <report/previewlogic.h>
#include <report/pwmessages.h>
#include <report/pwwindows.h>
#include <report/reporterror.h>
#include <report/searchdlg.h>

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDate>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <map>

namespace report {

namespace {

const QString CaptionPrefix = QStringLiteral("Report Preview : ");
constexpr int ZoomItems[] = {50,  60,  70,  80,  90,  100, 110, 120,
                             130, 140, 150, 160, 170, 180, 190, 200};

// Draws page k + 1 in row k of the thumbnail grid, with its number at the cell's corner.
class ThumbDelegate : public QStyledItemDelegate
{
public:
    explicit ThumbDelegate(TPWStandardPreview *window)
        : QStyledItemDelegate(window)
        , m_window(window)
    {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        engineQuiet([&] {
            painter->save();
            painter->fillRect(option.rect, (option.state & QStyle::State_Selected)
                                               ? option.palette.highlight()
                                               : option.palette.base());
            const QRect cell = option.rect;
            // The row is as high as the page at the thumbnail's width; the page keeps its
            // proportions inside the row's margins.
            const QRect area(QPoint(cell.left() + 10, cell.top() + 10),
                             QPoint(cell.right() - 10, cell.bottom() - 10));
            TPWPrinter *printer = m_window->printer();
            if (printer && area.height() > 8 && area.width() > 8) {
                const double ratio = printer->paperLength() > 0
                                         ? double(printer->paperWidth()) / printer->paperLength()
                                         : 1.0;
                int h = area.height();
                int w = int(h * ratio) + 4;
                if (w > area.width()) {
                    w = area.width();
                    h = int((w - 4) / ratio) + 4;
                }
                const QRect target(area.left() + (area.width() - w) / 2, area.top(), w, h);
                paintPageImage(*painter, target, page(printer, index.row() + 1));
            }
            painter->setPen(Qt::black);
            painter->drawText(cell.topLeft() + QPoint(2, painter->fontMetrics().ascent() + 1),
                              QString::number(index.row() + 1));
            painter->restore();
        });
    }

    void clear() { m_pages.clear(); }

private:
    const EmfPage *page(TPWPrinter *printer, int n) const
    {
        auto it = m_pages.find(n);
        if (it == m_pages.end()) {
            if (m_pages.size() > 64)
                m_pages.clear();
            std::shared_ptr<EmfPage> p;
            try {
                p = printer->GetPage(n);
            } catch (...) {
            }
            it = m_pages.emplace(n, std::move(p)).first;
        }
        return it->second.get();
    }

    TPWStandardPreview *m_window;
    mutable std::map<int, std::shared_ptr<EmfPage>> m_pages;
};

} // namespace

TPWStandardPreview::TPWStandardPreview(TPWPrinter *printer, QWidget *parent)
    : QMainWindow(parent)
    , m_printer(printer)
{
    setObjectName(QStringLiteral("PWStandardPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (printer)
        m_report = printer->master() ? printer->master() : printer->parentReport();
    buildControls();
    bindPrinter();
    // The window sees keys first.
    qApp->installEventFilter(this);
}

TPWStandardPreview::~TPWStandardPreview()
{
    qApp->removeEventFilter(this);
    PWPreview->setPrinter(nullptr);
}

QToolButton *TPWStandardPreview::toolButton(const QString &name, const QString &hint, int icon)
{
    auto *b = new QToolButton(ToolBar1);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setIcon(previewIcon(static_cast<PreviewIcon>(icon)));
    b->setIconSize(QSize(22, 22));
    b->setFixedSize(33, 28);
    b->setAutoRaise(true);
    ToolBar1->addWidget(b);
    return b;
}

void TPWStandardPreview::addSeparator()
{
    auto *gap = new QWidget(ToolBar1);
    gap->setFixedWidth(26);
    auto *layout = new QHBoxLayout(gap);
    layout->setContentsMargins(0, 3, 0, 3);
    auto *line = new QFrame(gap);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line, 0, Qt::AlignHCenter);
    ToolBar1->addWidget(gap);
}

void TPWStandardPreview::buildControls()
{
    setWindowTitle(CaptionPrefix);
    resize(770, 532);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setFixedHeight(34);
    ToolBar1->setContentsMargins(2, 2, 2, 2);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    ZoomFit = toolButton(QStringLiteral("ZoomFit"), QStringLiteral("Zoom to fit"),
                         int(PreviewIcon::ZoomFit));
    ZoomToWidth = toolButton(QStringLiteral("ZoomToWidth"), QStringLiteral("Zoom to width"),
                             int(PreviewIcon::ZoomWidth));
    Zoom100 = toolButton(QStringLiteral("Zoom100"), QStringLiteral("100% Size"),
                         int(PreviewIcon::Zoom100));
    m_zoomGroup = new QButtonGroup(this);
    for (QToolButton *b : {ZoomFit, ZoomToWidth, Zoom100}) {
        b->setCheckable(true);
        m_zoomGroup->addButton(b);
    }
    SpeedButton1 = toolButton(QStringLiteral("SpeedButton1"), QStringLiteral("Set Display Zoom"),
                              int(PreviewIcon::ZoomMenu));
    addSeparator();
    FirstPage = toolButton(QStringLiteral("FirstPage"), QStringLiteral("First page"),
                           int(PreviewIcon::FirstPage));
    PreviousPage = toolButton(QStringLiteral("PreviousPage"), QStringLiteral("Previous page"),
                              int(PreviewIcon::PreviousPage));
    nextPage = toolButton(QStringLiteral("nextPage"), QStringLiteral("Next page"),
                          int(PreviewIcon::NextPage));
    LastPage = toolButton(QStringLiteral("LastPage"), QStringLiteral("Last page"),
                          int(PreviewIcon::LastPage));
    addSeparator();
    GotoPageButton = toolButton(QStringLiteral("GotoPageButton"), QStringLiteral("Select a Page"),
                                int(PreviewIcon::GotoPage));
    FindButton = toolButton(QStringLiteral("FindButton"), QStringLiteral("Search for Text"),
                            int(PreviewIcon::Find));
    addSeparator();
    copybutton = toolButton(QStringLiteral("copybutton"), QStringLiteral("Copy page to clipboard"),
                            int(PreviewIcon::Copy));
    PrintSetup = toolButton(QStringLiteral("PrintSetup"), QStringLiteral("Printer setup"),
                            int(PreviewIcon::PrinterSetup));
    Print = toolButton(QStringLiteral("Print"), QStringLiteral("Print"), int(PreviewIcon::Print));
    LoadReport = toolButton(QStringLiteral("LoadReport"), QStringLiteral("Load report"),
                            int(PreviewIcon::Open));
    SaveReport = toolButton(QStringLiteral("SaveReport"), QStringLiteral("Save report"),
                            int(PreviewIcon::Save));
    addSeparator();
    CancelButton = toolButton(QStringLiteral("CancelButton"), QStringLiteral("Cancel the report"),
                              int(PreviewIcon::Cancel));
    ExitButton = new QToolButton(ToolBar1);
    ExitButton->setObjectName(QStringLiteral("ExitButton"));
    ExitButton->setText(QStringLiteral("&Close"));
    ExitButton->setToolTip(QStringLiteral("Close Preview"));
    ExitButton->setIcon(previewIcon(PreviewIcon::Close));
    ExitButton->setIconSize(QSize(16, 16));
    ExitButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ExitButton->setAutoRaise(true);
    ExitButton->setFixedSize(67, 24);
    ToolBar1->addWidget(ExitButton);

    Zoommenu = new QMenu(this);
    Zoommenu->setObjectName(QStringLiteral("Zoommenu"));
    m_zoomItems = new QActionGroup(this);
    m_zoomItems->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int zoom : ZoomItems) {
        QAction *item = Zoommenu->addAction(QString::number(zoom) + QLatin1Char('%'));
        item->setObjectName(QStringLiteral("N%1").arg(zoom));
        // N130 and N160 are plain items: they never show a mark.
        if (zoom != 130 && zoom != 160) {
            item->setCheckable(true);
            m_zoomItems->addAction(item);
        }
        connect(item, &QAction::triggered, this,
                [this, zoom] { engineQuiet([&] { ZoomMenuItemClick(zoom); }); });
    }

    // Left: thumbnails and search results; right: the page.
    Tabs = new QTabWidget;
    Tabs->setObjectName(QStringLiteral("Tabs"));
    // Both tab captions fit the narrow side bar in a small font.
    QFont tabFont = Tabs->font();
    tabFont.setPointSizeF(std::min<qreal>(tabFont.pointSizeF(), 8));
    Tabs->tabBar()->setFont(tabFont);
    Tabs->tabBar()->setExpanding(false);
    Tabs->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
    TabThumbs = new QWidget;
    TabThumbs->setObjectName(QStringLiteral("TabThumbs"));
    ThumbGrid = new QTableWidget(0, 1, TabThumbs);
    ThumbGrid->setObjectName(QStringLiteral("ThumbGrid"));
    ThumbGrid->horizontalHeader()->hide();
    ThumbGrid->verticalHeader()->hide();
    ThumbGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ThumbGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ThumbGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ThumbGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ThumbGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ThumbGrid->setShowGrid(false);
    ThumbGrid->setItemDelegate(new ThumbDelegate(this));
    auto *thumbLayout = new QVBoxLayout(TabThumbs);
    thumbLayout->setContentsMargins(0, 0, 0, 0);
    thumbLayout->addWidget(ThumbGrid);
    Tabs->addTab(TabThumbs, QStringLiteral("ThumbNails"));

    TabSearchResult = new QWidget;
    TabSearchResult->setObjectName(QStringLiteral("TabSearchResult"));
    GroupBox1 = new QGroupBox(QStringLiteral("Search Text"), TabSearchResult);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setFixedHeight(41);
    SearchTextLabel = new QLabel(GroupBox1);
    SearchTextLabel->setObjectName(QStringLiteral("SearchTextLabel"));
    SearchTextLabel->setGeometry(10, 18, 169, 13);
    SearchResultBox = new QListWidget(TabSearchResult);
    SearchResultBox->setObjectName(QStringLiteral("SearchResultBox"));
    SearchResultBox->setEnabled(false);
    auto *searchLayout = new QVBoxLayout(TabSearchResult);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->addWidget(GroupBox1);
    searchLayout->addWidget(SearchResultBox, 1);
    Tabs->addTab(TabSearchResult, QStringLiteral("Search Results"));

    PWPreview = new TPWPreview;
    Splitter2 = new QSplitter(Qt::Horizontal);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setHandleWidth(4);
    Splitter2->addWidget(Tabs);
    Splitter2->addWidget(PWPreview);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({193, 573});
    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->addWidget(Splitter2);
    setCentralWidget(Splitter1);

    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    static const int widths[] = {60, 120, 120, 50};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        m_panels[i]->setMinimumWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        if (i == 0)
            m_panels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (i < 3)
            m_panels[i]->setFixedWidth(widths[i]);
        bar->addWidget(m_panels[i], i == 3 ? 1 : 0);
    }
    setStatusBar(bar);

    const auto wire = [this](QToolButton *b, void (TPWStandardPreview::*f)()) {
        connect(b, &QToolButton::clicked, this,
                [this, f] { engineGuarded(this, [&] { (this->*f)(); }); });
    };
    wire(ZoomFit, &TPWStandardPreview::ZoomFitClick);
    wire(ZoomToWidth, &TPWStandardPreview::ZoomToWidthClick);
    wire(Zoom100, &TPWStandardPreview::Zoom100Click);
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { Zoommenu->popup(SpeedButton1->mapToGlobal(SpeedButton1->rect().center())); });
    wire(FirstPage, &TPWStandardPreview::FirstPageClick);
    wire(PreviousPage, &TPWStandardPreview::PreviousPageClick);
    wire(nextPage, &TPWStandardPreview::nextPageClick);
    wire(LastPage, &TPWStandardPreview::LastPageClick);
    wire(GotoPageButton, &TPWStandardPreview::GotoPageButtonClick);
    wire(FindButton, &TPWStandardPreview::FindButtonClick);
    wire(copybutton, &TPWStandardPreview::copybuttonClick);
    wire(PrintSetup, &TPWStandardPreview::PrintSetupClick);
    wire(Print, &TPWStandardPreview::PrintClick);
    wire(LoadReport, &TPWStandardPreview::LoadReportClick);
    wire(SaveReport, &TPWStandardPreview::SaveReportClick);
    wire(CancelButton, &TPWStandardPreview::CancelButtonClick);
    connect(ExitButton, &QToolButton::clicked, this, &QWidget::close);

    connect(PWPreview, &TPWPreview::OnPageAvailable, this,
            [this](int n) { engineQuiet([&] { pageAvailable(n); }); });
    connect(PWPreview, &TPWPreview::OnProgressUpdate, this,
            [this](int p) { engineQuiet([&] { progressUpdate(p); }); });
    connect(PWPreview, &TPWPreview::pageChanged, this,
            [this](int n) { engineQuiet([&] { pageShown(n); }); });
    connect(PWPreview, &TPWPreview::zoomChanged, this,
            [this](int) { engineQuiet([&] { updateStatusBar(); }); });
    connect(ThumbGrid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (m_selectingThumb || row < 0)
            return;
        engineQuiet([&] { PWPreview->SetPageNumber(row + 1); });
    });
    connect(SearchResultBox, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        engineQuiet([&] { showSearchResult(SearchResultBox->row(item)); });
    });

    // Until the report is complete nothing but Close works.
    CancelButton->setEnabled(false);
    SpeedButton1->setEnabled(false);
    setNavigationEnabled(false);
}

void TPWStandardPreview::setNavigationEnabled(bool on)
{
    for (QToolButton *b : {PrintSetup, Print, SaveReport, LoadReport, FindButton, GotoPageButton,
                           FirstPage, nextPage, PreviousPage, LastPage, copybutton, SpeedButton1})
        b->setEnabled(on);
}

void TPWStandardPreview::bindPrinter()
{
    PWPreview->setPrinter(m_printer);
    if (m_report) {
        if (m_report->PrevFormStyle == TFormStyle::fsStayOnTop)
            setWindowFlag(Qt::WindowStaysOnTopHint);
        m_showThumbs = m_report->PrevShowThumbs;
        m_showSearch = m_report->PrevShowSearch;
        m_initialZoom = m_report->PrevInitialZoom;
        PWPreview->setZoom(m_report->Zoom());
        m_title = m_report->ReportTitle;
        if (m_printer)
            m_printer->Title = m_title;
        m_orientation = m_report->Page().Orientation();
        if (m_report->PreviewInitialState != TWindowState::wsMaximized)
            setGeometry(m_report->PreviewLeft, m_report->PreviewTop, m_report->PreviewWidth(),
                        m_report->PreviewHeight());
        handledByReport(TStandPrevEventType::spOpen, QString());
    }
    if (m_printer) {
        m_printer->PrinterSettings().Orientation = m_orientation;
        if (!m_printer->Title.isEmpty())
            setWindowTitle(CaptionPrefix + m_printer->Title);
    }

    ThumbGrid->setRowCount(1);
    Tabs->setVisible(m_showThumbs || m_showSearch);
    Tabs->setTabVisible(0, m_showThumbs);
    FindButton->setVisible(m_showSearch);
    Tabs->setTabVisible(1, m_showSearch);

    switch (m_initialZoom) {
    case TPWZoomState::pwZoomToFit:
        PWPreview->ZoomToFit();
        ZoomFit->setChecked(true);
        break;
    case TPWZoomState::pwZoomToWidth:
        PWPreview->ZoomToWidth();
        ZoomToWidth->setChecked(true);
        break;
    default:
        PWPreview->setZoom(m_report ? m_report->Zoom() : 100);
        Zoom100->setChecked(true);
        break;
    }
    if (m_printer && m_printer->completeReport())
        pageAvailable(m_printer->PageCount());
}

void TPWStandardPreview::showInitialState()
{
    if (!m_report || m_report->PreviewInitialState == TWindowState::wsMaximized)
        showMaximized();
    else if (m_report->PreviewInitialState == TWindowState::wsMinimized)
        showMinimized();
    else
        show();
}

bool TPWStandardPreview::handledByReport(TStandPrevEventType type, const QString &contName)
{
    if (!m_report || !m_report->OnStandPrevEvent)
        return false;
    bool handled = false;
    m_report->OnStandPrevEvent(*m_report, type, contName, handled);
    return handled;
}

// ---- pages arriving, status bar

void TPWStandardPreview::pageAvailable(int availablePages)
{
    if (!m_printer)
        return;
    CancelButton->setEnabled(true);
    const bool finished = m_printer->Status() == TPWPrinterStatus::mpFinished;
    setThumbRows(finished ? availablePages : std::max(0, availablePages - 1));
    if (finished) {
        setNavigationEnabled(true);
        CancelButton->setEnabled(false);
        // The pause lets pages that arrive while the window is open settle; it never holds
        // up the first paint of a report that was complete before the window showed.
        if (isVisible()) {
            QEventLoop pause;
            QTimer::singleShot(100, &pause, &QEventLoop::quit);
            pause.exec(QEventLoop::ExcludeUserInputEvents);
        }
    }
    if (PWPreview->image()->page() == nullptr && availablePages >= 1)
        PWPreview->UpdateImage();
    if (m_report && m_report->PagesInPreview != 0 &&
        m_report->PagesInPreview == m_printer->PageCount())
        m_report->Run.userCancelled = true;
    updateStatusBar();
}

void TPWStandardPreview::progressUpdate(int percent)
{
    if (percent == 0 || percent == 100) {
        m_panels[0]->clear();
        m_lastProgress = percent;
    } else if (percent >= m_lastProgress + 5) {
        m_panels[0]->setText(QString::number(percent) + QLatin1Char('%'));
        m_lastProgress = percent;
    }
}

void TPWStandardPreview::updateStatusBar()
{
    const int count = PWPreview->pageCount();
    const int shown = count > 0 ? PWPreview->PageNumber() : 0;
    m_panels[1]->setText(QStringLiteral("Page") + QLatin1Char(' ') + QString::number(shown) +
                         QLatin1Char(' ') + QStringLiteral("of") + QLatin1Char(' ') +
                         QString::number(count));
    m_panels[2]->setText(QString::number(PWPreview->Zoom()) + QLatin1Char('%'));
    m_panels[3]->setText(m_title);
    for (QAction *item : Zoommenu->actions()) {
        if (item->isCheckable())
            item->setChecked(item->objectName() == QStringLiteral("N%1").arg(PWPreview->Zoom()));
    }
}

QString TPWStandardPreview::panelText(int panel) const
{
    return panel >= 0 && panel < 4 ? m_panels[panel]->text() : QString();
}

void TPWStandardPreview::pageShown(int page)
{
    updateStatusBar();
    m_selectingThumb = true;
    if (page >= 1 && page <= ThumbGrid->rowCount())
        ThumbGrid->setCurrentCell(page - 1, 0);
    m_selectingThumb = false;
}

void TPWStandardPreview::setThumbRows(int rows)
{
    if (auto *d = dynamic_cast<ThumbDelegate *>(ThumbGrid->itemDelegate()))
        d->clear();
    m_selectingThumb = true;
    ThumbGrid->setRowCount(rows);
    m_selectingThumb = false;
    updateThumbMetrics();
    ThumbGrid->viewport()->update();
}

void TPWStandardPreview::updateThumbMetrics()
{
    if (!m_printer)
        return;
    const ThumbMetrics m = thumbMetrics(
        ThumbGrid->viewport()->width() + 4, m_printer->paperWidth(), m_printer->paperLength(),
        m_orientation == TPWOrientation::poLandscape, ThumbGrid->fontMetrics().height());
    ThumbGrid->setColumnWidth(0, m.columnWidth);
    ThumbGrid->verticalHeader()->setDefaultSectionSize(m.rowHeight);
    for (int r = 0; r < ThumbGrid->rowCount(); ++r)
        ThumbGrid->setRowHeight(r, m.rowHeight);
}

void TPWStandardPreview::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    engineQuiet([this] {
        updateThumbMetrics();
        updateStatusBar();
    });
}

void TPWStandardPreview::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    engineQuiet([this] {
        PWPreview->UpdateZoom();
        updateThumbMetrics();
        updateStatusBar();
    });
}

// ---- zoom and pages

void TPWStandardPreview::ZoomFitClick()
{
    PWPreview->ZoomToFit();
    ZoomFit->setChecked(true);
    updateStatusBar();
}

void TPWStandardPreview::ZoomToWidthClick()
{
    PWPreview->ZoomToWidth();
    ZoomToWidth->setChecked(true);
    updateStatusBar();
}

void TPWStandardPreview::Zoom100Click()
{
    PWPreview->setZoom(100);
    Zoom100->setChecked(true);
    updateStatusBar();
}

void TPWStandardPreview::ZoomMenuItemClick(int zoom)
{
    PWPreview->setZoom(zoom);
    // A zoom from the menu is none of the three buttons'.
    m_zoomGroup->setExclusive(false);
    for (QAbstractButton *b : m_zoomGroup->buttons())
        b->setChecked(zoom == 100 && b == Zoom100);
    m_zoomGroup->setExclusive(true);
    updateStatusBar();
}

void TPWStandardPreview::FirstPageClick()
{
    PWPreview->SetPageNumber(1);
}

void TPWStandardPreview::PreviousPageClick()
{
    PWPreview->SetPageNumber(PWPreview->PageNumber() - 1);
}

void TPWStandardPreview::nextPageClick()
{
    PWPreview->SetPageNumber(PWPreview->PageNumber() + 1);
}

void TPWStandardPreview::LastPageClick()
{
    const int count = PWPreview->pageCount();
    const bool complete = m_printer && m_printer->Status() == TPWPrinterStatus::mpFinished;
    PWPreview->SetPageNumber(complete ? count : count - 1);
}

void TPWStandardPreview::GotoPageButtonClick()
{
    const int count = PWPreview->pageCount();
    QInputDialog box(this);
    box.setObjectName(QStringLiteral("GotoPageDialog"));
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(QStringLiteral("Select a page from 1 to %1").arg(count));
    box.setLabelText(QStringLiteral("Enter page number"));
    box.setTextValue(QString::number(PWPreview->PageNumber()));
    if (box.exec() != QDialog::Accepted)
        return; // the preset text stays: so does the page
    PWPreview->SetPageNumber(goToPage(box.textValue(), count));
}

// ---- search

void TPWStandardPreview::FindButtonClick()
{
    if (!m_printer || m_printer->Status() == TPWPrinterStatus::mpBusy || m_searching)
        return;
    TSearchDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted || dialog.cancelled())
        return;
    m_searching = true;
    const auto done = qScopeGuard([this] { m_searching = false; });
    const QString text = dialog.searchText();
    const bool matchCase = dialog.matchCase();
    SearchResultBox->setEnabled(true);
    SearchResultBox->clear();
    m_searchPages.clear();
    SearchTextLabel->setText(text);
    Tabs->setCurrentWidget(TabSearchResult);
    const QLocale locale;
    const int count = m_printer->PageCount();
    for (int n = 1; n <= count; ++n) {
        const std::unique_ptr<EmfPage> page = m_printer->GetPage(n);
        if (page && pageMatches(page->textItems(), text, matchCase, locale)) {
            SearchResultBox->addItem(QStringLiteral("Page") + QLatin1Char(' ') +
                                     QString::number(n));
            m_searchPages.append(n);
        }
    }
    if (m_searchPages.isEmpty()) {
        SearchResultBox->addItem(QStringLiteral("No matching text"));
        SearchResultBox->setEnabled(false);
    }
}

void TPWStandardPreview::showSearchResult(int row)
{
    PWPreview->SetPageNumber(row >= 0 && row < m_searchPages.size() ? m_searchPages.at(row) : 1);
}

// ---- clipboard, printing, files

void TPWStandardPreview::copybuttonClick()
{
    if (handledByReport(TStandPrevEventType::spCopy, QStringLiteral("Copy")))
        return;
    const EmfPage *page = PWPreview->image()->page();
    if (!page)
        return;
    // The page as an image at 100 %, and its recording for programs that take metafiles.
    QImage image(page->pixelSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(ScreenPixelsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(ScreenPixelsPerInch / 0.0254));
    image.fill(Qt::white);
    {
        QPainter p(&image);
        page->play(p, QRectF(QPointF(0, 0), QSizeF(image.size())));
    }
    auto *data = new QMimeData;
    data->setImageData(image);
    data->setData(QStringLiteral("image/x-emf"), page->bytes());
    QGuiApplication::clipboard()->setMimeData(data);
}

void TPWStandardPreview::PrintClick()
{
    if (handledByReport(TStandPrevEventType::spPrint, QStringLiteral("Print")))
        return;
    if (!m_printer)
        return;
    ExitButton->setEnabled(false);
    m_printing = true;
    const auto enableClose = qScopeGuard([this] {
        m_printing = false;
        ExitButton->setEnabled(true);
    });
    PrintResult result = PrintResult::NotReady;
    if (!m_loaded && m_report)
        result = m_report->Print();
    else
        result = m_printer->Print();
    if (result == PrintResult::NoPrinter)
        showEngineMessage(this, QStringLiteral("No printer is installed"));
    else if (result == PrintResult::NothingToPrint)
        showEngineMessage(this, QStringLiteral("The chosen page range holds no page to print"));
}

void TPWStandardPreview::PrintSetupClick()
{
    if (handledByReport(TStandPrevEventType::spPrintSetup, QStringLiteral("PrintSetup")))
        return;
    if (!m_report || !m_printer || !m_report->PrinterSetup(this) || !m_report->printChoices())
        return;
    const PrintChoices &choice = *m_report->printChoices();
    const DeviceSettings &s = choice.dialog.settings;
    TPrinterSettings &p = m_printer->PrinterSettings();
    const int index = m_report->PrinterSettings().PrinterIndex;
    if (index != m_printer->device().printerIndex()) {
        // Another printer's driver is read; the pages shown keep their paper.
        const TPrinterSettings kept = p;
        m_printer->setPrinterIndex(index);
        p.PaperSize = kept.PaperSize;
        p.PaperWidth = kept.PaperWidth;
        p.PaperLength = kept.PaperLength;
        p.Orientation = kept.Orientation;
    }
    if (s.defaultSource) {
        const std::optional<TPWBin> bin = binFromCode(*s.defaultSource);
        p.UseCustomBinCode = !(bin && *s.defaultSource < 13);
        if (p.UseCustomBinCode)
            p.CustomBinCode = *s.defaultSource;
        else
            p.OutputBin = *bin;
    }
    p.Collate = s.collate.value_or(p.Collate);
    p.ColorOption = s.color.value_or(p.ColorOption);
    p.PrintQuality = s.printQuality.value_or(p.PrintQuality);
    p.Copies = choice.dialog.copies;
    if (s.duplex) {
        p.Duplex = *s.duplex != 1;
        p.ExtendedDuplex = *s.duplex;
    }
    m_printer->FirstPage = choice.firstPage;
    m_printer->LastPage = choice.lastPage;
    if (m_loaded)
        return;
    // The next Print runs the report again: it takes the same choices.
    TPWReportPrinterSettings &r = m_report->PrinterSettings();
    r.UseCustomBinCode = p.UseCustomBinCode;
    r.CustomBinCode = p.CustomBinCode;
    r.OutputBin = p.OutputBin;
    r.Collate = p.Collate;
    r.ColorOption = p.ColorOption;
    r.PrintQuality = p.PrintQuality;
    r.Copies = p.Copies;
    r.Duplex = p.Duplex;
    r.ExtendedDuplex = p.ExtendedDuplex;
    r.FirstPage = choice.firstPage;
    r.LastPage = choice.lastPage;
}

void TPWStandardPreview::SaveReportClick()
{
    if (handledByReport(TStandPrevEventType::spSave, QStringLiteral("Save")))
        return;
    if (!m_printer || m_printer->Status() != TPWPrinterStatus::mpFinished)
        return;
    QFileDialog dialog(this, QStringLiteral("Save report"));
    dialog.setObjectName(QStringLiteral("SaveReportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = saveFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    dialog.selectFile(
        presetSaveName(m_report ? m_report->PreviewSaveName : QString(), QDate::currentDate()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString typed = dialog.selectedFiles().first();
    const auto chosen =
        static_cast<SaveType>(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())));
    const QString extension = saveExtension(typed, chosen);
    const QString fileName = saveFileName(typed, chosen);
    if (extension != QLatin1String("PWP") && extension != QLatin1String("PDF")) {
        showEngineMessage(this, QStringLiteral("Files of type \"%1\" cannot be written: save as a "
                                               "report file (.PWP) or as PDF (.pdf)")
                                    .arg(extension));
        return;
    }
    if (QFileInfo::exists(fileName) &&
        QMessageBox::question(
            this, QStringLiteral("Save report"),
            QStringLiteral("%1 already exists. Replace it?").arg(QFileInfo(fileName).fileName())) !=
            QMessageBox::Yes)
        return;
    if (extension == QLatin1String("PWP"))
        m_printer->Save(fileName);
    else
        writePdf(*m_printer, fileName);
}

void TPWStandardPreview::applyLoadedPaper()
{
    const std::optional<RecognisedPaper> paper = m_printer->loadedPaper();
    if (!paper || !m_report)
        return;
    m_orientation = paper->orientation;
    m_report->PrinterSettings().Orientation = paper->orientation;
    // The report's page takes the file's paper: stored pages print onto it.
    TPWPage &page = m_report->Page();
    page.setStoredSetup(TPWPaperSize::Custom, paper->orientation);
    page.setNativeValue(TPWPage::WidthIndex, paper->width);
    page.setNativeValue(TPWPage::LengthIndex, paper->length);
    page.setStoredSetup(paper->size, paper->orientation);
}

void TPWStandardPreview::LoadReportClick()
{
    if (handledByReport(TStandPrevEventType::spLoad, QStringLiteral("Load")))
        return;
    if (!m_printer || m_printer->Status() == TPWPrinterStatus::mpBusy)
        return;
    QFileDialog dialog(this, QStringLiteral("Load report"));
    dialog.setObjectName(QStringLiteral("LoadReportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("Pagewright file (*.PWP *.pwp)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString fileName = dialog.selectedFiles().first();
    if (!QFileInfo(fileName).isFile()) {
        showEngineMessage(this, QStringLiteral("File does not exist"));
        return;
    }
    try {
        m_printer->Load(fileName);
    } catch (const std::exception &e) {
        // The pages shown stay as they were.
        showEngineMessage(this,
                          QStringLiteral("%1 is not a report file that can be read: %2")
                              .arg(QFileInfo(fileName).fileName(), QString::fromUtf8(e.what())));
        return;
    }
    m_loaded = true;
    m_title = QFileInfo(fileName).fileName();
    applyLoadedPaper();
    PWPreview->UpdateZoom();
    PWPreview->UpdateImage();
    PWPreview->SetPageNumber(1);
    pageAvailable(m_printer->PageCount());
    pageShown(1);
    Print->setEnabled(true);
}

void TPWStandardPreview::CancelButtonClick()
{
    if (handledByReport(TStandPrevEventType::spCancel, QStringLiteral("Cancel")))
        return;
    if (m_report)
        m_report->Run.userCancelled = true;
}

// ---- keys, wheel, closing

bool TPWStandardPreview::ownsWidget(QObject *object) const
{
    auto *w = qobject_cast<QWidget *>(object);
    return w && w->window() == this;
}

bool TPWStandardPreview::thumbnailsHaveFocus() const
{
    const QWidget *f = focusWidget();
    return f && (f == ThumbGrid || ThumbGrid->isAncestorOf(f));
}

void TPWStandardPreview::scrollUp()
{
    QScrollBar *bar = PWPreview->verticalScrollBar();
    if (bar->value() > bar->minimum()) {
        bar->setValue(bar->value() - TPWPreview::VerticalIncrement);
        return;
    }
    const int page = PWPreview->PageNumber();
    if (page <= 1) {
        bar->setValue(0);
        return;
    }
    PWPreview->SetPageNumber(page - 1);
    // The end of the previous page comes into view, one step short of its bottom.
    bar->setValue(std::max(0, bar->maximum() - TPWPreview::VerticalIncrement));
}

void TPWStandardPreview::scrollDown()
{
    QScrollBar *bar = PWPreview->verticalScrollBar();
    if (bar->value() < bar->maximum())
        bar->setValue(bar->value() + TPWPreview::VerticalIncrement);
    else
        PWPreview->SetPageNumber(PWPreview->PageNumber() + 1);
}

bool TPWStandardPreview::handleKey(QKeyEvent *event)
{
    const PreviewAction action = previewKeyAction(event->key(), event->modifiers());
    if (action == PreviewAction::Close) {
        close();
        return true;
    }
    if (action == PreviewAction::None || thumbnailsHaveFocus())
        return false;
    engineQuiet([&] {
        switch (action) {
        case PreviewAction::PreviousPage:
            PreviousPageClick();
            break;
        case PreviewAction::NextPage:
            nextPageClick();
            break;
        case PreviewAction::FirstPage:
            FirstPageClick();
            break;
        case PreviewAction::LastPage:
            LastPageClick();
            break;
        case PreviewAction::ScrollUp:
            scrollUp();
            break;
        case PreviewAction::ScrollDown:
            scrollDown();
            break;
        default:
            break;
        }
    });
    return true;
}

bool TPWStandardPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && ownsWidget(watched))
        return handleKey(static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::Wheel && ownsWidget(watched)) {
        auto *w = static_cast<QWidget *>(watched);
        // The wheel over the thumbnails or the search results scrolls them.
        if (w == ThumbGrid || ThumbGrid->isAncestorOf(w) || w == SearchResultBox ||
            SearchResultBox->isAncestorOf(w))
            return false;
        const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
        if (delta == 0)
            return false;
        engineQuiet([&] { delta > 0 ? scrollUp() : scrollDown(); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TPWStandardPreview::closeEvent(QCloseEvent *event)
{
    const bool busy = m_printer && m_printer->Status() == TPWPrinterStatus::mpBusy;
    if (busy || m_printing || !ExitButton->isEnabled()) {
        event->ignore();
        return;
    }
    handledByReport(TStandPrevEventType::spClose, QString());
    if (TPWPrinter *printer = m_printer) {
        // It stops showing a preview, and the report discards it with its pages.
        printer->ClosePreview();
        PWPreview->setPrinter(nullptr);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    event->accept();
}

void showStandardPreview(TPWPrinter &printer, bool modal)
{
    QPointer<TPWStandardPreview> window = new TPWStandardPreview(&printer);
    QEventLoop loop;
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    if (modal)
        window->setWindowModality(Qt::ApplicationModal);
    window->showInitialState();
    loop.exec();
    delete window.data(); // the application quit before the window closed
}

} // namespace report
