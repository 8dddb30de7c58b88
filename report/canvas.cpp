#include <report/canvas.h>

#include <report/emfpage.h>

#include <cmath>

namespace report {

namespace {

// Forwards a page's drawing to another canvas, its page pixels mapped onto a target
// rectangle: positions and extents are scaled, fonts and pens grow with the stretch.
class ScalingCanvas final : public Canvas
{
public:
    ScalingCanvas(Canvas &target, QPointF origin, double sx, double sy)
        : m_target(target)
        , m_origin(origin)
        , m_sx(sx)
        , m_sy(sy)
    {}

    QSize pixelsPerInch() const override
    {
        const QSize dpi = m_target.pixelsPerInch();
        return QSize(int(std::lround(dpi.width() / m_sx)), int(std::lround(dpi.height() / m_sy)));
    }

    void setFont(const CanvasFont &font) override
    {
        m_font = font;
        // A pixel height grows with the stretch; a point size needs nothing, since the
        // resolution this canvas reports already differs from the target's by the stretch.
        CanvasFont scaled = font;
        if (font.height != 0)
            scaled.height = int(std::lround(font.height * m_sy));
        m_target.setFont(scaled);
    }
    const CanvasFont &font() const override { return m_font; }
    void setPen(const CanvasPen &pen) override
    {
        m_pen = pen;
        CanvasPen scaled = pen;
        scaled.width = std::max(1, int(std::lround(pen.width * std::min(m_sx, m_sy))));
        m_target.setPen(scaled);
    }
    const CanvasPen &pen() const override { return m_pen; }
    void setBrush(const CanvasBrush &brush) override
    {
        m_brush = brush;
        m_target.setBrush(brush);
    }
    const CanvasBrush &brush() const override { return m_brush; }
    void setBackgroundTransparent(bool transparent) override
    {
        m_target.setBackgroundTransparent(transparent);
    }
    void setTextAlign(unsigned flags) override { m_target.setTextAlign(flags); }

    QSize textExtent(const QString &text) override
    {
        const QSize s = m_target.textExtent(text);
        return QSize(int(std::lround(s.width() / m_sx)), int(std::lround(s.height() / m_sy)));
    }

    void textOut(int x, int y, const QString &text) override
    {
        m_target.textOut(mapX(x), mapY(y), text);
    }
    void fillRect(const QRect &r) override { m_target.fillRect(map(r)); }
    void rectangle(const QRect &r) override { m_target.rectangle(map(r)); }
    void ellipse(const QRect &r) override { m_target.ellipse(map(r)); }
    void roundRect(const QRect &r, int cornerWidth, int cornerHeight) override
    {
        m_target.roundRect(map(r), int(std::lround(cornerWidth * m_sx)),
                           int(std::lround(cornerHeight * m_sy)));
    }
    void moveTo(int x, int y) override { m_target.moveTo(mapX(x), mapY(y)); }
    void lineTo(int x, int y) override { m_target.lineTo(mapX(x), mapY(y)); }
    void resetClip() override { m_target.resetClip(); }

private:
    int mapX(int x) const { return int(std::lround(m_origin.x() + x * m_sx)); }
    int mapY(int y) const { return int(std::lround(m_origin.y() + y * m_sy)); }
    QRect map(const QRect &r) const
    {
        // GDI edges: the exclusive right and bottom edges are mapped, not the last pixels.
        return QRect(QPoint(mapX(r.left()), mapY(r.top())),
                     QPoint(mapX(r.left() + r.width()) - 1, mapY(r.top() + r.height()) - 1));
    }

    Canvas &m_target;
    QPointF m_origin;
    double m_sx;
    double m_sy;
    CanvasFont m_font;
    CanvasPen m_pen;
    CanvasBrush m_brush;
};

} // namespace

void Canvas::stretchDraw(const QRect &target, const EmfPage &page)
{
    const QSize size = page.pixelSize();
    if (target.isEmpty() || size.isEmpty())
        return;
    ScalingCanvas scaled(*this, target.topLeft(), double(target.width()) / size.width(),
                         double(target.height()) / size.height());
    page.play(scaled);
}

} // namespace report
