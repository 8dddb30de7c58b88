#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace report {

class EmfPage;

/// A font as the report engine describes it: face, character set, size, colour, style.
/// `height` is in device pixels like a GDI font height (negative: character height,
/// positive: cell height); when it is 0 the point size decides.
struct CanvasFont
{
    QString face = QStringLiteral("ＭＳ Ｐゴシック");
    int charset = 1; // DEFAULT_CHARSET; 128 is SHIFTJIS_CHARSET
    double pointSize = 10.0;
    int height = 0;
    QColor color = Qt::black;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const CanvasFont &) const = default;
};

struct CanvasPen
{
    enum Style { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
    QColor color = Qt::black;
    int width = 1; // device pixels
    Style style = Solid;

    bool operator==(const CanvasPen &) const = default;
};

struct CanvasBrush
{
    enum Style { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };
    QColor color = Qt::white;
    Style style = Solid;

    bool operator==(const CanvasBrush &) const = default;
};

/// Text alignment flags with the values of the EMF/GDI text-align mode.
enum TextAlign : unsigned {
    taLeft = 0,
    taRight = 2,
    taCenter = 6,
    taTop = 0,
    taBottom = 8,
    taBaseline = 24,
    taRtlReading = 256,
};

/// The drawing surface of a report page, in device pixels, with GDI-like state (font, pen,
/// brush, background mode, text alignment, current position). The same calls draw on the
/// screen, on a printer, on an image or into a recorded page, so that every output shares one
/// drawing path.
///
/// Rectangles follow GDI: `rectangle`, `ellipse`, `roundRect` and `fillRect` take the
/// left/top/right/bottom edges with right and bottom exclusive (QRect built with
/// QRect(QPoint(l, t), QPoint(r - 1, b - 1))).
class Canvas
{
public:
    virtual ~Canvas() = default;

    /// Device resolution in pixels per inch.
    virtual QSize pixelsPerInch() const = 0;

    virtual void setFont(const CanvasFont &font) = 0;
    virtual const CanvasFont &font() const = 0;
    virtual void setPen(const CanvasPen &pen) = 0;
    virtual const CanvasPen &pen() const = 0;
    virtual void setBrush(const CanvasBrush &brush) = 0;
    virtual const CanvasBrush &brush() const = 0;
    /// true: text and hatches leave the background as it is.
    virtual void setBackgroundTransparent(bool transparent) = 0;
    virtual void setTextAlign(unsigned flags) = 0;

    /// Size of a text in the current font on this device.
    virtual QSize textExtent(const QString &text) = 0;

    virtual void textOut(int x, int y, const QString &text) = 0;
    /// Fills with the current brush, no outline.
    virtual void fillRect(const QRect &r) = 0;
    /// Outline with the pen, filled with the brush.
    virtual void rectangle(const QRect &r) = 0;
    virtual void ellipse(const QRect &r) = 0;
    virtual void roundRect(const QRect &r, int cornerWidth, int cornerHeight) = 0;
    virtual void moveTo(int x, int y) = 0;
    /// Line from the current position to (x, y), end point excluded; (x, y) becomes current.
    virtual void lineTo(int x, int y) = 0;
    virtual void resetClip() = 0;

    /// Plays a recorded page stretched over `target` (GDI edges; the target may start left of
    /// or above the device's origin, as a page does on a printer with unprintable margins).
    /// The base version replays the drawing through a scaling adapter onto this canvas;
    /// canvases over a QPainter draw it through the painter's transformation instead.
    virtual void stretchDraw(const QRect &target, const EmfPage &page);
};

} // namespace report
