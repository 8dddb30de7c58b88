#include <report/emfcanvas.h>
#include <report/emfpage.h>
#include <report/paintercanvas.h>

#include <QBuffer>
#include <QPdfWriter>
#include <gtest/gtest.h>

#include <ostream>

using namespace report;

namespace {

bool dark(const QImage &img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}

// Bounding box of the non-white pixels.
QRect inkBox(const QImage &img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (img.pixel(x, y) != qRgb(255, 255, 255) && qAlpha(img.pixel(x, y)) != 0)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

template <class F> QImage draw(QSize size, F &&f, int dpi = 96)
{
    QImage img = makePageImage(size, dpi);
    QPainter p(&img);
    PainterCanvas c(&p);
    f(c);
    p.end();
    return img;
}

TEST(PainterCanvas, RectangleCoversLeftTopInclusiveRightBottomExclusive)
{
    const QImage img = draw(QSize(30, 30), [](Canvas &c) {
        c.setBrush(CanvasBrush{Qt::red, CanvasBrush::Solid});
        c.rectangle(QRect(QPoint(5, 5), QPoint(14, 9))); // GDI 5,5,15,10
    });
    EXPECT_EQ(inkBox(img), QRect(QPoint(5, 5), QPoint(14, 9)));
    EXPECT_TRUE(dark(img, 5, 7));
    EXPECT_TRUE(dark(img, 14, 7));
    EXPECT_TRUE(dark(img, 10, 9));
    EXPECT_EQ(img.pixelColor(10, 7), QColor(Qt::red));

    // Without a pen GDI fills one pixel less to the right and bottom.
    const QImage noPen = draw(QSize(30, 30), [](Canvas &c) {
        c.setPen(CanvasPen{Qt::black, 1, CanvasPen::Clear});
        c.setBrush(CanvasBrush{Qt::blue, CanvasBrush::Solid});
        c.rectangle(QRect(QPoint(5, 5), QPoint(14, 9)));
    });
    EXPECT_EQ(inkBox(noPen), QRect(QPoint(5, 5), QPoint(13, 8)));

    const QImage filled = draw(QSize(30, 30), [](Canvas &c) {
        c.setBrush(CanvasBrush{Qt::blue, CanvasBrush::Solid});
        c.fillRect(QRect(QPoint(5, 5), QPoint(14, 9)));
    });
    EXPECT_EQ(inkBox(filled), QRect(QPoint(5, 5), QPoint(14, 9)));
}

struct LineCase
{
    QPoint from;
    QPoint to;
    QRect ink;
};

void PrintTo(const LineCase &c, std::ostream *os)
{
    *os << c.from.x() << "," << c.from.y() << " to " << c.to.x() << "," << c.to.y();
}

class PainterLines : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(PainterLines, LinesLeaveOutTheirEndPoint)
{
    const LineCase lc = GetParam();
    const QImage img = draw(QSize(40, 40), [&](Canvas &c) {
        c.moveTo(lc.from.x(), lc.from.y());
        c.lineTo(lc.to.x(), lc.to.y());
    });
    EXPECT_EQ(inkBox(img), lc.ink);
}

INSTANTIATE_TEST_SUITE_P(Table, PainterLines,
                         ::testing::Values(LineCase{{10, 5}, {20, 5}, QRect(10, 5, 10, 1)},
                                           LineCase{{20, 5}, {10, 5}, QRect(11, 5, 10, 1)},
                                           LineCase{{7, 3}, {7, 30}, QRect(7, 3, 1, 27)},
                                           LineCase{{0, 0}, {10, 10}, QRect(0, 0, 10, 10)},
                                           LineCase{{10, 10}, {0, 0}, QRect(1, 1, 10, 10)},
                                           LineCase{{3, 3}, {4, 3}, QRect(3, 3, 1, 1)},
                                           LineCase{{3, 3}, {3, 2}, QRect(3, 3, 1, 1)}));

TEST(PainterCanvas, WidePenAndCurrentPosition)
{
    PainterCanvas *seen = nullptr;
    const QImage img = draw(QSize(40, 40), [&](Canvas &c) {
        c.setPen(CanvasPen{Qt::black, 3, CanvasPen::Solid});
        c.moveTo(10, 20);
        c.lineTo(30, 20);
        seen = static_cast<PainterCanvas *>(&c);
        EXPECT_EQ(seen->currentPosition(), QPoint(30, 20));
    });
    EXPECT_TRUE(dark(img, 20, 19));
    EXPECT_TRUE(dark(img, 20, 20));
    EXPECT_TRUE(dark(img, 20, 21));
    EXPECT_FALSE(dark(img, 20, 18));
    EXPECT_FALSE(dark(img, 20, 22));
}

TEST(PainterCanvas, TextTopIsAtYAndAlignmentPlacesTheAnchor)
{
    CanvasFont font;
    font.face = QStringLiteral("ＭＳ ゴシック");
    font.pointSize = 12;
    QSize extent;
    const QImage left = draw(QSize(200, 60), [&](Canvas &c) {
        c.setFont(font);
        c.setBackgroundTransparent(true);
        extent = c.textExtent(QStringLiteral("品名"));
        c.textOut(50, 20, QStringLiteral("品名"));
    });
    // A 16-pixel em at 96 dpi: two full-width glyphs, one line of ascent plus descent.
    EXPECT_EQ(extent.width(), 32);
    EXPECT_GE(extent.height(), 16);
    EXPECT_LE(extent.height(), 18);
    const QRect ink = inkBox(left);
    EXPECT_GE(ink.top(), 20);
    EXPECT_LE(ink.bottom(), 20 + extent.height());
    EXPECT_GE(ink.left(), 50);
    EXPECT_LE(ink.right(), 50 + extent.width());

    const QImage right = draw(QSize(200, 60), [&](Canvas &c) {
        c.setFont(font);
        c.setBackgroundTransparent(true);
        c.setTextAlign(taRight | taTop);
        c.textOut(150, 20, QStringLiteral("品名"));
    });
    const QRect rink = inkBox(right);
    EXPECT_LE(rink.right(), 149);
    EXPECT_GE(rink.left(), 150 - extent.width());
    EXPECT_EQ(rink.left() - (150 - extent.width()), ink.left() - 50);

    const QImage centre = draw(QSize(200, 60), [&](Canvas &c) {
        c.setFont(font);
        c.setBackgroundTransparent(true);
        c.setTextAlign(taCenter | taBaseline);
        c.textOut(100, 40, QStringLiteral("品名"));
    });
    const QRect cink = inkBox(centre);
    EXPECT_EQ(cink.left() - (100 - extent.width() / 2), ink.left() - 50);
    EXPECT_LE(cink.bottom(), 41);
}

TEST(PainterCanvas, OpaqueBackgroundFillsTheTextCell)
{
    CanvasFont font;
    font.face = QStringLiteral("Tahoma");
    font.pointSize = 10;
    font.color = Qt::blue;
    QSize extent;
    QImage img = makePageImage(QSize(100, 40), 96, Qt::green);
    {
        QPainter p(&img);
        PainterCanvas c(&p);
        c.setFont(font);
        extent = c.textExtent(QStringLiteral("Ab"));
        c.setBackgroundTransparent(false);
        c.textOut(10, 5, QStringLiteral("Ab"));
        c.setBackgroundTransparent(true);
        c.textOut(50, 5, QStringLiteral("Ab"));
    }
    EXPECT_EQ(img.pixelColor(10, 5), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(10 + extent.width() - 1, 5 + extent.height() - 1), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(10 + extent.width(), 5), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(50, 5), QColor(Qt::green));
}

TEST(PainterCanvas, ResolutionComesFromTheDevice)
{
    QImage img = makePageImage(QSize(10, 10), 600);
    QPainter p(&img);
    PainterCanvas c(&p);
    EXPECT_EQ(c.pixelsPerInch(), QSize(600, 600));
    CanvasFont f;
    f.pointSize = 9;
    c.setFont(f);
    EXPECT_EQ(c.qtFont().pixelSize(), 75);
    PainterCanvas overridden(&p, QSize(96, 96));
    EXPECT_EQ(overridden.pixelsPerInch(), QSize(96, 96));
}

TEST(PainterCanvas, DrawsOnAPdfWriter)
{
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        QPainter p(&writer);
        PainterCanvas c(&p);
        EXPECT_EQ(c.pixelsPerInch(), QSize(300, 300));
        c.textOut(100, 100, QStringLiteral("御 納 品 書"));
        c.rectangle(QRect(50, 50, 300, 100));
    }
    EXPECT_TRUE(pdf.startsWith("%PDF"));
}

} // namespace

namespace {

// A small recorded page: a frame along its edges and a filled block at a known place.
EmfPage framedPage()
{
    EmfCanvas rec(QSize(100, 50));
    rec.setBrush(CanvasBrush{Qt::white, CanvasBrush::Clear});
    rec.rectangle(QRect(QPoint(0, 0), QPoint(99, 49)));
    rec.setBrush(CanvasBrush{Qt::black, CanvasBrush::Solid});
    rec.fillRect(QRect(QPoint(60, 20), QPoint(79, 29)));
    return rec.page();
}

} // namespace

// A stored page printed on a device with unprintable margins starts left of and above the
// device's origin: the part beyond the origin is cut, the rest lands stretched where it
// belongs. The painter path and the generic path (through any other canvas, here a
// recording) agree.
TEST(PainterCanvas, StretchDrawPlacesAPageWithANegativeOrigin)
{
    const EmfPage page = framedPage();
    const QRect target(QPoint(-20, -10), QPoint(179, 89)); // 200 x 100: twice the page
    QImage painted = draw(QSize(200, 100), [&](Canvas &c) { c.stretchDraw(target, page); });

    EmfCanvas rec(QSize(200, 100));
    rec.stretchDraw(target, page);
    QImage generic = makePageImage(QSize(200, 100), 96);
    {
        QPainter p(&generic);
        PainterCanvas c(&p);
        rec.page().play(c);
    }

    for (QImage *img : {&painted, &generic}) {
        // The block 60..80 x 20..30 of the page, doubled and moved by (-20, -10).
        EXPECT_EQ(inkBox(img->copy(QRect(90, 20, 80, 40))), QRect(10, 10, 40, 20));
        // The right and bottom frame lines are inside the device; the left and top ones were
        // cut off with the margin.
        EXPECT_TRUE(dark(*img, 178, 50) || dark(*img, 179, 50));
        EXPECT_TRUE(dark(*img, 100, 88) || dark(*img, 100, 89));
        EXPECT_FALSE(dark(*img, 0, 50));
        EXPECT_FALSE(dark(*img, 100, 0));
    }
    // An empty target draws nothing.
    const QImage none = draw(QSize(20, 20), [&](Canvas &c) { c.stretchDraw(QRect(), page); });
    EXPECT_TRUE(inkBox(none).isEmpty());
}
