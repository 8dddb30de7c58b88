#include <report/paintercanvas.h>

#include <report/emfpage.h>
#include <report/fonts.h>

#include <QFontMetrics>
#include <QPainterPath>

#include <cmath>

namespace report {

namespace {

Qt::PenStyle qtPenStyle(CanvasPen::Style style)
{
    switch (style) {
    case CanvasPen::Solid:
    case CanvasPen::InsideFrame:
        return Qt::SolidLine;
    case CanvasPen::Dash:
        return Qt::DashLine;
    case CanvasPen::Dot:
        return Qt::DotLine;
    case CanvasPen::DashDot:
        return Qt::DashDotLine;
    case CanvasPen::DashDotDot:
        return Qt::DashDotDotLine;
    case CanvasPen::Clear:
        return Qt::NoPen;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle qtBrushStyle(CanvasBrush::Style style)
{
    switch (style) {
    case CanvasBrush::Solid:
        return Qt::SolidPattern;
    case CanvasBrush::Clear:
        return Qt::NoBrush;
    case CanvasBrush::Horizontal:
        return Qt::HorPattern;
    case CanvasBrush::Vertical:
        return Qt::VerPattern;
    case CanvasBrush::FDiagonal:
        return Qt::BDiagPattern; // GDI's forward diagonal rises to the right
    case CanvasBrush::BDiagonal:
        return Qt::FDiagPattern;
    case CanvasBrush::Cross:
        return Qt::CrossPattern;
    case CanvasBrush::DiagCross:
        return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

bool isHatch(CanvasBrush::Style style)
{
    return style != CanvasBrush::Solid && style != CanvasBrush::Clear;
}

// The pixel rectangle a GDI call covers: left/top inclusive, right/bottom exclusive.
QRectF pixelArea(const QRect &r)
{
    return QRectF(r.left(), r.top(), r.width(), r.height());
}

} // namespace

PainterCanvas::PainterCanvas(QPainter *painter, QSize dpi)
    : m_painter(painter)
    , m_dpi(dpi)
{
    if (!m_dpi.isValid() || m_dpi.isEmpty()) {
        QPaintDevice *device = painter ? painter->device() : nullptr;
        m_dpi = device ? QSize(device->logicalDpiX(), device->logicalDpiY()) : QSize(96, 96);
    }
    installFontSubstitutions();
    m_qfont = qtFontFor(m_font, m_dpi);
    if (m_painter) {
        m_painter->setRenderHint(QPainter::Antialiasing, false);
        m_painter->setRenderHint(QPainter::TextAntialiasing, true);
        m_painter->setBackground(QBrush(Qt::white));
        m_painter->setBackgroundMode(Qt::OpaqueMode);
    }
}

PainterCanvas::~PainterCanvas() = default;

void PainterCanvas::setFont(const CanvasFont &font)
{
    if (font == m_font)
        return;
    m_font = font;
    m_qfont = qtFontFor(m_font, m_dpi);
    m_metrics.reset();
}

const QFontMetrics &PainterCanvas::metrics()
{
    if (!m_metrics)
        m_metrics.emplace(m_qfont, m_painter ? m_painter->device() : nullptr);
    return *m_metrics;
}

void PainterCanvas::setPen(const CanvasPen &pen)
{
    m_pen = pen;
}

void PainterCanvas::setBrush(const CanvasBrush &brush)
{
    m_brush = brush;
}

void PainterCanvas::setBackgroundTransparent(bool transparent)
{
    m_transparent = transparent;
    if (m_painter)
        m_painter->setBackgroundMode(transparent ? Qt::TransparentMode : Qt::OpaqueMode);
}

QPen PainterCanvas::qtPen() const
{
    if (m_pen.style == CanvasPen::Clear)
        return QPen(Qt::NoPen);
    // GDI draws a width of 0 or 1 as one device pixel whatever the transformation; wider pens
    // are geometric with round ends and joins. Styled pens are always one pixel wide.
    const bool styled = m_pen.style != CanvasPen::Solid && m_pen.style != CanvasPen::InsideFrame;
    QPen pen(m_pen.color);
    pen.setStyle(qtPenStyle(m_pen.style));
    if (m_pen.width <= 1 || styled) {
        pen.setWidth(1);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setWidthF(m_pen.width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

QBrush PainterCanvas::qtBrush() const
{
    return QBrush(m_brush.color, qtBrushStyle(m_brush.style));
}

QSize PainterCanvas::textExtent(const QString &text)
{
    const QFontMetrics &fm = metrics();
    return QSize(fm.horizontalAdvance(text), fm.ascent() + fm.descent());
}

void PainterCanvas::textOut(int x, int y, const QString &text)
{
    if (!m_painter || text.isEmpty())
        return;
    const QFontMetrics &fm = metrics();
    const int width = fm.horizontalAdvance(text);
    const int height = fm.ascent() + fm.descent();

    int left = x;
    switch (m_textAlign & taCenter) {
    case taRight:
        left = x - width;
        break;
    case taCenter:
        left = x - width / 2;
        break;
    default:
        break;
    }
    int top = y;
    if ((m_textAlign & taBaseline) == taBaseline)
        top = y - fm.ascent();
    else if (m_textAlign & taBottom)
        top = y - height;

    m_painter->save();
    if (!m_transparent)
        m_painter->fillRect(QRect(left, top, width, height), m_painter->background());
    m_painter->setFont(m_qfont);
    m_painter->setPen(QPen(m_font.color));
    m_painter->setBackgroundMode(Qt::TransparentMode);
    m_painter->setLayoutDirection((m_textAlign & taRtlReading) ? Qt::RightToLeft : Qt::LeftToRight);
    m_painter->drawText(QPointF(left, top + fm.ascent()), text);
    m_painter->restore();
}

void PainterCanvas::fillPath(const QPainterPath &path)
{
    if (m_brush.style == CanvasBrush::Clear)
        return;
    if (isHatch(m_brush.style) && !m_transparent)
        m_painter->fillPath(path, m_painter->background());
    m_painter->fillPath(path, qtBrush());
}

void PainterCanvas::strokeOutline(const QPainterPath &path)
{
    if (m_pen.style == CanvasPen::Clear)
        return;
    m_painter->strokePath(path, qtPen());
}

void PainterCanvas::fillRect(const QRect &r)
{
    if (!m_painter || r.isEmpty())
        return;
    QPainterPath path;
    path.addRect(pixelArea(r));
    fillPath(path);
}

// GDI shapes: with a pen, the outline runs through the outermost pixels of the rectangle and
// the interior is filled; without a pen the filled area is one pixel smaller to the right and
// bottom. The outline path runs through pixel centres so a one-pixel pen hits whole pixels.
void PainterCanvas::rectangle(const QRect &r)
{
    if (!m_painter || r.isEmpty())
        return;
    if (m_pen.style == CanvasPen::Clear) {
        fillRect(r.adjusted(0, 0, -1, -1));
        return;
    }
    QRectF centre = QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, r.height() - 1);
    if (m_pen.style == CanvasPen::InsideFrame && m_pen.width > 1) {
        const double inset = (m_pen.width - 1) / 2.0;
        centre.adjust(inset, inset, -inset, -inset);
    }
    QPainterPath fill;
    fill.addRect(centre);
    m_painter->save();
    fillPath(fill);
    QPainterPath outline;
    outline.addRect(centre);
    QPen pen = qtPen();
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter->strokePath(outline, pen);
    m_painter->restore();
}

void PainterCanvas::ellipse(const QRect &r)
{
    if (!m_painter || r.isEmpty())
        return;
    QRectF centre = QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, r.height() - 1);
    if (m_pen.style == CanvasPen::Clear)
        centre = QRectF(r.left(), r.top(), r.width() - 1, r.height() - 1);
    QPainterPath path;
    path.addEllipse(centre);
    m_painter->save();
    fillPath(path);
    strokeOutline(path);
    m_painter->restore();
}

void PainterCanvas::roundRect(const QRect &r, int cornerWidth, int cornerHeight)
{
    if (!m_painter || r.isEmpty())
        return;
    QRectF centre = QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, r.height() - 1);
    if (m_pen.style == CanvasPen::Clear)
        centre = QRectF(r.left(), r.top(), r.width() - 1, r.height() - 1);
    QPainterPath path;
    path.addRoundedRect(centre, std::max(0, cornerWidth) / 2.0, std::max(0, cornerHeight) / 2.0);
    m_painter->save();
    fillPath(path);
    strokeOutline(path);
    m_painter->restore();
}

void PainterCanvas::moveTo(int x, int y)
{
    m_position = QPoint(x, y);
}

void PainterCanvas::lineTo(int x, int y)
{
    const QPoint from = m_position;
    m_position = QPoint(x, y);
    if (!m_painter || from == m_position || m_pen.style == CanvasPen::Clear)
        return;
    QPen pen = qtPen();
    m_painter->save();
    if (pen.isCosmetic()) {
        // Aliased one-pixel lines hit the pixel at each integer point. GDI leaves the end
        // pixel out whichever way the line runs, so the line is drawn with both ends included
        // up to the pixel before the end point.
        const QPoint d = m_position - from;
        const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
        const QPoint last(from.x() + int(std::lround(double(d.x()) * (steps - 1) / steps)),
                          from.y() + int(std::lround(double(d.y()) * (steps - 1) / steps)));
        pen.setCapStyle(Qt::SquareCap);
        m_painter->setPen(pen);
        m_painter->setBrush(Qt::NoBrush);
        m_painter->setBackgroundMode(m_transparent ? Qt::TransparentMode : Qt::OpaqueMode);
        if (last == from)
            m_painter->drawPoint(from);
        else
            m_painter->drawLine(from, last);
    } else {
        m_painter->setPen(pen);
        m_painter->drawLine(QPointF(from) + QPointF(0.5, 0.5),
                            QPointF(m_position) + QPointF(0.5, 0.5));
    }
    m_painter->restore();
}

void PainterCanvas::resetClip()
{
    if (m_painter)
        m_painter->setClipping(false);
}

void PainterCanvas::stretchDraw(const QRect &target, const EmfPage &page)
{
    if (m_painter)
        page.play(*m_painter, pixelArea(target));
}

QImage makePageImage(QSize pixels, int dpi, QColor fill)
{
    QImage image(pixels.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    const int dpm = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(fill);
    return image;
}

MeasureDevice::MeasureDevice()
    : m_image(makePageImage(QSize(8, 8), 96))
{
    m_painter.begin(&m_image);
    m_canvas = std::make_unique<PainterCanvas>(&m_painter, QSize(96, 96));
}

MeasureDevice::~MeasureDevice()
{
    m_canvas.reset();
    m_painter.end();
}

} // namespace report
