#pragma once

#include <QtGlobal>

#include <array>
#include <cstdint>

namespace report {

class TPWStream;

/// Adaptive splay-tree code of the page store: every byte is written as its path from the root
/// to its leaf, and the leaf is then splayed towards the root so that frequent bytes get short
/// codes. Coder and expander keep identical trees, so a fresh expander reads back exactly what
/// a fresh coder wrote.
class TPWCompress
{
public:
    enum Mode { Coding, Expanding };

    /// A coder appends to `stream` at its current position; an expander reads from there, in
    /// blocks, and never at or past `readLimit` (a stream offset; -1: the stream's end), so the
    /// stream's position after expanding lies anywhere up to that limit.
    TPWCompress(TPWStream &stream, Mode mode, qint64 readLimit = -1);
    /// A coder writes its partial last byte. Never throws; call flush() to see write errors.
    ~TPWCompress();
    TPWCompress(const TPWCompress &) = delete;
    TPWCompress &operator=(const TPWCompress &) = delete;

    void Compress(std::uint8_t b);
    /// Throws PageStoreError when the coded bits end before the byte is complete.
    std::uint8_t Expand();
    /// Writes the partial last byte of a coder now (at most once).
    void flush();

private:
    void splay(int leaf);
    void putByte(std::uint8_t b);
    std::uint8_t getByte();

    TPWStream &m_stream;
    qint64 m_readLimit;
    std::array<std::uint8_t, 513> m_up{};
    std::array<std::uint16_t, 256> m_left{};
    std::array<std::uint16_t, 256> m_right{};
    int m_bitPos = 0;
    std::uint8_t m_outByte = 0;
    std::uint8_t m_inByte = 0;
    bool m_coding = true;
    bool m_flushed = false;
    // Bytes pass through small buffers: one stream call per byte would take the stream's lock
    // for every byte.
    std::array<std::uint8_t, 4096> m_buffer{};
    int m_bufferUsed = 0;
    int m_bufferRead = 0;
};

} // namespace report
