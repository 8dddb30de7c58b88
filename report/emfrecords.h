#pragma once

// Record types, object constants and little-endian access for enhanced metafiles, shared by
// the recorder and the player.

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace report::emf {

enum RecordType : std::uint32_t {
    EMR_HEADER = 1,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_LINETO = 54,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
};

constexpr std::uint32_t ENHMETA_SIGNATURE = 0x464D4520; // " EMF"
constexpr std::uint32_t ENHMETA_VERSION = 0x00010000;
constexpr std::uint32_t STOCK_OBJECT = 0x80000000;
constexpr std::uint32_t WHITE_BRUSH = STOCK_OBJECT | 0;
constexpr std::uint32_t BLACK_BRUSH = STOCK_OBJECT | 4;
constexpr std::uint32_t NULL_BRUSH = STOCK_OBJECT | 5;
constexpr std::uint32_t WHITE_PEN = STOCK_OBJECT | 6;
constexpr std::uint32_t BLACK_PEN = STOCK_OBJECT | 7;
constexpr std::uint32_t NULL_PEN = STOCK_OBJECT | 8;
constexpr std::uint32_t SYSTEM_FONT = STOCK_OBJECT | 13;
constexpr std::uint32_t DEFAULT_GUI_FONT = STOCK_OBJECT | 17;

constexpr std::uint32_t TRANSPARENT = 1;
constexpr std::uint32_t OPAQUE = 2;
constexpr std::uint32_t GM_COMPATIBLE = 1;
constexpr std::uint32_t GM_ADVANCED = 2;
constexpr std::uint32_t ETO_RTLREADING = 0x80;
constexpr std::uint32_t RGN_COPY = 5;
constexpr std::uint32_t PATCOPY = 0x00F00021;
constexpr std::uint32_t BS_SOLID = 0;
constexpr std::uint32_t BS_NULL = 1;
constexpr std::uint32_t BS_HATCHED = 2;
constexpr std::uint32_t PS_NULL = 5;

constexpr int HEADER_SIZE = 108;     // with both header extensions
constexpr int TEXT_RECORD_SIZE = 76; // EMR_EXTTEXTOUTW before the string
constexpr int LOGFONT_SIZE = 92;
constexpr int FACE_CHARS = 32;

inline std::uint32_t colorRef(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16;
}

/// Appends little-endian fields to a record buffer.
class Writer
{
public:
    explicit Writer(QByteArray &out)
        : m_out(out)
    {}
    void u32(std::uint32_t v)
    {
        uchar b[4];
        qToLittleEndian<quint32>(v, b);
        m_out.append(reinterpret_cast<const char *>(b), 4);
    }
    void i32(std::int32_t v) { u32(std::uint32_t(v)); }
    void u16(std::uint16_t v)
    {
        uchar b[2];
        qToLittleEndian<quint16>(v, b);
        m_out.append(reinterpret_cast<const char *>(b), 2);
    }
    void u8(std::uint8_t v) { m_out.append(char(v)); }
    void f32(float v)
    {
        std::uint32_t bits;
        static_assert(sizeof bits == sizeof v);
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    void pad4()
    {
        while (m_out.size() % 4)
            m_out.append('\0');
    }

private:
    QByteArray &m_out;
};

inline std::uint32_t readU32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}
inline std::int32_t readI32(const char *p)
{
    return std::int32_t(qFromLittleEndian<quint32>(p));
}
inline std::uint16_t readU16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

} // namespace report::emf
