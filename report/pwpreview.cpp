#include <report/pwpreview.h>

#include <report/emfpage.h>
#include <report/pagepaint.h>
#include <report/previewlogic.h>
#include <report/pwmessages.h>

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace report {

TPWPreviewImage::TPWPreviewImage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PreviewImage"));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

TPWPreviewImage::~TPWPreviewImage() = default;

void TPWPreviewImage::setPage(TPWPrinter *printer, int n)
{
    m_pageNumber = n;
    m_page.reset();
    m_cache = QPixmap();
    if (printer) {
        try {
            m_page = printer->GetPage(n);
        } catch (...) {
            // A page that cannot be read shows as an empty sheet; the preview stays usable.
            m_page.reset();
        }
    }
    update();
}

void TPWPreviewImage::updateSize(TPWPrinter *printer)
{
    const QSize size = printer
                           ? pageImageSize(printer->paperWidth(), printer->paperLength(), m_zoom)
                           : QSize(250, 250);
    if (size != this->size() || m_zoom != m_cacheZoom) {
        resize(size);
        m_cache = QPixmap();
        update();
    }
}

void TPWPreviewImage::paintEvent(QPaintEvent *event)
{
    // The page is drawn once per page and zoom, at the screen's own pixel ratio so that it
    // stays sharp on high-resolution screens; repaints after scrolling copy from it.
    const qreal ratio = devicePixelRatioF();
    if (m_cache.isNull() || m_cache.devicePixelRatio() != ratio ||
        m_cache.size() != size() * ratio) {
        m_cache = QPixmap(size() * ratio);
        m_cache.setDevicePixelRatio(ratio);
        m_cache.fill(Qt::transparent);
        QPainter p(&m_cache);
        paintPageImage(p, rect(), m_page.get());
        m_cacheZoom = m_zoom;
    }
    QPainter painter(this);
    painter.drawPixmap(
        event->rect(), m_cache,
        QRectF(QPointF(event->rect().topLeft()) * ratio, QSizeF(event->rect().size()) * ratio));
}

TPWPreview::TPWPreview(QWidget *parent)
    : QScrollArea(parent)
    , m_sheet(new QWidget)
    , m_image(new TPWPreviewImage(m_sheet))
{
    setObjectName(QStringLiteral("PWPreview"));
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackgroundRole(QPalette::Dark);
    m_sheet->setObjectName(QStringLiteral("PreviewSheet"));
    setWidget(m_sheet);
    m_image->resize(250, 250);
    horizontalScrollBar()->setSingleStep(HorizontalIncrement);
    verticalScrollBar()->setSingleStep(VerticalIncrement);
    setFocusPolicy(Qt::StrongFocus);
    resize(250, 250);
}

TPWPreview::~TPWPreview()
{
    if (m_printer && m_printer->client() == this)
        m_printer->setClient(nullptr);
}

void TPWPreview::setPrinter(TPWPrinter *printer)
{
    if (m_printer) {
        if (m_printer->client() == this)
            m_printer->setClient(nullptr);
        m_printer->setShowingPreview(false);
    }
    m_printer = printer;
    m_available = 0;
    if (!printer) {
        m_image->setPage(nullptr, 0);
        return;
    }
    printer->setClient(this);
    printer->setShowingPreview(true);
    m_available = printer->AvailablePages();
    m_image->setZoom(m_zoom);
    m_image->updateSize(printer);
    m_image->setPage(printer, 1);
    scrollHome();
}

int TPWPreview::pageCount() const
{
    if (!m_printer)
        return 0;
    return std::max(m_printer->PageCount(), m_available);
}

void TPWPreview::SetPageNumber(int n)
{
    if (!m_printer)
        return;
    if ((n == m_image->PageNumber() && m_image->page()) || n < 1 || n > pageCount())
        return;
    m_image->setPage(m_printer, n);
    scrollHome();
    emit pageChanged(n);
}

QSize TPWPreview::page100() const
{
    if (!m_printer)
        return QSize(250, 250);
    return QSize(screenPixels(m_printer->paperWidth()), screenPixels(m_printer->paperLength()));
}

void TPWPreview::setZoom(int zoom)
{
    if (!zoomAccepted(zoom))
        return;
    applyZoom(zoom, TPWZoomState::pwZoomOther);
}

void TPWPreview::ZoomToFit()
{
    applyZoom(zoomToFit(maximumViewportSize(), page100()), TPWZoomState::pwZoomToFit);
}

void TPWPreview::ZoomToWidth()
{
    applyZoom(zoomToWidth(maximumViewportSize().width(), page100().width()),
              TPWZoomState::pwZoomToWidth);
}

void TPWPreview::applyZoom(int zoom, TPWZoomState state)
{
    m_zoomState = state;
    const bool changed = zoom != m_zoom;
    m_zoom = zoom;
    m_image->setZoom(zoom);
    m_image->updateSize(m_printer);
    scrollHome();
    if (changed)
        emit zoomChanged(zoom);
}

void TPWPreview::UpdateZoom()
{
    if (m_zoomState == TPWZoomState::pwZoomToFit)
        ZoomToFit();
    else if (m_zoomState == TPWZoomState::pwZoomToWidth)
        ZoomToWidth();
    else
        m_image->updateSize(m_printer);
    placeImage();
}

void TPWPreview::UpdateImage()
{
    m_image->updateSize(m_printer);
    placeImage();
    m_image->setPage(m_printer, std::max(1, m_image->PageNumber()));
}

void TPWPreview::placeImage()
{
    // The room the image has: the control without scroll bars, less those the image needs.
    const QSize image = m_image->size();
    const QSize most = maximumViewportSize();
    const int barWidth = verticalScrollBar()->sizeHint().width();
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    bool wide = image.width() > most.width();
    bool tall = image.height() > most.height();
    if (wide != tall) {
        wide = wide || image.width() > most.width() - (tall ? barWidth : 0);
        tall = tall || image.height() > most.height() - (wide ? barHeight : 0);
    }
    const QSize room(most.width() - (tall ? barWidth : 0), most.height() - (wide ? barHeight : 0));
    m_sheet->resize(image.expandedTo(room));
    m_image->move(centredOffset(room.width(), image.width()),
                  centredOffset(room.height(), image.height()));
}

void TPWPreview::scrollHome()
{
    placeImage();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void TPWPreview::pageAvailable(int availablePages)
{
    engineQuiet([&] {
        const int before = m_available;
        m_available = std::max(m_available, availablePages);
        const int shown = std::max(1, m_image->PageNumber());
        if (m_printer && !m_image->page() && shown > before && shown <= m_available)
            m_image->setPage(m_printer, shown);
    });
    emit OnPageAvailable(availablePages);
}

void TPWPreview::progressUpdate(int percent)
{
    emit OnProgressUpdate(percent);
}

void TPWPreview::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    engineQuiet([this] {
        UpdateZoom();
        placeImage();
    });
}

void TPWPreview::focusInEvent(QFocusEvent *event)
{
    QScrollArea::focusInEvent(event);
    engineQuiet([this] { UpdateZoom(); });
}

} // namespace report
