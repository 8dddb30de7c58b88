#include <report/emfpage.h>

#include <report/canvas.h>
#include <report/emfrecords.h>
#include <report/paintercanvas.h>

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <vector>

namespace report {

using namespace emf;

namespace {

// Limits that keep a hostile page from making the painter work without bound: a page is at
// most this many pixels wide or high, and coordinates, pens and fonts are pulled into a range
// far beyond anything a report page draws.
constexpr int kMaxPagePixels = 32767;
constexpr int kMaxCoordinate = 100000;
constexpr int kMaxPenWidth = 1000;
constexpr int kMaxFontHeight = 2000;
constexpr int kMaxSavedStates = 64;
// Largest ratio between the horizontal and the vertical stretch of a played page.
constexpr double kMaxDistortion = 16.0;
// Reference devices outside this resolution (pixels per inch) are not screens or printers.
constexpr double kMinDeviceDpi = 10.0;
constexpr double kMaxDeviceDpi = 10000.0;

[[noreturn]] void fail(const std::string &what)
{
    throw EmfError("Invalid metafile: " + what);
}

int clampCoord(std::int32_t v)
{
    return std::clamp<std::int32_t>(v, -kMaxCoordinate, kMaxCoordinate);
}

QColor fromColorRef(std::uint32_t c)
{
    return QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff));
}

/// Smallest size a record of a known type must have for the fields the player reads.
int minimumSize(std::uint32_t type)
{
    switch (type) {
    case EMR_EOF:
    case EMR_SETBKMODE:
    case EMR_SETTEXTALIGN:
    case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR:
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
    case EMR_SETMAPMODE:
    case EMR_RESTOREDC:
        return 12;
    case EMR_SAVEDC:
        return 8;
    case EMR_MOVETOEX:
    case EMR_LINETO:
    case EMR_EXTSELECTCLIPRGN:
        return 16;
    case EMR_CREATEBRUSHINDIRECT:
    case EMR_ELLIPSE:
    case EMR_RECTANGLE:
        return 24;
    case EMR_CREATEPEN:
        return 28;
    case EMR_ROUNDRECT:
        return 32;
    case EMR_BITBLT:
        return 100;
    case EMR_EXTCREATEFONTINDIRECTW:
        return 12 + LOGFONT_SIZE;
    case EMR_EXTTEXTOUTW:
        return TEXT_RECORD_SIZE;
    default:
        return 8;
    }
}

QString recordText(const char *rec, int size)
{
    const std::uint32_t chars = readU32(rec + 44);
    const std::uint32_t offString = readU32(rec + 48);
    // Checked when the page was made; kept here so that a change there cannot open a hole.
    if (offString < 8 || offString > std::uint32_t(size) || chars > (size - offString) / 2)
        return {};
    QString text(qsizetype(chars), Qt::Uninitialized);
    for (std::uint32_t i = 0; i < chars; ++i)
        text[qsizetype(i)] = QChar(readU16(rec + offString + 2 * size_t(i)));
    return text;
}

QRect rectFromRectl(const char *p)
{
    const int l = clampCoord(readI32(p));
    const int t = clampCoord(readI32(p + 4));
    const int r = clampCoord(readI32(p + 8));
    const int b = clampCoord(readI32(p + 12));
    // GDI rectangles leave out their right and bottom edges.
    return QRect(QPoint(std::min(l, r), std::min(t, b)),
                 QPoint(std::max(l, r) - 1, std::max(t, b) - 1));
}

} // namespace

EmfPage EmfPage::fromBytes(const QByteArray &bytes)
{
    const qsizetype available = bytes.size();
    if (available < 88)
        fail("the page is shorter than a metafile header");
    const char *d = bytes.constData();
    if (readU32(d) != EMR_HEADER)
        fail("the page does not start with a metafile header");
    const std::uint32_t headerSize = readU32(d + 4);
    if (readU32(d + 40) != ENHMETA_SIGNATURE)
        fail("the metafile signature is missing");
    const std::uint32_t declared = readU32(d + 48);
    if (declared > std::uint64_t(available))
        fail("the page is truncated (" + std::to_string(available) + " of " +
             std::to_string(declared) + " bytes)");
    if (headerSize < 88 || headerSize % 4 != 0 || headerSize > declared)
        fail("the header size is wrong");

    EmfPage page;
    page.m_bytes = bytes.left(qsizetype(declared));
    d = page.m_bytes.constData();
    const int total = int(declared);

    const QRect bounds(QPoint(readI32(d + 8), readI32(d + 12)),
                       QPoint(readI32(d + 16), readI32(d + 20)));
    page.m_bounds = bounds;
    const double frameLeft = readI32(d + 24), frameTop = readI32(d + 28);
    const double frameRight = readI32(d + 32), frameBottom = readI32(d + 36);
    page.m_handles = readU16(d + 56);
    const std::int32_t devX = readI32(d + 72), devY = readI32(d + 76);
    const std::int32_t mmX = readI32(d + 80), mmY = readI32(d + 84);
    if (devX <= 0 || devY <= 0 || mmX <= 0 || mmY <= 0)
        fail("the reference device size is wrong");
    const double dpiX = devX * 25.4 / mmX;
    const double dpiY = devY * 25.4 / mmY;
    if (dpiX < kMinDeviceDpi || dpiX > kMaxDeviceDpi || dpiY < kMinDeviceDpi ||
        dpiY > kMaxDeviceDpi)
        fail("the reference device resolution is implausible");
    // Frame in hundredths of a millimetre, turned into pixels of the reference device.
    const double pxPerUnitX = double(devX) / (double(mmX) * 100.0);
    const double pxPerUnitY = double(devY) / (double(mmY) * 100.0);
    page.m_framePixels =
        QRectF(frameLeft * pxPerUnitX, frameTop * pxPerUnitY, (frameRight - frameLeft) * pxPerUnitX,
               (frameBottom - frameTop) * pxPerUnitY);
    const double w = std::nearbyint(page.m_framePixels.width());
    const double h = std::nearbyint(page.m_framePixels.height());
    if (!(w >= 1 && w <= kMaxPagePixels && h >= 1 && h <= kMaxPagePixels))
        fail("the picture frame is empty or too large");
    page.m_pixelSize = QSize(int(w), int(h));
    page.m_ppi = QSize(int(std::lround(dpiX)), int(std::lround(dpiY)));

    bool sawEof = false;
    int offset = 0;
    while (offset < total) {
        if (total - offset < 8)
            fail("record at offset " + std::to_string(offset) + " is cut off");
        const std::uint32_t type = readU32(d + offset);
        const std::uint32_t size = readU32(d + offset + 4);
        if (size < 8 || size % 4 != 0 || size > std::uint32_t(total - offset))
            fail("record at offset " + std::to_string(offset) + " has a wrong size");
        if ((offset == 0) != (type == EMR_HEADER))
            fail("misplaced header record at offset " + std::to_string(offset));
        if (int(size) < minimumSize(type))
            fail("record of type " + std::to_string(type) + " at offset " + std::to_string(offset) +
                 " is too short");
        if (type == EMR_EXTTEXTOUTW) {
            const char *rec = d + offset;
            const std::uint32_t chars = readU32(rec + 44);
            const std::uint32_t offString = readU32(rec + 48);
            if (offString < 8 || offString > size || chars > (size - offString) / 2)
                fail("text record at offset " + std::to_string(offset) +
                     " has its string outside the record");
        }
        page.m_records.append(Record{type, offset, int(size)});
        offset += int(size);
        if (type == EMR_EOF) {
            sawEof = true;
            break;
        }
    }
    if (!sawEof)
        fail("the end-of-file record is missing");
    return page;
}

QList<EmfTextItem> EmfPage::textItems() const
{
    QList<EmfTextItem> items;
    for (const Record &r : m_records) {
        if (r.type != EMR_EXTTEXTOUTW)
            continue;
        const char *rec = m_bytes.constData() + r.offset;
        items.append(EmfTextItem{recordText(rec, r.size), QPoint(clampCoord(readI32(rec + 36)),
                                                                 clampCoord(readI32(rec + 40)))});
    }
    return items;
}

/// Interprets the records as GDI would and passes every drawing on to a Canvas. The GDI
/// state (object table, selected objects, colours, modes, current position) lives here; the
/// canvas receives ready values.
class EmfPlayer
{
public:
    EmfPlayer(const EmfPage &page, Canvas &canvas)
        : m_page(page)
        , m_canvas(canvas)
        , m_handles(std::uint32_t(page.m_handles))
    {}

    void run()
    {
        applyAll();
        for (const EmfPage::Record &r : m_page.m_records)
            play(r.type, m_page.m_bytes.constData() + r.offset);
    }

private:
    struct Object
    {
        enum Kind { None, Pen, Brush, Font } kind = None;
        CanvasPen pen;
        CanvasBrush brush;
        CanvasFont font;
    };

    struct State
    {
        CanvasPen pen;
        CanvasBrush brush;
        CanvasFont font; // colour is the text colour at the time of drawing
        QColor textColor = Qt::black;
        bool transparent = false;
        unsigned align = 0;
        QPoint position;
    };

    void applyAll()
    {
        m_canvas.setPen(m_state.pen);
        m_canvas.setBrush(m_state.brush);
        m_canvas.setBackgroundTransparent(m_state.transparent);
        m_canvas.setTextAlign(m_state.align);
        m_fontDirty = true;
    }

    Object *object(std::uint32_t index)
    {
        // Index 0 is the metafile itself; the table holds only what is created, so a header
        // promising many handles costs nothing.
        if (index == 0 || index >= m_handles)
            return nullptr;
        return &m_objects[index];
    }

    void selectStock(std::uint32_t index)
    {
        switch (index & ~STOCK_OBJECT) {
        case 0: // white, light grey, grey, dark grey and black brushes
        case 1:
        case 2:
        case 3:
        case 4: {
            static const int greys[] = {255, 192, 128, 64, 0};
            const int g = greys[index & ~STOCK_OBJECT];
            m_state.brush = CanvasBrush{QColor(g, g, g), CanvasBrush::Solid};
            m_canvas.setBrush(m_state.brush);
            break;
        }
        case 5:
            m_state.brush = CanvasBrush{Qt::white, CanvasBrush::Clear};
            m_canvas.setBrush(m_state.brush);
            break;
        case 6:
        case 7:
            m_state.pen = CanvasPen{(index & ~STOCK_OBJECT) == 6 ? Qt::white : Qt::black, 1,
                                    CanvasPen::Solid};
            m_canvas.setPen(m_state.pen);
            break;
        case 8:
            m_state.pen = CanvasPen{Qt::black, 1, CanvasPen::Clear};
            m_canvas.setPen(m_state.pen);
            break;
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
        case 16:
        case 17:
            m_state.font = CanvasFont{};
            m_fontDirty = true;
            break;
        default:
            break;
        }
    }

    void applyFont()
    {
        CanvasFont f = m_state.font;
        f.color = m_state.textColor;
        if (m_fontDirty || !(f == m_canvas.font())) {
            m_canvas.setFont(f);
            m_fontDirty = false;
        }
    }

    static CanvasFont readFont(const char *lf)
    {
        CanvasFont f;
        const std::int32_t height = readI32(lf);
        f.height = std::clamp(height, -kMaxFontHeight, kMaxFontHeight);
        f.pointSize = std::abs(f.height) * 72.0 / 96.0;
        f.bold = readI32(lf + 16) >= 600;
        f.italic = std::uint8_t(lf[20]) != 0;
        f.underline = std::uint8_t(lf[21]) != 0;
        f.strikeOut = std::uint8_t(lf[22]) != 0;
        f.charset = std::uint8_t(lf[23]);
        QString face;
        for (int i = 0; i < FACE_CHARS; ++i) {
            const std::uint16_t c = readU16(lf + 28 + 2 * size_t(i));
            if (c == 0)
                break;
            face.append(QChar(c));
        }
        f.face = face;
        return f;
    }

    void play(std::uint32_t type, const char *rec)
    {
        const std::uint32_t size = readU32(rec + 4);
        switch (type) {
        case EMR_SETBKMODE:
            m_state.transparent = readU32(rec + 8) == TRANSPARENT;
            m_canvas.setBackgroundTransparent(m_state.transparent);
            break;
        case EMR_SETTEXTALIGN:
            m_state.align =
                readU32(rec + 8) & (taRight | taCenter | taBottom | taBaseline | taRtlReading);
            m_canvas.setTextAlign(m_state.align);
            break;
        case EMR_SETTEXTCOLOR:
            m_state.textColor = fromColorRef(readU32(rec + 8));
            break;
        case EMR_MOVETOEX:
            m_state.position = QPoint(clampCoord(readI32(rec + 8)), clampCoord(readI32(rec + 12)));
            m_canvas.moveTo(m_state.position.x(), m_state.position.y());
            break;
        case EMR_LINETO:
            m_state.position = QPoint(clampCoord(readI32(rec + 8)), clampCoord(readI32(rec + 12)));
            m_canvas.lineTo(m_state.position.x(), m_state.position.y());
            break;
        case EMR_SAVEDC:
            if (m_saved.size() < kMaxSavedStates)
                m_saved.push_back(m_state);
            break;
        case EMR_RESTOREDC: {
            // Negative: relative to the innermost saved state; positive: absolute level.
            const std::int32_t level = readI32(rec + 8);
            const std::int64_t depth = std::int64_t(m_saved.size());
            const std::int64_t keep = level < 0 ? depth + level : std::int64_t(level) - 1;
            if (keep < 0 || keep >= depth)
                break;
            m_state = m_saved[size_t(keep)];
            m_saved.resize(size_t(keep));
            applyAll();
            m_canvas.moveTo(m_state.position.x(), m_state.position.y());
            break;
        }
        case EMR_SELECTOBJECT: {
            const std::uint32_t index = readU32(rec + 8);
            if (index & STOCK_OBJECT) {
                selectStock(index);
                break;
            }
            const Object *o = object(index);
            if (!o)
                break;
            if (o->kind == Object::Pen) {
                m_state.pen = o->pen;
                m_canvas.setPen(m_state.pen);
            } else if (o->kind == Object::Brush) {
                m_state.brush = o->brush;
                m_canvas.setBrush(m_state.brush);
            } else if (o->kind == Object::Font) {
                m_state.font = o->font;
                m_fontDirty = true;
            }
            break;
        }
        case EMR_DELETEOBJECT:
            if (Object *o = object(readU32(rec + 8)))
                *o = Object{};
            break;
        case EMR_CREATEPEN:
            if (Object *o = object(readU32(rec + 8))) {
                const std::uint32_t style = readU32(rec + 12) & 0xf;
                CanvasPen pen;
                pen.style =
                    style <= CanvasPen::InsideFrame ? CanvasPen::Style(style) : CanvasPen::Solid;
                pen.width = std::clamp<std::int32_t>(readI32(rec + 16), 1, kMaxPenWidth);
                pen.color = fromColorRef(readU32(rec + 24));
                *o = Object{Object::Pen, pen, {}, {}};
            }
            break;
        case EMR_CREATEBRUSHINDIRECT:
            if (Object *o = object(readU32(rec + 8))) {
                const std::uint32_t style = readU32(rec + 12);
                const std::uint32_t hatch = readU32(rec + 20);
                CanvasBrush brush;
                brush.color = fromColorRef(readU32(rec + 16));
                if (style == BS_NULL)
                    brush.style = CanvasBrush::Clear;
                else if (style == BS_HATCHED && hatch <= 5)
                    brush.style = CanvasBrush::Style(CanvasBrush::Horizontal + int(hatch));
                else
                    brush.style = CanvasBrush::Solid;
                *o = Object{Object::Brush, {}, brush, {}};
            }
            break;
        case EMR_EXTCREATEFONTINDIRECTW:
            if (Object *o = object(readU32(rec + 8)))
                *o = Object{Object::Font, {}, {}, readFont(rec + 12)};
            break;
        case EMR_RECTANGLE:
            m_canvas.rectangle(rectFromRectl(rec + 8));
            break;
        case EMR_ELLIPSE:
            m_canvas.ellipse(rectFromRectl(rec + 8));
            break;
        case EMR_ROUNDRECT:
            m_canvas.roundRect(rectFromRectl(rec + 8),
                               std::clamp<std::int32_t>(readI32(rec + 24), 0, kMaxCoordinate),
                               std::clamp<std::int32_t>(readI32(rec + 28), 0, kMaxCoordinate));
            break;
        case EMR_BITBLT: {
            // A pattern fill without a source bitmap: how GDI records a filled rectangle.
            const std::uint32_t rop = readU32(rec + 40);
            const std::uint32_t cbBmiSrc = readU32(rec + 88);
            if (rop != PATCOPY || cbBmiSrc != 0)
                break;
            const int x = clampCoord(readI32(rec + 24));
            const int y = clampCoord(readI32(rec + 28));
            const int cx = clampCoord(readI32(rec + 32));
            const int cy = clampCoord(readI32(rec + 36));
            if (cx > 0 && cy > 0)
                m_canvas.fillRect(QRect(x, y, cx, cy));
            break;
        }
        case EMR_EXTSELECTCLIPRGN:
            // Only the reset (no region, copy mode) is recorded by us; other clip regions are
            // left out rather than half understood.
            if (readU32(rec + 8) == 0 && readU32(rec + 12) == RGN_COPY)
                m_canvas.resetClip();
            break;
        case EMR_EXTTEXTOUTW: {
            const QString text = recordText(rec, int(size));
            if (text.isEmpty())
                break;
            applyFont();
            const std::uint32_t options = readU32(rec + 52);
            const unsigned align =
                m_state.align | ((options & ETO_RTLREADING) ? unsigned(taRtlReading) : 0u);
            if (align != m_state.align)
                m_canvas.setTextAlign(align);
            m_canvas.textOut(clampCoord(readI32(rec + 36)), clampCoord(readI32(rec + 40)), text);
            if (align != m_state.align)
                m_canvas.setTextAlign(m_state.align);
            break;
        }
        default:
            break;
        }
    }

    const EmfPage &m_page;
    Canvas &m_canvas;
    std::uint32_t m_handles;
    std::unordered_map<std::uint32_t, Object> m_objects;
    State m_state;
    std::vector<State> m_saved;
    bool m_fontDirty = true;
};

void EmfPage::play(Canvas &canvas) const
{
    EmfPlayer(*this, canvas).run();
}

void EmfPage::play(QPainter &painter, const QRectF &target) const
{
    if (target.isEmpty() || !painter.isActive())
        return;
    // Page pixels map onto the target through the picture frame, as when the platform plays a
    // metafile into a rectangle; the canvas then draws in page pixels.
    painter.save();
    painter.translate(target.topLeft());
    // The whole-pixel page size rather than the frame's fraction of a pixel: playing a page
    // into a rectangle of its own pixel size is then exactly 1:1.
    double sx = target.width() / m_pixelSize.width();
    double sy = target.height() / m_pixelSize.height();
    // Text stretched hundreds of times more in one direction than in the other makes the
    // glyph rasteriser fail and crash; a page that distorted is nothing a report prints, so
    // the stronger direction is held back (the page then stays short of the target on that
    // side). The painter's own transformation counts as well.
    const QTransform &base = painter.worldTransform();
    const double baseX = std::hypot(base.m11(), base.m12());
    const double baseY = std::hypot(base.m21(), base.m22());
    if (baseX > 0 && baseY > 0) {
        const double ratio = (baseX * sx) / (baseY * sy);
        if (ratio > kMaxDistortion)
            sx *= kMaxDistortion / ratio;
        else if (ratio < 1 / kMaxDistortion)
            sy *= ratio * kMaxDistortion;
    }
    painter.scale(sx, sy);
    painter.translate(-m_framePixels.topLeft());
    {
        PainterCanvas canvas(&painter, m_ppi);
        play(canvas);
    }
    painter.restore();
}

} // namespace report
