#pragma once

#include <report/canvas.h>

#include <QColor>

namespace report {

/// Lines around a band, a report or a printable control.
class TPWFrame
{
public:
    bool DrawTop = false;
    bool DrawBottom = false;
    bool DrawLeft = false;
    bool DrawRight = false;
    /// Thickness in points (1/72 inch); -1 is the thinnest line the device can draw.
    int Width = 1;
    QColor Color = Qt::black;
    CanvasPen::Style Style = CanvasPen::Solid;

    bool anySide() const { return DrawTop || DrawBottom || DrawLeft || DrawRight; }

    /// Thickness in device pixels of the top and bottom sides for a vertical factor
    /// (device pixels per tenth of a millimetre); `horizontalThickness` likewise for the
    /// left and right sides.
    int verticalThickness(double yFactor) const { return thickness(yFactor); }
    int horizontalThickness(double xFactor) const { return thickness(xFactor); }

    /// Paints the set sides as filled bars inside the device rectangle with GDI edges
    /// (right and bottom exclusive).
    void PaintIt(Canvas &canvas, int left, int top, int right, int bottom, double xFactor,
                 double yFactor) const;

    bool operator==(const TPWFrame &) const = default;

private:
    int thickness(double factor) const;
};

} // namespace report
