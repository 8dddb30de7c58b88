#include <report/paintercanvas.h>
#include <report/pwband.h>
#include <report/pwlabel.h>
#include <report/pwoutput.h>
#include <report/pwreport.h>

#include <gtest/gtest.h>

#include <ostream>

#include <memory>

using namespace report;

namespace {

// Draws for real and keeps the text calls, so tests can see what a label printed where.
class LoggingCanvas : public PainterCanvas
{
public:
    using PainterCanvas::PainterCanvas;
    struct Text
    {
        QPoint at;
        QString text;
        unsigned align;
    };
    QList<Text> texts;
    void textOut(int x, int y, const QString &text) override
    {
        texts.append({QPoint(x, y), text, textAlign()});
        PainterCanvas::textOut(x, y, text);
    }
};

CanvasFont mincho(double points)
{
    CanvasFont f;
    f.face = QStringLiteral("ＭＳ 明朝");
    f.charset = 128;
    f.pointSize = points;
    return f;
}

// A slip-sized report with one band and helpers to add labels and print them onto an image
// at screen resolution.
class LabelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        report = std::make_unique<TPWReport>(QStringLiteral("r"));
        report->setUnits(TPWUnit::Native);
        report->Page().setPaperSize(TPWPaperSize::Custom);
        report->Page().ReadValues({100.0, 1480.0, 100.0, 2100.0, 100.0, 100.0, 0.0});
        band = report->addBand(
            std::make_unique<TPWBand>(QStringLiteral("band"), TPWBandType::rbDetail));
        band->Size().setNativeValue(TPWBandSize::HeightIndex, 500);
    }

    TPWLabel *addLabel(int leftPx, int topPx, int widthPx, int heightPx, double points = 12)
    {
        auto *l = static_cast<TPWLabel *>(band->addControl(
            std::make_unique<TPWLabel>(QStringLiteral("L%1").arg(band->controls().size()))));
        l->setFont(mincho(points));
        l->SetBounds(leftPx, topPx, widthPx, heightPx);
        return l;
    }

    // Prints every control of the band at (ofsX, ofsY) onto a fresh page image.
    void printBand(int ofsX = 100, int ofsY = 100)
    {
        image = makePageImage(QSize(794, 559), 96);
        QPainter painter(&image);
        LoggingCanvas canvas(&painter);
        CanvasOutput out(&canvas);
        report->setPrinter(&out);
        for (const auto &c : band->controls())
            c->Prepare();
        for (const auto &c : band->controls())
            c->Print(ofsX, ofsY);
        for (const auto &c : band->controls())
            c->UnPrepare();
        report->setPrinter(nullptr);
        texts = canvas.texts;
    }

    int width(const QString &s) { return band->controls().empty() ? 0 : labelWidth(s); }
    int labelWidth(const QString &s)
    {
        auto *l = static_cast<TPWLabel *>(band->controls().front().get());
        return l->lineWidth(s);
    }

    std::unique_ptr<TPWReport> report;
    TPWBand *band = nullptr;
    QImage image;
    QList<LoggingCanvas::Text> texts;
};

TEST_F(LabelTest, JapaneseTextWiderThanTheLabelKeepsOnlyWhatFits)
{
    TPWLabel *l = addLabel(0, 0, 400, 17);
    l->setAutoSize(false);
    QString text;
    while (l->lineWidth(text) < 500)
        text += QStringLiteral("品名数量単価金額摘要");
    l->setCaption(text);
    ASSERT_EQ(l->lines().size(), 1);
    const QString line = l->lines().first();
    ASSERT_FALSE(line.isEmpty());
    EXPECT_TRUE(text.startsWith(line));
    EXPECT_LT(l->lineWidth(line), 400);
    EXPECT_GE(l->lineWidth(line + text.at(line.size())), 400);
    EXPECT_EQ(l->Width(), 400);
}

TEST_F(LabelTest, TwoWordsBreakAfterTheSpace)
{
    TPWLabel *l = addLabel(0, 0, 10, 17);
    l->setAutoSize(false);
    l->SetBounds(0, 0, l->lineWidth(QStringLiteral("Tokyo ")), 40);
    l->setCaption(QStringLiteral("Tokyo Osaka"));
    EXPECT_EQ(l->lines(), QStringList({QStringLiteral("Tokyo "), QStringLiteral("Osaka")}));
}

struct FormatCase
{
    const char *caption;
    bool autoSize;
    TPWWrapStyle style;
    bool wordWrap;
    int widthChars; // label width in widths of "M" (+1 pixel), 0 for the default
    QStringList lines;
};

void PrintTo(const FormatCase &c, std::ostream *os)
{
    QString caption = QString::fromUtf8(c.caption);
    caption.replace(QChar(13), QStringLiteral("\\r")).replace(QChar(10), QStringLiteral("\\n"));
    *os << '"' << caption.toStdString() << "\" width " << c.widthChars
        << (c.autoSize ? " autosize" : "")
        << (c.style == TPWWrapStyle::BreakAnywhere ? " anywhere" : "")
        << (c.wordWrap ? "" : " nowrap");
}

class LabelFormat : public LabelTest, public ::testing::WithParamInterface<FormatCase>
{
};

TEST_P(LabelFormat, Lines)
{
    const FormatCase c = GetParam();
    TPWLabel *l = addLabel(0, 0, 300, 17);
    l->setAutoSize(c.autoSize);
    l->setWrapStyle(c.style);
    l->setWordWrap(c.wordWrap);
    if (c.widthChars > 0)
        l->SetBounds(0, 0, l->lineWidth(QString(c.widthChars, QLatin1Char('M'))), 17);
    l->setCaption(QString::fromUtf8(c.caption));
    EXPECT_EQ(l->lines(), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LabelFormat,
    ::testing::Values(
        FormatCase{"x\r\ny", true, TPWWrapStyle::BreakOnSpaces, true, 0, {"x", "y"}},
        FormatCase{"x\r\ny", false, TPWWrapStyle::BreakOnSpaces, true, 0, {"x", "y"}},
        FormatCase{"a\nb", true, TPWWrapStyle::BreakOnSpaces, true, 0, {"ab"}},
        FormatCase{"", true, TPWWrapStyle::BreakOnSpaces, true, 0, {""}},
        FormatCase{"", false, TPWWrapStyle::BreakOnSpaces, true, 0, {""}},
        FormatCase{"", false, TPWWrapStyle::BreakAnywhere, true, 0, {""}},
        FormatCase{"x\r\r\ny", false, TPWWrapStyle::BreakOnSpaces, true, 0, {"x", "", "y"}},
        // hyphens end words too
        FormatCase{"MMM-MMM", false, TPWWrapStyle::BreakOnSpaces, true, 4, {"MMM-", "MMM"}},
        FormatCase{"MMMMMM", false, TPWWrapStyle::BreakAnywhere, true, 4, {"MMMM", "MM"}},
        FormatCase{"MM MM MM", false, TPWWrapStyle::BreakOnSpaces, true, 6, {"MM MM ", "MM"}},
        FormatCase{"MM MM MM", false, TPWWrapStyle::BreakOnSpaces, true, 5, {"MM ", "MM MM"}},
        // Without WordWrap an overflowing line loses its rest; the next line still prints.
        FormatCase{"MM MM MM\rMM", false, TPWWrapStyle::BreakOnSpaces, false, 3, {"MM ", "MM"}},
        // A word wider than the label on a line of its own is cut at its end.
        FormatCase{"M MMMMMMMM", false, TPWWrapStyle::BreakOnSpaces, true, 4, {"M ", "MMMM"}}));

struct AutoSizeCase
{
    TAlignment alignment;
    bool frameSides;
};

void PrintTo(const AutoSizeCase &c, std::ostream *os)
{
    *os << int(c.alignment) << (c.frameSides ? " framed" : "");
}

class LabelAutoSize : public LabelTest, public ::testing::WithParamInterface<AutoSizeCase>
{
};

TEST_P(LabelAutoSize, WidthFollowsTheTextAndTheAnchorStays)
{
    const AutoSizeCase c = GetParam();
    TPWLabel *l = addLabel(200, 10, 100, 17);
    l->SetAlignment(c.alignment);
    if (c.frameSides) {
        l->Frame.DrawLeft = l->Frame.DrawRight = true;
        l->Frame.Width = 2;
    }
    const QString text = QStringLiteral("株式会社ゾリカ商店");
    const int measured = report->measureCanvas().textExtent(text).width();
    l->setCaption(text);
    const int expected = measured + 1 + (c.frameSides ? 4 : 0);
    EXPECT_EQ(l->Width(), expected);
    EXPECT_NEAR(l->Size().nativeValue(TPWPrintableSize::WidthIndex), expected * 254.0 / 96, 1e-9);
    switch (c.alignment) {
    case TAlignment::taLeftJustify:
        EXPECT_EQ(l->Left(), 200);
        break;
    case TAlignment::taRightJustify:
        EXPECT_EQ(l->Left() + l->Width(), 300);
        break;
    case TAlignment::taCenter:
        EXPECT_EQ(l->Left(), 200 + (100 - expected) / 2);
        break;
    }
    EXPECT_NEAR(l->Size().nativeValue(TPWPrintableSize::LeftIndex), l->Left() * 254.0 / 96, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Table, LabelAutoSize,
                         ::testing::Values(AutoSizeCase{TAlignment::taLeftJustify, false},
                                           AutoSizeCase{TAlignment::taRightJustify, false},
                                           AutoSizeCase{TAlignment::taCenter, false},
                                           AutoSizeCase{TAlignment::taLeftJustify, true}));

TEST_F(LabelTest, VeryLongCaptionsAndSurrogatePairsAreCutCleanly)
{
    TPWLabel *l = addLabel(0, 0, 200, 17);
    l->setAutoSize(false);
    // A short word, then one enormous word that must be cut to the label's width.
    const QString huge = QStringLiteral("株") + QString(60000, QLatin1Char('M'));
    l->setCaption(QStringLiteral("x ") + huge);
    ASSERT_EQ(l->lines().size(), 2);
    EXPECT_EQ(l->lines()[0], QStringLiteral("x "));
    const QString cut = l->lines()[1];
    EXPECT_TRUE(huge.startsWith(cut));
    EXPECT_LE(l->lineWidth(cut), 200);
    EXPECT_GT(l->lineWidth(cut + QLatin1Char('M')), 200);

    // 𠮷 is outside the basic plane: a cut never splits it.
    const QString yoshi = QString::fromUtf8("𠮷");
    ASSERT_EQ(yoshi.size(), 2);
    for (TPWWrapStyle style : {TPWWrapStyle::BreakOnSpaces, TPWWrapStyle::BreakAnywhere}) {
        l->setWrapStyle(style);
        l->setCaption(yoshi.repeated(40));
        for (const QString &line : l->lines()) {
            EXPECT_EQ(line.size() % 2, 0);
            EXPECT_FALSE(!line.isEmpty() && line.back().isHighSurrogate());
        }
    }
}

TEST_F(LabelTest, AlignToBandMovesTheLabelToTheBandsEdgeOrMiddle)
{
    TPWLabel *l = addLabel(50, 0, 100, 17);
    l->setAutoSize(false);
    const double bandWidth = band->Size().nativeValue(TPWBandSize::WidthIndex);
    const double width = l->Size().nativeValue(TPWPrintableSize::WidthIndex);
    l->setAlignToBand(true);
    EXPECT_DOUBLE_EQ(l->Size().nativeValue(TPWPrintableSize::LeftIndex), 0);
    l->SetAlignment(TAlignment::taRightJustify);
    EXPECT_DOUBLE_EQ(l->Size().nativeValue(TPWPrintableSize::LeftIndex), bandWidth - width);
    l->SetAlignment(TAlignment::taCenter);
    EXPECT_DOUBLE_EQ(l->Size().nativeValue(TPWPrintableSize::LeftIndex), (bandWidth - width) / 2);
    EXPECT_EQ(l->Left(), roundEven((bandWidth - width) / 2 * 96 / 254));
}

TEST_F(LabelTest, HeightIsAtLeastOneLine)
{
    TPWLabel *l = addLabel(0, 0, 100, 2);
    l->setCaption(QStringLiteral("x"));
    const int textHeight = report->measureCanvas().textExtent(QStringLiteral("W")).height();
    EXPECT_EQ(l->Height(), textHeight + 1);
    EXPECT_NEAR(l->Size().nativeValue(TPWPrintableSize::HeightIndex), (textHeight + 1) * 254.0 / 96,
                1e-9);
}

TEST_F(LabelTest, AlignedLinesAnchorAtTheLabelEdgesAndMiddle)
{
    TPWLabel *right = addLabel(100, 20, 150, 40, 9);
    right->setAutoSize(false);
    right->SetAlignment(TAlignment::taRightJustify);
    right->setCaption(QStringLiteral("1,234\r\n56"));
    TPWLabel *centre = addLabel(300, 20, 151, 40, 9);
    centre->setAutoSize(false);
    centre->SetAlignment(TAlignment::taCenter);
    centre->setCaption(QStringLiteral("御 納 品 書"));
    printBand(100, 100);

    CanvasOutput mapping(nullptr);
    const auto native = [](TPWLabel *l, int i) {
        return l->Size().nativeValue(i);
    };
    ASSERT_EQ(texts.size(), 3);
    const int rightEdge = mapping.XPos(100 + native(right, TPWPrintableSize::LeftIndex) +
                                       native(right, TPWPrintableSize::WidthIndex));
    EXPECT_EQ(texts[0].at.x(), rightEdge);
    EXPECT_EQ(texts[0].align & taCenter, unsigned(taRight));
    EXPECT_EQ(texts[1].at.x(), rightEdge);
    EXPECT_GT(texts[1].at.y(), texts[0].at.y());
    // Text tops sit at the label's top, lines one text height apart.
    EXPECT_EQ(texts[0].at.y(), mapping.YPos(100 + native(right, TPWPrintableSize::TopIndex)));
    const int middle = mapping.XPos(100 + native(centre, TPWPrintableSize::LeftIndex) +
                                    native(centre, TPWPrintableSize::WidthIndex) / 2);
    EXPECT_EQ(texts[2].at.x(), middle);
    EXPECT_EQ(texts[2].align & taCenter, unsigned(taCenter));

    // The ink of the right-aligned amount ends at the label's right edge.
    int inkRight = -1;
    for (int y = texts[0].at.y(); y < texts[0].at.y() + 12; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                inkRight = std::max(inkRight, x);
        }
    }
    EXPECT_LE(inkRight, rightEdge);
    EXPECT_GE(inkRight, rightEdge - 3);
}

TEST_F(LabelTest, TwoLinesInALabelOneLineHighPrintTheFirstOnly)
{
    // The height floor makes the label exactly one line high.
    TPWLabel *l = addLabel(10, 10, 200, 2, 9);
    l->setAutoSize(false);
    l->setCaption(QStringLiteral("first\r\nsecond"));
    EXPECT_EQ(l->Height(), report->measureCanvas().textExtent(QStringLiteral("W")).height() + 1);
    printBand();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0].text, QStringLiteral("first"));
    EXPECT_TRUE(l->printFinished());
}

TEST_F(LabelTest, OnPrintRewritesOnlyThePrint)
{
    TPWLabel *l = addLabel(10, 10, 300, 13, 9);
    l->setAutoSize(false);
    l->setCaption(QStringLiteral("2014/06/10"));
    QStringList seen;
    l->OnPrint = [&seen](TPWLabel &, QString &value) {
        seen.append(value);
        value = value.mid(0, 4) + QStringLiteral("年 ") + value.mid(5, 2) + QStringLiteral("月 ") +
                value.mid(8, 2) + QStringLiteral("日");
    };
    printBand();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0].text, QStringLiteral("2014年 06月 10日"));
    EXPECT_EQ(l->Caption(), QStringLiteral("2014/06/10"));
    EXPECT_EQ(l->printText(), QStringLiteral("2014/06/10"));
    printBand();
    EXPECT_EQ(seen, QStringList({QStringLiteral("2014/06/10"), QStringLiteral("2014/06/10")}));
    EXPECT_EQ(texts[0].text, QStringLiteral("2014年 06月 10日"));
}

TEST_F(LabelTest, OpaqueLabelFillsItsRectangleTransparentDoesNot)
{
    // Something the band drew before the labels.
    TPWLabel *opaque = addLabel(10, 10, 50, 13, 9);
    opaque->setAutoSize(false);
    opaque->Color = Qt::yellow;
    TPWLabel *clear = addLabel(100, 10, 50, 13, 9);
    clear->setAutoSize(false);
    clear->Color = Qt::yellow;
    clear->Transparent = true;
    printBand(0, 0);
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(59, 22), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(60, 22), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(110, 15), QColor(Qt::white));
}

TEST_F(LabelTest, FrameBottomStartsOneFrameWidthLeftOfTheLabel)
{
    TPWLabel *l = addLabel(20, 20, 100, 17, 12);
    l->setAutoSize(false);
    l->Frame.DrawBottom = true;
    l->Frame.Style = CanvasPen::Dot;
    l->setCaption(QStringLiteral("様"));
    printBand(0, 0);
    CanvasOutput mapping(nullptr);
    const double left = l->Size().nativeValue(TPWPrintableSize::LeftIndex);
    const double top = l->Size().nativeValue(TPWPrintableSize::TopIndex);
    const double height = l->Size().nativeValue(TPWPrintableSize::HeightIndex);
    const int barLeft = mapping.XPos(left - 4);
    const int barRow = mapping.YPos(top + height) - 1;
    EXPECT_EQ(barLeft, 18);
    for (int x = barLeft;
         x < mapping.XPos(left + l->Size().nativeValue(TPWPrintableSize::WidthIndex)); ++x)
        EXPECT_LT(qGray(image.pixel(x, barRow)), 128) << x;
    EXPECT_GT(qGray(image.pixel(barLeft - 1, barRow)), 128);
    EXPECT_GT(qGray(image.pixel(barLeft + 5, barRow + 1)), 128);
}

TEST_F(LabelTest, StretchingLabelGrowsTheBandThenContinuesOnTheNextPage)
{
    TPWLabel *l = addLabel(10, 10, 200, 13, 9);
    l->setAutoSize(false);
    l->AutoStretch = true;
    l->setCaption(QStringLiteral("one\rtwo\rthree"));
    int allowed = 1;
    QList<double> asked;
    band->canExpandHandler = [&](TPWBand &, double h) {
        asked.append(h);
        return allowed-- > 0;
    };

    image = makePageImage(QSize(794, 559), 96);
    QPainter painter(&image);
    LoggingCanvas canvas(&painter);
    CanvasOutput out(&canvas);
    report->setPrinter(&out);
    l->Prepare();
    l->Print(100, 100);
    ASSERT_EQ(canvas.texts.size(), 2);
    EXPECT_EQ(canvas.texts[1].text, QStringLiteral("two"));
    const double lineHeight = canvas.textExtent(QStringLiteral("W")).height() / out.YFactor;
    ASSERT_EQ(asked.size(), 2);
    EXPECT_DOUBLE_EQ(asked[0], lineHeight);
    EXPECT_DOUBLE_EQ(l->GetExpandedHeight(), lineHeight);
    EXPECT_EQ(canvas.texts[1].at.y() - canvas.texts[0].at.y(), out.YSize(lineHeight));
    EXPECT_FALSE(l->printFinished());

    // The band goes on on a new page: the label prints what is left, from its top.
    canvas.texts.clear();
    l->Print(100, 100);
    ASSERT_EQ(canvas.texts.size(), 1);
    EXPECT_EQ(canvas.texts[0].text, QStringLiteral("three"));
    EXPECT_TRUE(l->printFinished());
    l->UnPrepare();
    report->setPrinter(nullptr);
}

TEST_F(LabelTest, InheritedFontTakesTheStoredSize)
{
    CanvasFont formFont;
    formFont.face = QStringLiteral("ＭＳ Ｐゴシック");
    formFont.height = -12;
    report->setFont(formFont);
    auto *l = static_cast<TPWLabel *>(band->addControl(std::make_unique<TPWLabel>()));
    EXPECT_TRUE(l->ParentFont());
    EXPECT_EQ(l->Font().face, QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_DOUBLE_EQ(l->Font().pointSize, 9);
    l->setFontSize(14);
    EXPECT_DOUBLE_EQ(l->Font().pointSize, 14);
    EXPECT_EQ(l->Font().height, 0);
}

} // namespace
