#include <report/pwshape.h>

#include <report/pwoutput.h>

#include <algorithm>

namespace report {

TPWShape::TPWShape(QString name)
    : TPWPrintable(std::move(name))
{
    SetBounds(0, 0, 65, 65);
}

void TPWShape::Print(int ofsX, int ofsY)
{
    PageOutput *output = beginPrint();
    if (!output)
        return;
    PageOutput &out = *output;
    Canvas &c = *out.canvas();
    const double left = ofsX + m_size.nativeValue(TPWPrintableSize::LeftIndex);
    const double top = ofsY + m_size.nativeValue(TPWPrintableSize::TopIndex);
    const double width = m_size.nativeValue(TPWPrintableSize::WidthIndex);
    const double height = m_size.nativeValue(TPWPrintableSize::HeightIndex);
    const int l = out.XPos(left);
    const int t = out.YPos(top);
    const int r = out.XPos(left + width);
    const int b = out.YPos(top + height);
    const int cx = out.XPos(left + width / 2);
    const int cy = out.YPos(top + height / 2);

    c.setBrush(Brush);
    c.setPen(Pen);
    const QRect rect(QPoint(l, t), QPoint(r - 1, b - 1));
    const auto line = [&c](int x0, int y0, int x1, int y1) {
        c.moveTo(x0, y0);
        c.lineTo(x1, y1);
    };
    switch (Shape) {
    case TPWShapeType::pwsRectangle:
        c.rectangle(rect);
        break;
    case TPWShapeType::pwsCircle:
        c.ellipse(rect);
        break;
    case TPWShapeType::pwsVertLine:
        line(cx, t, cx, b);
        break;
    case TPWShapeType::pwsHorLine:
        line(l, cy, r, cy);
        break;
    case TPWShapeType::pwsTopAndBottom:
        line(l, t, r, t);
        line(l, b, r, b);
        break;
    case TPWShapeType::pwsRightAndLeft:
        line(l, t, l, b);
        line(r, t, r, b);
        break;
    case TPWShapeType::pwsRoundRect: {
        const double factor = RoundFactor > 0 ? RoundFactor : 0.25;
        const int corner = roundEven(std::min(r - l, b - t) * factor);
        c.roundRect(rect, corner, corner);
        break;
    }
    case TPWShapeType::pwsLeftDiagonal:
        line(r, t, l, b);
        break;
    case TPWShapeType::pwsRightDiagonal:
        line(l, t, r, b);
        break;
    }
}

} // namespace report
