#include <report/pwframe.h>

#include <report/pwsize.h>

namespace report {

int TPWFrame::thickness(double factor) const
{
    if (Width == -1)
        return 1;
    const int t = roundEven(factor / 72.0 * 254.0 * Width);
    if (t < 1 && Width > 0)
        return 1;
    return t;
}

void TPWFrame::PaintIt(Canvas &canvas, int left, int top, int right, int bottom, double xFactor,
                       double yFactor) const
{
    if (!anySide())
        return;
    const int th = thickness(yFactor);
    const int tv = thickness(xFactor);
    if (th <= 0 && tv <= 0)
        return;
    canvas.setBrush(CanvasBrush{Color, CanvasBrush::Solid});
    canvas.setPen(CanvasPen{Color, 1, Style});
    const auto bar = [&canvas](int l, int t, int r, int b) {
        if (r > l && b > t)
            canvas.fillRect(QRect(QPoint(l, t), QPoint(r - 1, b - 1)));
    };
    if (DrawTop)
        bar(left, top, right, top + th);
    if (DrawBottom)
        bar(left, bottom - th, right, bottom);
    if (DrawLeft)
        bar(left, top, left + tv, bottom);
    if (DrawRight)
        bar(right - tv, top, right, bottom);
}

} // namespace report
