#pragma once

#include <report/canvas.h>
#include <report/pwsize.h>

namespace report {

/// The page that controls draw on: its canvas and the mapping from page positions in tenths
/// of a millimetre to device pixels. The printer object owns the real one; anything that
/// supplies a canvas and the four numbers can stand in for it.
class PageOutput
{
public:
    virtual ~PageOutput() = default;

    /// Canvas of the current page; nullptr before a page exists.
    virtual Canvas *canvas() = 0;

    /// Device pixels per tenth of a millimetre.
    double XFactor = double(ScreenPixelsPerInch) / 254.0;
    double YFactor = double(ScreenPixelsPerInch) / 254.0;
    /// Unprintable margins in tenths of a millimetre (0 on a recorded page).
    double LeftWaste = 0;
    double TopWaste = 0;

    int XPos(double v) const { return roundEven((v - LeftWaste) * XFactor); }
    int YPos(double v) const { return roundEven((v - TopWaste) * YFactor); }
    int XSize(double v) const { return roundEven(v * XFactor); }
    int YSize(double v) const { return roundEven(v * YFactor); }
};

/// A page output over a canvas owned elsewhere, with factors from the canvas resolution.
class CanvasOutput : public PageOutput
{
public:
    explicit CanvasOutput(Canvas *canvas)
        : m_canvas(canvas)
    {
        if (canvas) {
            const QSize dpi = canvas->pixelsPerInch();
            if (dpi.width() > 0)
                XFactor = dpi.width() / 254.0;
            if (dpi.height() > 0)
                YFactor = dpi.height() / 254.0;
        }
    }
    Canvas *canvas() override { return m_canvas; }

private:
    Canvas *m_canvas;
};

} // namespace report
