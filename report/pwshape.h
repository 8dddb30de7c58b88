#pragma once

#include <report/canvas.h>
#include <report/pwprintable.h>

namespace report {

enum class TPWShapeType {
    pwsRectangle,
    pwsCircle,
    pwsVertLine,
    pwsHorLine,
    pwsTopAndBottom,
    pwsRightAndLeft,
    pwsRoundRect,
    pwsLeftDiagonal,
    pwsRightDiagonal
};

/// A rectangle, ellipse or line inside the control's rectangle, drawn with its own pen and
/// brush; no background and no frame of its own.
class TPWShape : public TPWPrintable
{
public:
    explicit TPWShape(QString name = {});

    QString className() const override { return QStringLiteral("TPWShape"); }

    TPWShapeType Shape = TPWShapeType::pwsRectangle;
    CanvasPen Pen;
    CanvasBrush Brush;
    /// Corner size of pwsRoundRect as a fraction of the shorter side; 0 means a quarter.
    float RoundFactor = 0;
    int VertAdjust = 0;

    void Print(int ofsX, int ofsY) override;
};

} // namespace report
