#include <report/pagestoreerror.h>
#include <report/pwcompress.h>
#include <report/pwstream.h>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QRandomGenerator>

using report::PageStoreError;
using report::TPWCompress;
using report::TPWStream;

namespace {

QByteArray code(const QByteArray &plain)
{
    TPWStream stream(1 << 30);
    {
        TPWCompress coder(stream, TPWCompress::Coding);
        for (char c : plain)
            coder.Compress(std::uint8_t(c));
    } // releasing the coder writes its partial byte
    QByteArray out(stream.Size(), Qt::Uninitialized);
    stream.Seek(0);
    stream.ReadBuffer(out.data(), out.size());
    return out;
}

QByteArray expand(const QByteArray &coded, qsizetype length)
{
    TPWStream stream(1 << 30);
    stream.WriteBuffer(coded.constData(), coded.size());
    stream.Seek(0);
    TPWCompress expander(stream, TPWCompress::Expanding, coded.size());
    QByteArray out;
    for (qsizetype i = 0; i < length; ++i)
        out.append(char(expander.Expand()));
    return out;
}

QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray out(n, Qt::Uninitialized);
    for (char &c : out)
        c = char(gen.bounded(256));
    return out;
}

} // namespace

TEST(TPWCompress, RoundTripsAnySequence)
{
    QByteArray allBytes, allBytesDown;
    for (int b = 0; b < 256; ++b) {
        allBytes.append(char(b));
        allBytesDown.append(char(255 - b));
    }
    QByteArray skewed;
    for (int i = 0; i < 20000; ++i)
        skewed.append(char(i % 7 == 0 ? 0xff : i % 3));
    const struct
    {
        const char *name;
        QByteArray data;
    } cases[] = {
        {"empty", QByteArray()},
        {"one zero", QByteArray(1, '\0')},
        {"one 255", QByteArray(1, char(0xff))},
        {"all bytes up", allBytes},
        {"all bytes down", allBytesDown},
        {"long run", QByteArray(50000, 'H')},
        {"skewed", skewed},
        {"random", randomBytes(65536, 7)},
        {"text", QByteArray("The quick brown fox jumps over the lazy dog. ").repeated(300)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray coded = code(c.data);
        EXPECT_EQ(expand(coded, c.data.size()), c.data);
    }
}

TEST(TPWCompress, RepetitiveDataShrinks)
{
    const QByteArray text = QByteArray("ABABABABCCCC").repeated(1000);
    EXPECT_LT(code(text).size(), text.size() / 3);
}

// A fresh tree is balanced: every byte's leaf is 8 levels down except byte 255, whose leaf is
// the first of the ninth level. The path to leaf 256 + b, in heap numbering, is the binary form
// of 257 + b after its leading 1 (0 = left, 1 = right), emitted from bit 0 upwards.
TEST(TPWCompress, FirstCodeOfFreshTreeIsThePathThroughTheBalancedTree)
{
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const QByteArray coded = code(QByteArray(1, char(b)));
        if (b == 255) {
            // Nine left turns: one full zero byte and one partial zero byte.
            EXPECT_EQ(coded, QByteArray(2, '\0'));
            continue;
        }
        const unsigned path = unsigned(257 + b) & 0xff; // most significant bit first
        unsigned expected = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (path & (0x80u >> bit))
                expected |= 1u << bit;
        }
        ASSERT_EQ(coded.size(), 1);
        EXPECT_EQ(std::uint8_t(coded[0]), expected);
    }
}

TEST(TPWCompress, ExpanderStopsAtItsLimit)
{
    const QByteArray plain = randomBytes(1000, 3);
    const QByteArray coded = code(plain);
    TPWStream stream(1 << 30);
    stream.WriteBuffer(coded.constData(), coded.size());
    stream.WriteBuffer("tail", 4);
    stream.Seek(0);
    TPWCompress expander(stream, TPWCompress::Expanding, coded.size());
    for (char c : plain)
        ASSERT_EQ(expander.Expand(), std::uint8_t(c));
    // Asking for more than was coded must not read the bytes after the limit.
    EXPECT_THROW(
        {
            for (int i = 0; i < 64; ++i)
                expander.Expand();
        },
        PageStoreError);
}
