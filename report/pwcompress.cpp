#include <report/pwcompress.h>

#include <report/pagestoreerror.h>
#include <report/pwstream.h>

#include <algorithm>

namespace report {

TPWCompress::TPWCompress(TPWStream &stream, Mode mode, qint64 readLimit)
    : m_stream(stream)
    , m_readLimit(readLimit)
    , m_coding(mode == Coding)
{
    for (int j = 1; j <= 512; ++j)
        m_up[j] = std::uint8_t((j - 1) / 2);
    for (int i = 0; i <= 255; ++i) {
        m_left[i] = std::uint16_t(2 * i + 1);
        m_right[i] = std::uint16_t(2 * i + 2);
    }
    // The expander's first bit must fetch a new byte.
    m_bitPos = m_coding ? 0 : 7;
}

TPWCompress::~TPWCompress()
{
    try {
        flush();
    } catch (...) {
        // A destructor must not throw; the owner calls flush() when it wants to know.
    }
}

void TPWCompress::flush()
{
    if (!m_coding || m_flushed)
        return;
    m_flushed = true;
    if (m_bitPos > 0)
        putByte(m_outByte);
    if (m_bufferUsed > 0)
        m_stream.WriteBuffer(m_buffer.data(), m_bufferUsed);
    m_bufferUsed = 0;
}

void TPWCompress::putByte(std::uint8_t b)
{
    if (m_bufferUsed == int(m_buffer.size())) {
        m_stream.WriteBuffer(m_buffer.data(), m_bufferUsed);
        m_bufferUsed = 0;
    }
    m_buffer[size_t(m_bufferUsed++)] = b;
}

std::uint8_t TPWCompress::getByte()
{
    if (m_bufferRead == m_bufferUsed) {
        qint64 want = qint64(m_buffer.size());
        if (m_readLimit >= 0)
            want = std::min(want, m_readLimit - m_stream.Position());
        const qint64 got = want > 0 ? m_stream.Read(m_buffer.data(), want) : 0;
        if (got <= 0)
            throw PageStoreError("Compressed page data ends early");
        m_bufferUsed = int(got);
        m_bufferRead = 0;
    }
    return m_buffer[size_t(m_bufferRead++)];
}

void TPWCompress::Compress(std::uint8_t b)
{
    // The path is noted from the leaf upwards and emitted from the root downwards. A path can
    // be no longer than the number of inner nodes.
    std::array<bool, 256> bits{};
    int depth = 0;
    int node = 256 + b;
    while (node != 0) {
        const int parent = m_up[node];
        bits[depth++] = m_right[parent] == node;
        node = parent;
    }
    while (depth > 0) {
        if (bits[--depth])
            m_outByte |= std::uint8_t(1u << m_bitPos);
        if (m_bitPos == 7) {
            putByte(m_outByte);
            m_bitPos = 0;
            m_outByte = 0;
        } else {
            ++m_bitPos;
        }
    }
    splay(256 + b);
}

std::uint8_t TPWCompress::Expand()
{
    int node = 0;
    while (node < 256) {
        if (m_bitPos == 7) {
            m_inByte = getByte();
            m_bitPos = 0;
        } else {
            ++m_bitPos;
        }
        node = (m_inByte & (1u << m_bitPos)) ? m_right[node] : m_left[node];
    }
    const int b = node - 256;
    // Leaf 512 is never coded; an input that reaches it is not ours.
    if (b > 255)
        throw PageStoreError("Compressed page data is corrupt");
    splay(node);
    return std::uint8_t(b);
}

void TPWCompress::splay(int leaf)
{
    int a = leaf;
    do {
        const int c = m_up[a];
        if (c != 0) {
            const int d = m_up[c];
            int e = m_left[d];
            if (e == c) {
                e = m_right[d];
                m_right[d] = std::uint16_t(a);
            } else {
                m_left[d] = std::uint16_t(a);
            }
            if (m_left[c] == a)
                m_left[c] = std::uint16_t(e);
            else
                m_right[c] = std::uint16_t(e);
            m_up[a] = std::uint8_t(d);
            m_up[e] = std::uint8_t(c);
            a = d;
        } else {
            a = c;
        }
    } while (a != 0);
}

} // namespace report
