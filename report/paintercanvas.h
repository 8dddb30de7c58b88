#pragma once

#include <report/canvas.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPoint>

#include <memory>
#include <optional>

namespace report {

/// A Canvas drawing through a QPainter onto any paint device (image, printer, PDF writer)
/// with the rules of GDI: rectangles exclude their right and bottom edges, lines exclude their
/// end point, text is placed by the text-alignment flags (top of the text at y by default),
/// and opaque background mode fills text cells and hatch gaps with white.
class PainterCanvas : public Canvas
{
public:
    /// The painter must be active. `dpi` overrides the device's logical resolution (a
    /// recorded page played onto a scaled painter still describes its own resolution).
    explicit PainterCanvas(QPainter *painter, QSize dpi = QSize());
    ~PainterCanvas() override;

    QSize pixelsPerInch() const override { return m_dpi; }

    void setFont(const CanvasFont &font) override;
    const CanvasFont &font() const override { return m_font; }
    void setPen(const CanvasPen &pen) override;
    const CanvasPen &pen() const override { return m_pen; }
    void setBrush(const CanvasBrush &brush) override;
    const CanvasBrush &brush() const override { return m_brush; }
    void setBackgroundTransparent(bool transparent) override;
    bool backgroundTransparent() const { return m_transparent; }
    void setTextAlign(unsigned flags) override { m_textAlign = flags; }
    unsigned textAlign() const { return m_textAlign; }

    QSize textExtent(const QString &text) override;
    void textOut(int x, int y, const QString &text) override;
    void fillRect(const QRect &r) override;
    void rectangle(const QRect &r) override;
    void ellipse(const QRect &r) override;
    void roundRect(const QRect &r, int cornerWidth, int cornerHeight) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void resetClip() override;
    /// Through the painter's transformation: the one path that draws recorded pages.
    void stretchDraw(const QRect &target, const EmfPage &page) override;

    QPoint currentPosition() const { return m_position; }
    QPainter *painter() const { return m_painter; }
    /// The QFont the current canvas font maps to on this device.
    const QFont &qtFont() const { return m_qfont; }

private:
    const QFontMetrics &metrics();
    QPen qtPen() const;
    QBrush qtBrush() const;
    /// Fills the brush area, first with white where opaque mode shows through a hatch.
    void fillPath(const QPainterPath &path);
    void strokeOutline(const QPainterPath &path);

    QPainter *m_painter;
    QSize m_dpi;
    CanvasFont m_font;
    QFont m_qfont;
    std::optional<QFontMetrics> m_metrics; // of m_qfont on the device, made when first needed
    CanvasPen m_pen;
    CanvasBrush m_brush;
    bool m_transparent = false;
    unsigned m_textAlign = taLeft | taTop;
    QPoint m_position;
};

/// A screen-compatible measuring device: a small image at 96 pixels per inch with a canvas
/// on it, used to measure text as the design screen shows it.
class MeasureDevice
{
public:
    MeasureDevice();
    ~MeasureDevice();
    MeasureDevice(const MeasureDevice &) = delete;
    MeasureDevice &operator=(const MeasureDevice &) = delete;

    PainterCanvas &canvas() { return *m_canvas; }

private:
    QImage m_image;
    QPainter m_painter;
    std::unique_ptr<PainterCanvas> m_canvas;
};

/// An image at the given resolution, with the dots-per-metre set so that painters and fonts
/// agree on it.
QImage makePageImage(QSize pixels, int dpi, QColor fill = Qt::white);

} // namespace report
