#include <report/emfcanvas.h>

#include <report/emfrecords.h>
#include <report/fonts.h>

#include <QFontMetrics>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <optional>

namespace report {

using namespace emf;

namespace {

std::uint32_t toColorRef(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return colorRef(std::uint8_t(rgb.red()), std::uint8_t(rgb.green()), std::uint8_t(rgb.blue()));
}

} // namespace

/// Metrics of the last font measured; a page measures the same few fonts over and over.
struct EmfCanvas::MetricsCache
{
    CanvasFont font;
    QSize ppi;
    std::optional<QFontMetrics> metrics;
    std::optional<QFontMetricsF> exact;

    void update(const CanvasFont &f, QSize dpi)
    {
        if (!metrics || !(font == f) || ppi != dpi) {
            font = f;
            ppi = dpi;
            const QFont qfont = qtFontFor(f, dpi);
            metrics.emplace(qfont);
            exact.emplace(qfont);
        }
    }
};

EmfCanvas::~EmfCanvas() = default;

EmfCanvas::EmfCanvas(QSize pageSize, QSize pixelsPerInch)
    : m_pageSize(pageSize)
    , m_ppi(pixelsPerInch.width() > 0 && pixelsPerInch.height() > 0 ? pixelsPerInch : QSize(96, 96))
    , m_metrics(std::make_unique<MetricsCache>())
{}

void EmfCanvas::begin(std::uint32_t type, int size)
{
    Writer w(m_records);
    w.u32(type);
    w.u32(std::uint32_t(size));
    ++m_recordCount;
}

std::uint32_t EmfCanvas::allocateHandle()
{
    for (size_t i = 1; i < m_handlesInUse.size(); ++i) {
        if (!m_handlesInUse[i]) {
            m_handlesInUse[i] = true;
            return std::uint32_t(i);
        }
    }
    m_handlesInUse.push_back(true);
    return std::uint32_t(m_handlesInUse.size() - 1);
}

void EmfCanvas::replaceObject(std::uint32_t &current, std::uint32_t fresh)
{
    // Select the new object before deleting the old one: GDI does not delete a selected one.
    begin(EMR_SELECTOBJECT, 12);
    Writer(m_records).u32(fresh);
    const std::uint32_t old = current;
    current = fresh;
    if (old != 0 && !(old & STOCK_OBJECT)) {
        begin(EMR_DELETEOBJECT, 12);
        Writer(m_records).u32(old);
        m_handlesInUse[old] = false;
    }
}

void EmfCanvas::syncPen()
{
    // The device context starts with the stock black pen and white brush, which equal the
    // canvas defaults.
    if (m_dc.pen == m_pen)
        return;
    std::uint32_t handle;
    if (m_pen.style == CanvasPen::Clear) {
        handle = NULL_PEN;
    } else {
        handle = allocateHandle();
        begin(EMR_CREATEPEN, 28);
        Writer w(m_records);
        w.u32(handle);
        w.u32(std::uint32_t(m_pen.style));
        // A dashed or dotted pen draws one pixel wide whatever its width, as on the screen;
        // writing the width it draws with keeps other readers from drawing it thicker.
        const bool styled =
            m_pen.style != CanvasPen::Solid && m_pen.style != CanvasPen::InsideFrame;
        w.i32(styled ? 1 : std::max(0, m_pen.width));
        w.i32(0);
        w.u32(toColorRef(m_pen.color));
    }
    replaceObject(m_dc.penHandle, handle);
    m_dc.pen = m_pen;
}

void EmfCanvas::syncBrush()
{
    if (m_dc.brush == m_brush)
        return;
    std::uint32_t handle;
    if (m_brush.style == CanvasBrush::Clear) {
        handle = NULL_BRUSH;
    } else {
        handle = allocateHandle();
        begin(EMR_CREATEBRUSHINDIRECT, 24);
        Writer w(m_records);
        w.u32(handle);
        if (m_brush.style == CanvasBrush::Solid) {
            w.u32(BS_SOLID);
            w.u32(toColorRef(m_brush.color));
            w.u32(0);
        } else {
            w.u32(BS_HATCHED);
            w.u32(toColorRef(m_brush.color));
            w.u32(std::uint32_t(m_brush.style - CanvasBrush::Horizontal));
        }
    }
    replaceObject(m_dc.brushHandle, handle);
    m_dc.brush = m_brush;
}

std::int32_t EmfCanvas::logFontHeight() const
{
    if (m_font.height != 0)
        return m_font.height;
    // GDI: -MulDiv(points, dpi, 72); rounding in the report engine is to even.
    return -std::int32_t(std::nearbyint(m_font.pointSize * m_ppi.height() / 72.0));
}

void EmfCanvas::syncTextState()
{
    CanvasFont shape = m_font;
    shape.color = Qt::black; // the colour travels as the text colour
    if (!m_dc.fontSelected || !(m_dc.font == shape)) {
        const std::uint32_t handle = allocateHandle();
        begin(EMR_EXTCREATEFONTINDIRECTW, 12 + LOGFONT_SIZE);
        Writer w(m_records);
        w.u32(handle);
        w.i32(logFontHeight());
        w.i32(0); // width: the font's own
        w.i32(0); // escapement
        w.i32(0); // orientation
        w.i32(m_font.bold ? 700 : 400);
        w.u8(m_font.italic);
        w.u8(m_font.underline);
        w.u8(m_font.strikeOut);
        w.u8(std::uint8_t(std::clamp(m_font.charset, 0, 255)));
        w.u8(0); // out precision
        w.u8(0); // clip precision
        w.u8(0); // quality
        w.u8(0); // pitch and family
        const QString face = m_font.face.left(FACE_CHARS - 1);
        for (int i = 0; i < FACE_CHARS; ++i)
            w.u16(i < face.size() ? face.at(i).unicode() : 0);
        replaceObject(m_dc.fontHandle, handle);
        m_dc.font = shape;
        m_dc.fontSelected = true;
    }
    const std::uint32_t textColor = toColorRef(m_font.color);
    if (textColor != m_dc.textColor) {
        begin(EMR_SETTEXTCOLOR, 12);
        Writer(m_records).u32(textColor);
        m_dc.textColor = textColor;
    }
    if (m_transparent != m_dc.transparent) {
        begin(EMR_SETBKMODE, 12);
        Writer(m_records).u32(m_transparent ? TRANSPARENT : OPAQUE);
        m_dc.transparent = m_transparent;
    }
    const unsigned align = m_align & (taRight | taCenter | taBottom | taBaseline | taRtlReading);
    if (align != m_dc.align) {
        begin(EMR_SETTEXTALIGN, 12);
        Writer(m_records).u32(align);
        m_dc.align = align;
    }
}

void EmfCanvas::addBounds(const QRect &r)
{
    if (r.isEmpty())
        return;
    m_bounds = m_bounds.isNull() ? r : m_bounds.united(r);
}

QSize EmfCanvas::textExtent(const QString &text)
{
    MetricsCache &cache = *m_metrics;
    cache.update(m_font, m_ppi);
    return QSize(cache.metrics->horizontalAdvance(text),
                 cache.metrics->ascent() + cache.metrics->descent());
}

void EmfCanvas::textOut(int x, int y, const QString &text)
{
    if (text.isEmpty())
        return;
    syncTextState();
    MetricsCache &cache = *m_metrics;
    cache.update(m_font, m_ppi);
    const QFontMetrics &fm = *cache.metrics;

    // Advance of every UTF-16 unit, rounded so that the sum follows the unrounded total and
    // ends on the measured width (what other readers place the characters by).
    const int width = fm.horizontalAdvance(text);
    std::vector<std::int32_t> dx(size_t(text.size()), 0);
    double exact = 0;
    int rounded = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        exact += cache.exact->horizontalAdvance(text.mid(i, pair ? 2 : 1));
        const int next = int(std::nearbyint(exact));
        dx[size_t(i)] = next - rounded;
        rounded = next;
        if (pair)
            ++i; // the low surrogate keeps 0
    }
    if (!dx.empty())
        dx.back() += width - rounded;
    const int height = fm.ascent() + fm.descent();
    const unsigned h = m_align & taCenter;
    const int left = h == taCenter ? x - width / 2 : h == taRight ? x - width : x;
    const unsigned v = m_align & taBaseline;
    const int top = v == taBaseline ? y - fm.ascent() : v == taBottom ? y - height : y;
    const QRect box(left, top, width, height);
    addBounds(box);

    const int chars = int(text.size());
    const int stringBytes = (chars * 2 + 3) / 4 * 4;
    const int size = TEXT_RECORD_SIZE + stringBytes + chars * 4;
    begin(EMR_EXTTEXTOUTW, size);
    Writer w(m_records);
    w.i32(box.left());
    w.i32(box.top());
    w.i32(box.right());
    w.i32(box.bottom());
    w.u32(GM_ADVANCED);
    w.f32(0); // scales are used only in the compatible graphics mode
    w.f32(0);
    w.i32(x);
    w.i32(y);
    w.u32(std::uint32_t(chars));
    w.u32(TEXT_RECORD_SIZE);
    w.u32((m_align & taRtlReading) ? ETO_RTLREADING : 0);
    w.i32(0); // no clipping or opaque rectangle
    w.i32(0);
    w.i32(-1);
    w.i32(-1);
    w.u32(std::uint32_t(TEXT_RECORD_SIZE + stringBytes));
    for (QChar c : text)
        w.u16(c.unicode());
    w.pad4();
    for (std::int32_t d : dx)
        w.i32(d);
}

void EmfCanvas::fillRect(const QRect &r)
{
    if (r.isEmpty() || m_brush.style == CanvasBrush::Clear)
        return;
    syncBrush();
    addBounds(r);
    begin(EMR_BITBLT, 100);
    Writer w(m_records);
    w.i32(r.left());
    w.i32(r.top());
    w.i32(r.right());
    w.i32(r.bottom());
    w.i32(r.left());
    w.i32(r.top());
    w.i32(r.width());
    w.i32(r.height());
    w.u32(PATCOPY);
    w.i32(0); // source position
    w.i32(0);
    w.f32(1); // source transform: identity
    w.f32(0);
    w.f32(0);
    w.f32(1);
    w.f32(0);
    w.f32(0);
    w.u32(0); // source background colour
    w.u32(0); // colour usage
    w.u32(0); // no bitmap
    w.u32(0);
    w.u32(0);
    w.u32(0);
}

namespace {

void writeRectl(Writer &w, const QRect &r)
{
    // GDI rectangles name the first pixel outside on the right and at the bottom.
    w.i32(r.left());
    w.i32(r.top());
    w.i32(r.right() + 1);
    w.i32(r.bottom() + 1);
}

} // namespace

void EmfCanvas::rectangle(const QRect &r)
{
    syncPen();
    syncBrush();
    addBounds(r);
    begin(EMR_RECTANGLE, 24);
    Writer w(m_records);
    writeRectl(w, r);
}

void EmfCanvas::ellipse(const QRect &r)
{
    syncPen();
    syncBrush();
    addBounds(r);
    begin(EMR_ELLIPSE, 24);
    Writer w(m_records);
    writeRectl(w, r);
}

void EmfCanvas::roundRect(const QRect &r, int cornerWidth, int cornerHeight)
{
    syncPen();
    syncBrush();
    addBounds(r);
    begin(EMR_ROUNDRECT, 32);
    Writer w(m_records);
    writeRectl(w, r);
    w.i32(cornerWidth);
    w.i32(cornerHeight);
}

void EmfCanvas::moveTo(int x, int y)
{
    m_position = QPoint(x, y);
    begin(EMR_MOVETOEX, 16);
    Writer w(m_records);
    w.i32(x);
    w.i32(y);
}

void EmfCanvas::lineTo(int x, int y)
{
    syncPen();
    const int half = std::max(1, m_pen.width) / 2;
    addBounds(
        QRect(QPoint(std::min(x, m_position.x()) - half, std::min(y, m_position.y()) - half),
              QPoint(std::max(x, m_position.x()) + half, std::max(y, m_position.y()) + half)));
    m_position = QPoint(x, y);
    begin(EMR_LINETO, 16);
    Writer w(m_records);
    w.i32(x);
    w.i32(y);
}

void EmfCanvas::resetClip()
{
    begin(EMR_EXTSELECTCLIPRGN, 16);
    Writer w(m_records);
    w.u32(0);
    w.u32(RGN_COPY);
}

QByteArray EmfCanvas::bytes() const
{
    const int eofSize = 20;
    const int total = HEADER_SIZE + int(m_records.size()) + eofSize;
    QByteArray out;
    out.reserve(total);
    Writer w(out);
    w.u32(EMR_HEADER);
    w.u32(HEADER_SIZE);
    if (m_bounds.isNull()) {
        w.i32(0);
        w.i32(0);
        w.i32(-1);
        w.i32(-1);
    } else {
        w.i32(m_bounds.left());
        w.i32(m_bounds.top());
        w.i32(m_bounds.right());
        w.i32(m_bounds.bottom());
    }
    // Picture frame in hundredths of a millimetre.
    w.i32(0);
    w.i32(0);
    w.i32(std::int32_t(std::nearbyint(m_pageSize.width() * 2540.0 / m_ppi.width())));
    w.i32(std::int32_t(std::nearbyint(m_pageSize.height() * 2540.0 / m_ppi.height())));
    w.u32(ENHMETA_SIGNATURE);
    w.u32(ENHMETA_VERSION);
    w.u32(std::uint32_t(total));
    w.u32(std::uint32_t(m_recordCount + 2));
    w.u16(std::uint16_t(std::min<size_t>(m_handlesInUse.size(), 0xffff)));
    w.u16(0);
    w.u32(0); // no description
    w.u32(0);
    w.u32(0); // no palette
    // The reference screen: 20 × 15 inches at the recording resolution.
    w.i32(20 * m_ppi.width());
    w.i32(15 * m_ppi.height());
    w.i32(508);
    w.i32(381);
    w.u32(0); // no pixel format
    w.u32(0);
    w.u32(0); // not OpenGL
    w.u32(508000);
    w.u32(381000);
    out.append(m_records);
    w.u32(EMR_EOF);
    w.u32(std::uint32_t(eofSize));
    w.u32(0);
    w.u32(16);
    w.u32(std::uint32_t(eofSize));
    return out;
}

} // namespace report
