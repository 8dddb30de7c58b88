#include <report/paintercanvas.h>
#include <report/pwband.h>
#include <report/pwlabel.h>
#include <report/pwoutput.h>
#include <report/pwpage.h>
#include <report/pwreport.h>

#include <QLocale>
#include <gtest/gtest.h>

#include <ostream>

#include <memory>

using namespace report;

namespace {

// A report with the slip page: custom 210 x 148 mm, margins 10 mm, in millimetres.
std::unique_ptr<TPWReport> slipPageReport()
{
    auto r = std::make_unique<TPWReport>(QStringLiteral("PWReport1"));
    r->setUnits(TPWUnit::MM);
    r->Page().setPaperSize(TPWPaperSize::Custom);
    r->Page().ReadValues({100.0, 1480.0, 100.0, 2100.0, 100.0, 100.0, 0.0});
    return r;
}

struct UnitCase
{
    TPWUnit unit;
    double native;
    bool horizontal;
    double expected;
};

void PrintTo(const UnitCase &c, std::ostream *os)
{
    *os << int(c.unit) << " " << c.native;
}

class Units : public ::testing::TestWithParam<UnitCase>
{
};

TEST_P(Units, ReadAndWriteInEveryUnit)
{
    const UnitCase c = GetParam();
    TPWReport report;
    CanvasFont font = report.Font();
    font.pointSize = 9;
    report.setFont(font);
    auto band = std::make_unique<TPWBand>(QStringLiteral("b"));
    TPWBand *b = report.addBand(std::move(band));
    auto label = std::make_unique<TPWLabel>(QStringLiteral("l"));
    TPWLabel *l = static_cast<TPWLabel *>(b->addControl(std::move(label)));
    report.setUnits(c.unit);
    const int index = c.horizontal ? TPWPrintableSize::WidthIndex : TPWPrintableSize::HeightIndex;
    l->Size().setNativeValue(index, c.native);
    EXPECT_NEAR(l->Size().value(index), c.expected, 1e-9);
    // Writing the read value back stores the same internal value.
    l->Size().setValue(index, c.expected);
    EXPECT_NEAR(l->Size().nativeValue(index), c.native, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Table, Units,
                         ::testing::Values(UnitCase{TPWUnit::MM, 2100, true, 210},
                                           UnitCase{TPWUnit::MM, 34.4, false, 3.44},
                                           UnitCase{TPWUnit::Inches, 254, true, 1},
                                           UnitCase{TPWUnit::Inches, 2100, false, 2100 / 254.0},
                                           UnitCase{TPWUnit::Pixels, 254, true, 96},
                                           UnitCase{TPWUnit::Pixels, 2.6458333333333335, false, 1},
                                           UnitCase{TPWUnit::Characters, 800, true, 9 * 2.54},
                                           UnitCase{TPWUnit::Characters, 1453, false, 9 * 2.54},
                                           UnitCase{TPWUnit::Native, 1899.708333, true,
                                                    1899.708333}));

TEST(Units, ZoomScalesPixelReadings)
{
    TPWReport report;
    report.setUnits(TPWUnit::Pixels);
    report.setZoom(200);
    report.Page().setPaperSize(TPWPaperSize::Custom);
    report.Page().setNativeValue(TPWPage::WidthIndex, 254);
    EXPECT_DOUBLE_EQ(report.Page().Width(), 192);
    EXPECT_EQ(report.Width(), 192);
}

struct PaperCase
{
    TPWPaperSize size;
    const char *name;
    int code;
    double width;
    double length;
};

void PrintTo(const PaperCase &c, std::ostream *os)
{
    *os << c.name;
}

class PaperSizes : public ::testing::TestWithParam<PaperCase>
{
};

TEST_P(PaperSizes, NamedSizesSetWidthAndLength)
{
    const PaperCase c = GetParam();
    EXPECT_EQ(static_cast<int>(c.size), c.code);
    EXPECT_EQ(paperSizeName(c.size), QLatin1String(c.name));
    TPWPaperSize fromName = TPWPaperSize::Default;
    ASSERT_TRUE(paperSizeFromName(QLatin1String(c.name), &fromName));
    EXPECT_EQ(fromName, c.size);

    TPWReport report;
    report.Page().setPaperSize(c.size);
    EXPECT_NEAR(report.Page().nativeValue(TPWPage::WidthIndex), c.width * 10, 1e-9);
    EXPECT_NEAR(report.Page().nativeValue(TPWPage::LengthIndex), c.length * 10, 1e-9);
    report.Page().setOrientation(TPWOrientation::poLandscape);
    EXPECT_NEAR(report.Page().nativeValue(TPWPage::WidthIndex), c.length * 10, 1e-9);
    EXPECT_NEAR(report.Page().nativeValue(TPWPage::LengthIndex), c.width * 10, 1e-9);
    EXPECT_EQ(report.PrinterSettings().Orientation, TPWOrientation::poLandscape);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PaperSizes,
    ::testing::Values(PaperCase{TPWPaperSize::Letter, "Letter", 1, 215.9, 279.4},
                      PaperCase{TPWPaperSize::Ledger, "Ledger", 4, 431.8, 279.4},
                      PaperCase{TPWPaperSize::A3, "A3", 8, 297, 420},
                      PaperCase{TPWPaperSize::A4, "A4", 9, 210, 297},
                      PaperCase{TPWPaperSize::A4Small, "A4Small", 10, 210, 297},
                      PaperCase{TPWPaperSize::A5, "A5", 11, 148, 210},
                      PaperCase{TPWPaperSize::B5, "B5", 13, 182, 257},
                      PaperCase{TPWPaperSize::pw10X14, "pw10X14", 16, 254, 355.6},
                      PaperCase{TPWPaperSize::ESheet, "ESheet", 26, 863.6, 1117.6},
                      PaperCase{TPWPaperSize::PostcardJap, "PostcardJap", 43, 100, 148},
                      PaperCase{TPWPaperSize::Reserved1, "Reserved1", 48, 100, 100},
                      PaperCase{TPWPaperSize::Reserved2, "Reserved2", 49, 100, 100},
                      PaperCase{TPWPaperSize::A5Trans, "A5Trans", 61, 210, 148},
                      PaperCase{TPWPaperSize::A2, "A2", 66, 420, 594},
                      PaperCase{TPWPaperSize::A3ExtraTrans, "A3ExtraTrans", 68, 445, 322}));

TEST(PaperSizes, TableHasSeventyValuesEndingWithCustom)
{
    EXPECT_EQ(PaperSizeCount, 70);
    EXPECT_EQ(static_cast<int>(TPWPaperSize::Custom), 69);
    EXPECT_EQ(paperSizeName(TPWPaperSize::Default), QStringLiteral("Default"));
    EXPECT_EQ(paperInfo(TPWPaperSize::Custom).widthMM, 0);
    TPWPaperSize s;
    EXPECT_FALSE(paperSizeFromName(QStringLiteral("A4 "), &s));
}

TEST(PageRules, SizesOnlyUnderCustomAndOrientationExchangesThem)
{
    TPWReport report;
    report.setUnits(TPWUnit::MM);
    TPWPage &page = report.Page();
    page.setPaperSize(TPWPaperSize::A4);
    page.setWidth(100);
    page.setLength(100);
    EXPECT_DOUBLE_EQ(page.Width(), 210);
    EXPECT_DOUBLE_EQ(page.Length(), 297);

    page.setPaperSize(TPWPaperSize::Custom);
    page.setWidth(210);
    page.setLength(148);
    EXPECT_DOUBLE_EQ(page.Width(), 210);
    EXPECT_DOUBLE_EQ(page.Length(), 148);
    page.setOrientation(TPWOrientation::poLandscape);
    EXPECT_DOUBLE_EQ(page.Width(), 148);
    EXPECT_DOUBLE_EQ(page.Length(), 210);

    page.setColumns(3);
    page.setColumns(0);
    page.setColumns(-2);
    EXPECT_EQ(page.Columns(), 3);
}

TEST(PageRules, DefaultPageFollowsTheMeasurementSystem)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    {
        TPWReport report;
        EXPECT_EQ(report.Page().PaperSize(), TPWPaperSize::A4);
        EXPECT_DOUBLE_EQ(report.Page().nativeValue(TPWPage::TopMarginIndex), 100);
        EXPECT_EQ(report.Units(), TPWUnit::MM);
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    {
        TPWReport report;
        EXPECT_EQ(report.Page().PaperSize(), TPWPaperSize::Letter);
        EXPECT_DOUBLE_EQ(report.Page().nativeValue(TPWPage::LeftMarginIndex), 127);
        EXPECT_EQ(report.Units(), TPWUnit::Inches);
        EXPECT_EQ(report.Font().face, QStringLiteral("Arial"));
    }
    QLocale::setDefault(saved);
}

TEST(PageRules, ANewReportTakesThePrintersPaper)
{
    TPWReport report;
    report.Page().setPaperSize(TPWPaperSize::A4);
    report.takePrinterPaperSize(TPWPaperSize::Default);
    EXPECT_EQ(report.Page().PaperSize(), TPWPaperSize::A4);
    report.takePrinterPaperSize(TPWPaperSize::B5);
    EXPECT_EQ(report.Page().PaperSize(), TPWPaperSize::B5);
    EXPECT_DOUBLE_EQ(report.Page().nativeValue(TPWPage::WidthIndex), 1820);
    EXPECT_EQ(report.Width(), 688);
}

TEST(SlipPage, ReadsBackInMillimetresNativeAndPixels)
{
    auto r = slipPageReport();
    const TPWPage &page = r->Page();
    EXPECT_DOUBLE_EQ(page.Width(), 210);
    EXPECT_DOUBLE_EQ(page.Length(), 148);
    EXPECT_DOUBLE_EQ(page.TopMargin(), 10);
    EXPECT_DOUBLE_EQ(page.LeftMargin(), 10);
    r->setUnits(TPWUnit::Native);
    EXPECT_DOUBLE_EQ(page.Width(), 2100);
    EXPECT_DOUBLE_EQ(page.Length(), 1480);
    EXPECT_DOUBLE_EQ(page.BottomMargin(), 100);
    EXPECT_EQ(r->Width(), 794);
    EXPECT_EQ(r->Height(), 559);
}

TEST(SlipPage, BandWidthIsWholeScreenPixels)
{
    auto r = slipPageReport();
    TPWBand *title = r->addBand(
        std::make_unique<TPWBand>(QStringLiteral("ColumnHeaderBand1"), TPWBandType::rbTitle));
    TPWBand *detail =
        r->addBand(std::make_unique<TPWBand>(QStringLiteral("DetailBand1"), TPWBandType::rbDetail));
    title->Size().setNativeValue(TPWBandSize::HeightIndex, 502.7083333333334);
    EXPECT_NEAR(title->Size().nativeValue(TPWBandSize::WidthIndex), 1899.708333333333, 1e-9);
    EXPECT_EQ(title->Width(), 718);
    EXPECT_EQ(title->Height(), 190);
    r->arrangeBands();
    // Bands stand one under another from the top margin, at the left margin.
    EXPECT_EQ(title->Left(), 38);
    EXPECT_EQ(title->Top(), 38);
    EXPECT_EQ(detail->Top(), 38 + 190);
}

TEST(PixelBounds, ControlBoundsFollowValuesAndWriteBack)
{
    auto r = slipPageReport();
    TPWBand *band = r->addBand(std::make_unique<TPWBand>(QStringLiteral("b")));
    auto *label = static_cast<TPWLabel *>(
        band->addControl(std::make_unique<TPWLabel>(QStringLiteral("TKCODE"))));
    label->Size().ReadValues(
        {34.39583333333334, 52.91666666666666, 171.9791666666667, 97.89583333333334});
    EXPECT_EQ(label->Left(), 20);
    EXPECT_EQ(label->Top(), 65);
    EXPECT_EQ(label->Width(), 37);
    EXPECT_EQ(label->Height(), 13);

    label->SetBounds(21, 65, 40, 13);
    EXPECT_NEAR(label->Size().nativeValue(TPWPrintableSize::LeftIndex), 21 * 254.0 / 96, 1e-9);
    EXPECT_NEAR(label->Size().nativeValue(TPWPrintableSize::WidthIndex), 40 * 254.0 / 96, 1e-9);
}

struct MappingCase
{
    double factor;
    double waste;
    double v;
    int pos;
    int size;
};

void PrintTo(const MappingCase &c, std::ostream *os)
{
    *os << c.factor << " " << c.waste << " " << c.v;
}

class OutputMapping : public ::testing::TestWithParam<MappingCase>
{
};

TEST_P(OutputMapping, PositionsAndSizesRoundHalvesToEven)
{
    const MappingCase c = GetParam();
    CanvasOutput out(nullptr);
    out.XFactor = out.YFactor = c.factor;
    out.LeftWaste = out.TopWaste = c.waste;
    EXPECT_EQ(out.XPos(c.v), c.pos);
    EXPECT_EQ(out.YPos(c.v), c.pos);
    EXPECT_EQ(out.XSize(c.v), c.size);
    EXPECT_EQ(out.YSize(c.v), c.size);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OutputMapping,
    ::testing::Values(MappingCase{1.0, 0, 2.5, 2, 2}, MappingCase{1.0, 0, 3.5, 4, 4},
                      MappingCase{1.0, 0, -2.5, -2, -2}, MappingCase{0.5, 0, 5, 2, 2},
                      MappingCase{0.5, 0, 7, 4, 4}, MappingCase{96 / 254.0, 0, 2100, 794, 794},
                      MappingCase{96 / 254.0, 0, 1480, 559, 559},
                      // a label at page position 152.917 on a 600-dot printer, 4 mm offset
                      MappingCase{600 / 254.0, 40, 152.917, 267, 361},
                      MappingCase{600 / 254.0, 0, 100, 236, 236}));

TEST(OutputMapping, DefaultFactorsAreTheScreens)
{
    CanvasOutput out(nullptr);
    EXPECT_DOUBLE_EQ(out.XFactor, 96 / 254.0);
    EXPECT_DOUBLE_EQ(out.YFactor, 96 / 254.0);
    EXPECT_EQ(out.LeftWaste, 0);
}

struct ThicknessCase
{
    int width;
    double dpi;
    int pixels;
};

void PrintTo(const ThicknessCase &c, std::ostream *os)
{
    *os << c.width << "pt at " << c.dpi;
}

class FrameThickness : public ::testing::TestWithParam<ThicknessCase>
{
};

TEST_P(FrameThickness, PointsToDevicePixels)
{
    const ThicknessCase c = GetParam();
    TPWFrame f;
    f.Width = c.width;
    EXPECT_EQ(f.verticalThickness(c.dpi / 254), c.pixels);
    EXPECT_EQ(f.horizontalThickness(c.dpi / 254), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(Table, FrameThickness,
                         ::testing::Values(ThicknessCase{1, 96, 1}, ThicknessCase{1, 600, 8},
                                           ThicknessCase{1, 300, 4}, ThicknessCase{2, 96, 3},
                                           ThicknessCase{3, 600, 25}, ThicknessCase{-1, 600, 1},
                                           ThicknessCase{1, 30, 1}, ThicknessCase{0, 600, 0}));

// Rows or columns of an image that hold any dark pixel, inside a region.
QList<int> darkRows(const QImage &img, int x)
{
    QList<int> rows;
    for (int y = 0; y < img.height(); ++y) {
        if (qGray(img.pixel(x, y)) < 128)
            rows.append(y);
    }
    return rows;
}

TEST(FramePainting, SidesAreFilledBarsInsideTheRectangle)
{
    QImage img = makePageImage(QSize(60, 40), 600);
    {
        QPainter p(&img);
        PainterCanvas canvas(&p);
        TPWFrame f;
        f.DrawBottom = true;
        f.Style = CanvasPen::Dot; // still a solid bar
        f.PaintIt(canvas, 5, 5, 55, 35, 600 / 254.0, 600 / 254.0);
    }
    const QList<int> expected = {27, 28, 29, 30, 31, 32, 33, 34};
    for (int x = 5; x < 55; ++x)
        EXPECT_EQ(darkRows(img, x), expected) << "column " << x;
    EXPECT_TRUE(darkRows(img, 4).isEmpty());
    EXPECT_TRUE(darkRows(img, 55).isEmpty());

    QImage all = makePageImage(QSize(40, 40), 96);
    {
        QPainter p(&all);
        PainterCanvas canvas(&p);
        TPWFrame f;
        f.DrawTop = f.DrawBottom = f.DrawLeft = f.DrawRight = true;
        f.Color = Qt::red;
        f.PaintIt(canvas, 10, 10, 20, 30, 96 / 254.0, 96 / 254.0);
    }
    EXPECT_EQ(all.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(all.pixelColor(19, 29), QColor(Qt::red));
    EXPECT_EQ(all.pixelColor(15, 20), QColor(Qt::white));
    EXPECT_EQ(all.pixelColor(20, 15), QColor(Qt::white));
    EXPECT_EQ(all.pixelColor(15, 30), QColor(Qt::white));

    QImage none = makePageImage(QSize(20, 20), 96);
    {
        QPainter p(&none);
        PainterCanvas canvas(&p);
        TPWFrame().PaintIt(canvas, 0, 0, 20, 20, 1, 1);
    }
    EXPECT_EQ(none.pixelColor(0, 0), QColor(Qt::white));
}

} // namespace
