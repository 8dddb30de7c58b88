#include <report/emfcanvas.h>
#include <report/emfpage.h>
#include <report/emfrecords.h>
#include <report/paintercanvas.h>
#include <testsupport/reportsample.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPainter>
#include <QtEndian>

#include <map>

using namespace report;
namespace emf = report::emf;

namespace {

QByteArray slipBytes(int number = 1)
{
    EmfCanvas canvas(QSize(sample::kSlipWidth, sample::kSlipHeight));
    sample::drawSlipPage(canvas, number);
    return canvas.bytes();
}

quint32 u32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

void putU32(QByteArray &b, qsizetype at, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + at);
}

struct RawRecord
{
    quint32 type;
    qsizetype offset;
    quint32 size;
};

QList<RawRecord> records(const QByteArray &b)
{
    QList<RawRecord> out;
    for (qsizetype at = 0; at + 8 <= b.size();) {
        const quint32 size = u32At(b, at + 4);
        out.append({u32At(b, at), at, size});
        if (size < 8)
            break;
        at += size;
    }
    return out;
}

/// A record from 32-bit fields (type and size are filled in).
QByteArray record(quint32 type, const QList<qint32> &fields)
{
    QByteArray r(8, '\0');
    putU32(r, 0, type);
    for (qint32 f : fields) {
        r.append(4, '\0');
        putU32(r, r.size() - 4, quint32(f));
    }
    putU32(r, 4, quint32(r.size()));
    return r;
}

/// The page with `extra` records inserted before its end-of-file record, header fixed up.
QByteArray withRecords(const QByteArray &page, const QByteArray &extra, int count)
{
    QByteArray b = page.left(page.size() - 20) + extra + page.right(20);
    putU32(b, 48, quint32(b.size()));
    putU32(b, 52, u32At(b, 52) + quint32(count));
    return b;
}

QImage playOnto(const EmfPage &page, double scale)
{
    QImage image = makePageImage(
        QSize(int(page.pixelSize().width() * scale), int(page.pixelSize().height() * scale)), 96);
    QPainter painter(&image);
    page.play(painter, QRectF(0, 0, image.width(), image.height()));
    return image;
}

QImage drawDirect(double scale)
{
    QImage image =
        makePageImage(QSize(int(sample::kSlipWidth * scale), int(sample::kSlipHeight * scale)), 96);
    QPainter painter(&image);
    painter.scale(double(image.width()) / sample::kSlipWidth,
                  double(image.height()) / sample::kSlipHeight);
    PainterCanvas canvas(&painter, QSize(96, 96));
    sample::drawSlipPage(canvas, 1);
    return image;
}

/// Share of pixels whose colour differs by more than `threshold` in some channel.
double differingShare(const QImage &a, const QImage &b, int threshold = 48)
{
    if (a.size() != b.size())
        return 1.0;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (std::abs(qRed(pa[x]) - qRed(pb[x])) > threshold ||
                std::abs(qGreen(pa[x]) - qGreen(pb[x])) > threshold ||
                std::abs(qBlue(pa[x]) - qBlue(pb[x])) > threshold)
                ++differing;
        }
    }
    return double(differing) / (double(a.width()) * a.height());
}

qint64 inkPixels(const QImage &image)
{
    qint64 n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != qRgb(255, 255, 255);
    return n;
}

} // namespace

TEST(EmfCanvas, WritesAConsistentHeader)
{
    const QByteArray b = slipBytes();
    const EmfPage page = EmfPage::fromBytes(b);
    const QList<RawRecord> recs = records(b);

    EXPECT_EQ(u32At(b, 0), emf::EMR_HEADER);
    EXPECT_EQ(u32At(b, 40), emf::ENHMETA_SIGNATURE);
    EXPECT_EQ(b.mid(41, 3), "EMF");
    EXPECT_EQ(u32At(b, 48), quint32(b.size()));
    EXPECT_EQ(u32At(b, 52), quint32(recs.size()));
    EXPECT_EQ(recs.last().type, emf::EMR_EOF);
    // Frame in hundredths of a millimetre: 794 × 559 pixels at 96 per inch.
    EXPECT_EQ(qint32(u32At(b, 32)), 21008);
    EXPECT_EQ(qint32(u32At(b, 36)), 14790);
    EXPECT_EQ(page.pixelSize(), QSize(794, 559));
    // Bounds: everything drawn, inside the page.
    EXPECT_TRUE(QRect(0, 0, 794, 559).contains(page.bounds()));
    EXPECT_LE(page.bounds().left(), 40);
    EXPECT_GE(page.bounds().right(), 753);
    // Every object handle used lies below the handle count of the header.
    const quint32 handles = qFromLittleEndian<quint16>(b.constData() + 56);
    for (const RawRecord &r : recs) {
        if (r.type == emf::EMR_CREATEPEN || r.type == emf::EMR_CREATEBRUSHINDIRECT ||
            r.type == emf::EMR_EXTCREATEFONTINDIRECTW) {
            EXPECT_LT(u32At(b, r.offset + 8), handles);
        }
    }
    EXPECT_LE(handles, 8u) << "deleted objects give their handles back";
}

TEST(EmfCanvas, FrameFollowsPageSizeAndResolution)
{
    const struct
    {
        QSize pixels;
        int dpi;
        qint32 frameWidth;
        qint32 frameHeight;
    } pages[] = {
        {{794, 559}, 96, 21008, 14790},
        {{794, 1123}, 96, 21008, 29713},
        {{1000, 700}, 120, 21167, 14817},
        {{100, 50}, 300, 847, 423},
    };
    for (const auto &p : pages) {
        SCOPED_TRACE(p.dpi);
        EmfCanvas canvas(p.pixels, QSize(p.dpi, p.dpi));
        EXPECT_EQ(canvas.pixelsPerInch(), QSize(p.dpi, p.dpi));
        const QByteArray b = canvas.bytes();
        EXPECT_EQ(qint32(u32At(b, 32)), p.frameWidth);
        EXPECT_EQ(qint32(u32At(b, 36)), p.frameHeight);
        const EmfPage page = EmfPage::fromBytes(b);
        EXPECT_EQ(page.pixelSize(), p.pixels);
        EXPECT_EQ(page.bounds(), QRect(0, 0, 0, 0)) << "nothing drawn: empty bounds";
        EXPECT_TRUE(page.textItems().isEmpty());
    }
}

TEST(EmfCanvas, WritesStateOnlyWhenItChanges)
{
    const QByteArray b = slipBytes();
    std::map<quint32, int> counts;
    for (const RawRecord &r : records(b))
        ++counts[r.type];
    EXPECT_EQ(counts[emf::EMR_EXTCREATEFONTINDIRECTW], 3); // title, body, small
    EXPECT_EQ(counts[emf::EMR_EXTTEXTOUTW], 47);
    // Every replaced object is deleted: at most the last font, pen and brush stay alive.
    const int created = counts[emf::EMR_EXTCREATEFONTINDIRECTW] + counts[emf::EMR_CREATEPEN] +
                        counts[emf::EMR_CREATEBRUSHINDIRECT];
    EXPECT_LE(counts[emf::EMR_DELETEOBJECT], created);
    EXPECT_GE(counts[emf::EMR_DELETEOBJECT], created - 3);
    EXPECT_LT(b.size(), 8000) << "a slip page is a few kilobytes";
}

TEST(EmfCanvas, WritesPensAsTheyDraw)
{
    const struct
    {
        CanvasPen::Style style;
        int width;
        quint32 writtenStyle;
        qint32 writtenWidth;
    } pens[] = {
        {CanvasPen::Solid, 3, 0, 3}, {CanvasPen::InsideFrame, 4, 6, 4}, {CanvasPen::Dash, 3, 1, 1},
        {CanvasPen::Dot, 2, 2, 1},   {CanvasPen::DashDotDot, 5, 4, 1},  {CanvasPen::Solid, 0, 0, 0},
    };
    for (const auto &p : pens) {
        SCOPED_TRACE(testing::Message() << p.style << "/" << p.width);
        EmfCanvas canvas(QSize(50, 50));
        canvas.setPen(CanvasPen{Qt::red, p.width, p.style});
        canvas.rectangle(QRect(5, 5, 20, 20));
        const QByteArray b = canvas.bytes();
        int pensWritten = 0;
        for (const RawRecord &r : records(b)) {
            if (r.type != emf::EMR_CREATEPEN)
                continue;
            ++pensWritten;
            EXPECT_EQ(u32At(b, r.offset + 12), p.writtenStyle);
            EXPECT_EQ(qint32(u32At(b, r.offset + 16)), p.writtenWidth);
            EXPECT_EQ(u32At(b, r.offset + 24), 0x0000ffu); // COLORREF of red
        }
        EXPECT_EQ(pensWritten, 1);
    }
}

TEST(EmfPage, EnumeratesTextItemsInDrawingOrder)
{
    const EmfPage page = EmfPage::fromBytes(slipBytes(42));
    const QList<EmfTextItem> items = page.textItems();
    ASSERT_EQ(items.size(), 47);
    EXPECT_EQ(items[0], (EmfTextItem{QStringLiteral("納　品　書"), QPoint(330, 30)}));
    EXPECT_EQ(items[4], (EmfTextItem{QStringLiteral("No. 000042"), QPoint(754, 80)}));
    EXPECT_EQ(items.last().text, QStringLiteral("毎度ありがとうございます。Thank you."));

    // Text beyond the basic plane travels as surrogate pairs and comes back whole.
    EmfCanvas canvas(QSize(100, 50));
    canvas.setTextAlign(taRight | taBaseline | taRtlReading);
    canvas.textOut(90, 30, QStringLiteral("𠮷野家"));
    const QByteArray b = canvas.bytes();
    const EmfPage small = EmfPage::fromBytes(b);
    EXPECT_EQ(small.textItems(), (QList<EmfTextItem>{{QStringLiteral("𠮷野家"), QPoint(90, 30)}}));
    for (const RawRecord &r : records(b)) {
        if (r.type == emf::EMR_EXTTEXTOUTW) {
            EXPECT_EQ(u32At(b, r.offset + 52), emf::ETO_RTLREADING);
        } else if (r.type == emf::EMR_SETTEXTALIGN) {
            EXPECT_EQ(u32At(b, r.offset + 8), unsigned(taRight | taBaseline | taRtlReading));
        }
    }
}

// Playing a page into a second recorder must repeat every drawing call and every state the
// calls depend on, so the two recordings are the same bytes.
TEST(EmfPage, ReplayingIntoARecorderReproducesTheRecording)
{
    const QByteArray original = slipBytes(7);
    EmfCanvas again(QSize(sample::kSlipWidth, sample::kSlipHeight));
    EmfPage::fromBytes(original).play(again);
    EXPECT_EQ(again.bytes(), original);
}

TEST(EmfPage, PlaysLikeTheDirectDrawing)
{
    const EmfPage page = EmfPage::fromBytes(slipBytes());
    for (const double scale : {1.0, 2.0, 0.5}) {
        SCOPED_TRACE(scale);
        const QImage direct = drawDirect(scale);
        const QImage played = playOnto(page, scale);
        EXPECT_GT(inkPixels(direct), 1000);
        EXPECT_LT(differingShare(direct, played), 0.002);
    }
    // Stretched into a rectangle elsewhere on a larger device, with a margin around it.
    QImage sheet = makePageImage(QSize(1000, 800), 96);
    {
        QPainter painter(&sheet);
        page.play(painter, QRectF(100, 50, 794, 559));
    }
    const QImage direct = drawDirect(1.0);
    EXPECT_LT(differingShare(sheet.copy(100, 50, 794, 559), direct), 0.002);
    EXPECT_EQ(inkPixels(sheet.copy(0, 0, 100, 800)), 0);
}

// Qt's glyph rasteriser crashes on text stretched some hundred times more one way than the
// other, which a hostile page with a one-pixel-wide frame asks for.
TEST(EmfPage, StretchIsHeldWithinAnAspectLimit)
{
    EmfCanvas narrow(QSize(1, 559));
    narrow.textOut(0, 30, QStringLiteral("納　品　書"));
    QImage image = makePageImage(QSize(96, 64), 96);
    {
        QPainter painter(&image);
        EmfPage::fromBytes(narrow.bytes()).play(painter, QRectF(4, 4, 88, 56));
    }

    // A slip squeezed to 5 pixels high is drawn at most 16 times wider than high.
    const EmfPage page = EmfPage::fromBytes(slipBytes());
    QImage strip = makePageImage(QSize(800, 10), 96);
    {
        QPainter painter(&strip);
        page.play(painter, QRectF(0, 0, 794, 5));
    }
    EXPECT_GT(inkPixels(strip.copy(0, 0, 120, 10)), 0);
    EXPECT_EQ(inkPixels(strip.copy(120, 0, 680, 10)), 0);

    // Within the limit the page fills its target: a slip on an A4-shaped area.
    QImage sheet = makePageImage(QSize(200, 300), 96);
    {
        QPainter painter(&sheet);
        page.play(painter, QRectF(0, 0, 200, 280));
    }
    EXPECT_GT(inkPixels(sheet.copy(150, 0, 50, 300)), 0);
}

TEST(EmfPage, MalformedPagesGiveErrors)
{
    const QByteArray good = slipBytes();
    const QList<RawRecord> recs = records(good);
    qsizetype textAt = 0;
    for (const RawRecord &r : recs) {
        if (r.type == emf::EMR_EXTTEXTOUTW) {
            textAt = r.offset;
            break;
        }
    }
    ASSERT_GT(textAt, 0);
    const qsizetype second = recs[1].offset;

    struct Case
    {
        const char *name;
        QByteArray bytes;
    };
    QList<Case> cases;
    auto mutated = [&](const char *name, auto change) {
        QByteArray b = good;
        change(b);
        cases.append({name, b});
    };
    cases.append({"empty", QByteArray()});
    cases.append({"header cut", good.left(60)});
    cases.append({"last record cut", good.left(good.size() - 8)});
    mutated("not a header", [](QByteArray &b) { putU32(b, 0, emf::EMR_EOF); });
    mutated("no signature", [](QByteArray &b) { b[41] = 'X'; });
    mutated("declared longer than the data", [](QByteArray &b) { putU32(b, 48, b.size() + 4); });
    mutated("header size beyond the data", [](QByteArray &b) { putU32(b, 4, 0x7ffffff0u); });
    mutated("header size too small", [](QByteArray &b) { putU32(b, 4, 40); });
    mutated("no reference device", [](QByteArray &b) { putU32(b, 80, 0); });
    mutated("negative reference device", [](QByteArray &b) { putU32(b, 76, 0xffffff00u); });
    mutated("reference device of 0.15 dpi", [](QByteArray &b) { putU32(b, 80, 327932); });
    mutated("reference device of 100000 dpi", [](QByteArray &b) { putU32(b, 84, 5); });
    mutated("empty frame", [](QByteArray &b) { putU32(b, 32, 0); });
    mutated("huge frame", [](QByteArray &b) { putU32(b, 36, 0x7fffffff); });
    mutated("record size zero", [&](QByteArray &b) { putU32(b, second + 4, 0); });
    mutated("record size unaligned", [&](QByteArray &b) { putU32(b, second + 4, 13); });
    mutated("record size huge", [&](QByteArray &b) { putU32(b, second + 4, 0xfffffff8u); });
    mutated("second header", [&](QByteArray &b) { putU32(b, second, emf::EMR_HEADER); });
    mutated("text longer than its record", [&](QByteArray &b) { putU32(b, textAt + 44, 100000); });
    mutated("text offset outside", [&](QByteArray &b) { putU32(b, textAt + 48, 0x80000000u); });
    mutated("text offset negative", [&](QByteArray &b) { putU32(b, textAt + 48, 0xfffffffcu); });
    mutated("no end-of-file record", [](QByteArray &b) {
        b.chop(20);
        putU32(b, 48, quint32(b.size()));
    });
    mutated("pen record too short", [&](QByteArray &b) {
        // Turn the second record into a pen creation of 12 bytes (its own size stays valid).
        putU32(b, second, emf::EMR_CREATEPEN);
        putU32(b, second + 4, 12);
        putU32(b, second + 12, emf::EMR_SETBKMODE);
        putU32(b, second + 16, u32At(good, second + 4) - 12);
    });

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        try {
            EmfPage::fromBytes(c.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const EmfError &e) {
            EXPECT_TRUE(QByteArray(e.what()).startsWith("Invalid metafile: "));
        }
    }
}

// Records that are well formed but make no sense must neither crash nor stall the player.
TEST(EmfPage, HostileButWellFormedRecordsPlaySafely)
{
    const QByteArray base = slipBytes();
    const QList<QByteArray> hostile = {
        record(emf::EMR_SELECTOBJECT, {60000}),
        record(emf::EMR_SELECTOBJECT, {qint32(0x8000ffff)}),
        record(emf::EMR_DELETEOBJECT, {1}),
        record(emf::EMR_CREATEPEN, {0x7fffffff, 0, 5, 5, 0}),
        record(emf::EMR_CREATEPEN, {1, 0x7fff, 0x7fffffff, 0, 0xff}),
        record(emf::EMR_SELECTOBJECT, {1}),
        record(emf::EMR_LINETO, {INT32_MAX, INT32_MIN}),
        record(emf::EMR_ELLIPSE, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}),
        record(emf::EMR_ROUNDRECT, {0, 0, 500, 500, INT32_MAX, INT32_MIN}),
        record(emf::EMR_CREATEBRUSHINDIRECT, {2, 2, 0xff, 99}),
        record(emf::EMR_SELECTOBJECT, {2}),
        record(emf::EMR_BITBLT,
               {0, 0, 0, 0, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, qint32(emf::PATCOPY),
                0, 0, 0, 0, 0,         0,         0,         0,         0,
                0, 0, 0, 0, 0}),
        record(emf::EMR_RESTOREDC, {INT32_MIN}),
        record(emf::EMR_RESTOREDC, {5}),
        record(emf::EMR_SETTEXTALIGN, {-1}),
        record(emf::EMR_EXTSELECTCLIPRGN, {0x7fffffff, 3}),
        record(0x7fffffff, {1, 2, 3}),
    };
    QByteArray extra;
    for (const QByteArray &r : hostile)
        extra += r;
    // A font of absurd size selected into handle 3, then text drawn with it.
    QByteArray font = record(emf::EMR_EXTCREATEFONTINDIRECTW, {3, INT32_MIN});
    font.append(emf::LOGFONT_SIZE - 4, '\0');
    putU32(font, 4, quint32(font.size()));
    QByteArray text =
        record(emf::EMR_EXTTEXTOUTW, {0, 0, 0, 0, 2, 0, 0, 10, 10, 2, emf::TEXT_RECORD_SIZE, 0, 0,
                                      0, 0, 0, 0, 0x00410041});
    extra += font + record(emf::EMR_SELECTOBJECT, {3}) + text;

    // Let the header promise few handles so that the created ones fall outside the table.
    QByteArray b = withRecords(base, extra, int(hostile.size()) + 3);
    const EmfPage page = EmfPage::fromBytes(b);
    QElapsedTimer timer;
    timer.start();
    const QImage image = playOnto(page, 1.0);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(page.textItems().last().text, QStringLiteral("AA"));
    putU32(b, 56, 1);
    playOnto(EmfPage::fromBytes(b), 0.25);
}

TEST(EmfPage, AnotherWritersPageWithUnknownRecordsLoads)
{
    // Records we do not know (here a comment) are passed over.
    QByteArray comment = record(70, {8, 0x11223344, 0x55667788});
    const QByteArray b = withRecords(slipBytes(), comment, 1);
    const EmfPage page = EmfPage::fromBytes(b + QByteArray(12, 'x'));
    EXPECT_EQ(page.bytes(), b) << "bytes after the declared length are not part of the page";
    EXPECT_EQ(page.textItems().size(), 47);
}
