#include <report/paintercanvas.h>
#include <report/pwband.h>
#include <report/pwoutput.h>
#include <report/pwreport.h>
#include <report/pwshape.h>

#include <gtest/gtest.h>

#include <ostream>

using namespace report;

namespace {

// Dark pixels of an image as a set of points.
QList<QPoint> ink(const QImage &img)
{
    QList<QPoint> points;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (qGray(img.pixel(x, y)) < 128)
                points.append(QPoint(x, y));
        }
    }
    return points;
}

QRect box(const QList<QPoint> &points)
{
    QRect r;
    for (const QPoint &p : points)
        r |= QRect(p, QSize(1, 1));
    return r;
}

// Prints one shape onto an image with one pixel per millimetre (factor 0.1).
QImage printShape(TPWShapeType kind, double left, double top, double width, double height, int ofsX,
                  int ofsY, int pen = 1)
{
    TPWReport report;
    TPWBand *band = report.addBand(std::make_unique<TPWBand>(QStringLiteral("b")));
    auto *shape = static_cast<TPWShape *>(band->addControl(std::make_unique<TPWShape>()));
    shape->Shape = kind;
    shape->Pen.width = pen;
    shape->Brush.style = CanvasBrush::Clear;
    shape->Size().ReadValues({height, left, top, width});
    QImage img = makePageImage(QSize(60, 60), 254);
    QPainter painter(&img);
    PainterCanvas canvas(&painter);
    CanvasOutput out(&canvas);
    out.XFactor = out.YFactor = 0.1;
    report.setPrinter(&out);
    shape->Prepare();
    shape->Print(ofsX, ofsY);
    shape->UnPrepare();
    return img;
}

TEST(ShapePrinting, HorizontalRuleOfTheSlipSitsOnTheMiddleRow)
{
    TPWReport report;
    TPWBand *band = report.addBand(std::make_unique<TPWBand>(QStringLiteral("b")));
    auto *rule = static_cast<TPWShape *>(band->addControl(std::make_unique<TPWShape>()));
    rule->Shape = TPWShapeType::pwsHorLine;
    rule->Size().ReadValues({2.645833333333333, 0.0, 433.9166666666667, 1899.708333333333});
    QImage img = makePageImage(QSize(794, 559), 96);
    QPainter painter(&img);
    PainterCanvas canvas(&painter);
    CanvasOutput out(&canvas);
    report.setPrinter(&out);
    rule->Print(100, 100);
    painter.end();

    const int y = out.YPos(100 + 433.9166666666667 + 2.645833333333333 / 2);
    EXPECT_EQ(y, 202);
    const QList<QPoint> points = ink(img);
    EXPECT_EQ(box(points), QRect(QPoint(out.XPos(100), y), QPoint(out.XPos(1999.708333) - 1, y)));
    EXPECT_EQ(points.size(), out.XPos(1999.708333) - out.XPos(100));
}

struct ShapeCase
{
    TPWShapeType kind;
    QList<QPoint> mustInk;
    QList<QPoint> mustNot;
    QRect bounds;
};

void PrintTo(const ShapeCase &c, std::ostream *os)
{
    *os << int(c.kind);
}

class ShapeKinds : public ::testing::TestWithParam<ShapeCase>
{
};

// The control spans page x 10..50 mm and y 10..30 mm: L 10, T 10, R 50, B 30, CX 30, CY 20.
TEST_P(ShapeKinds, DrawInsideTheControlsRectangle)
{
    const ShapeCase c = GetParam();
    const QImage img = printShape(c.kind, 50, 50, 400, 200, 50, 50);
    for (const QPoint &p : c.mustInk)
        EXPECT_LT(qGray(img.pixel(p)), 128) << p.x() << "," << p.y();
    for (const QPoint &p : c.mustNot)
        EXPECT_GT(qGray(img.pixel(p)), 128) << p.x() << "," << p.y();
    if (!c.bounds.isNull()) {
        EXPECT_EQ(box(ink(img)), c.bounds);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShapeKinds,
    ::testing::Values(
        ShapeCase{TPWShapeType::pwsRectangle,
                  {{10, 10}, {49, 29}, {30, 10}},
                  {{30, 20}, {50, 20}},
                  QRect(QPoint(10, 10), QPoint(49, 29))},
        ShapeCase{TPWShapeType::pwsCircle,
                  {{10, 20}, {30, 10}},
                  {{10, 10}, {49, 29}, {30, 20}},
                  QRect(QPoint(10, 10), QPoint(49, 29))},
        ShapeCase{
            TPWShapeType::pwsVertLine, {{30, 10}, {30, 29}}, {{30, 30}}, QRect(30, 10, 1, 20)},
        ShapeCase{TPWShapeType::pwsHorLine, {{10, 20}, {49, 20}}, {{50, 20}}, QRect(10, 20, 40, 1)},
        ShapeCase{TPWShapeType::pwsTopAndBottom,
                  {{10, 10}, {49, 10}, {10, 30}, {49, 30}},
                  {{10, 20}},
                  QRect(QPoint(10, 10), QPoint(49, 30))},
        ShapeCase{TPWShapeType::pwsRightAndLeft,
                  {{10, 10}, {10, 29}, {50, 10}, {50, 29}},
                  {{30, 10}},
                  QRect(QPoint(10, 10), QPoint(50, 29))},
        ShapeCase{TPWShapeType::pwsRoundRect,
                  {{30, 10}, {10, 20}},
                  {{10, 10}, {30, 20}},
                  QRect(QPoint(10, 10), QPoint(49, 29))},
        ShapeCase{
            TPWShapeType::pwsLeftDiagonal, {{50, 10}, {30, 20}}, {{10, 30}, {10, 10}}, QRect()},
        ShapeCase{
            TPWShapeType::pwsRightDiagonal, {{10, 10}, {30, 20}}, {{50, 30}, {50, 10}}, QRect()}));

TEST(ShapePrinting, DisabledShapeDrawsNothingAndPenWidthIsDevicePixels)
{
    const QImage wide = printShape(TPWShapeType::pwsHorLine, 50, 50, 400, 200, 50, 50, 3);
    EXPECT_EQ(box(ink(wide)).height(), 3);

    TPWReport report;
    TPWBand *band = report.addBand(std::make_unique<TPWBand>(QStringLiteral("b")));
    auto *shape = static_cast<TPWShape *>(band->addControl(std::make_unique<TPWShape>()));
    shape->Enabled = false;
    QImage img = makePageImage(QSize(100, 100), 96);
    QPainter painter(&img);
    PainterCanvas canvas(&painter);
    CanvasOutput out(&canvas);
    report.setPrinter(&out);
    shape->Print(0, 0);
    painter.end();
    EXPECT_TRUE(ink(img).isEmpty());
    EXPECT_EQ(shape->Width(), 65);
    EXPECT_EQ(shape->Height(), 65);
}

} // namespace
