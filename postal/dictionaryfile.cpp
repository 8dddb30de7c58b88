#include <postal/dictionaryfile.h>

#include <postal/fields.h>

#include <QFileInfo>
#include <QIODevice>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <cstring>

namespace postal {

namespace {

constexpr qint64 kBlockBytes = 4 << 20;

bool isBlankByte(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// -1 when the bytes hold an invalid UTF-8 sequence; otherwise the number of bytes at the end
// that begin a sequence the bytes do not complete.
int checkUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    while (p < end) {
        // Long stretches of ASCII eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull)
                break;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        int length;
        unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0)
                low = 0xA0; // no overlong forms
            else if (b == 0xED)
                high = 0x9F; // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F; // nothing above U+10FFFF
        } else {
            return -1;
        }
        for (int i = 1; i < length; ++i) {
            if (p + i == end)
                return i; // cut off by the end of the bytes
            const unsigned char c = p[i];
            if (i == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF))
                return -1;
        }
        p += length;
    }
    return 0;
}

// ICU's own substitute for an invalid single byte is U+001A; the dictionary shows U+FFFD for
// every byte sequence that is not text, as the replacement character is meant for.
void substituteReplacementCharacter(const void *, UConverterToUnicodeArgs *args, const char *,
                                    int32_t, UConverterCallbackReason reason, UErrorCode *error)
{
    if (reason > UCNV_IRREGULAR) // reset, close or clone: nothing to write
        return;
    *error = U_ZERO_ERROR;
    const UChar replacement = 0xFFFD;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

} // namespace

DictionaryError::DictionaryError(const QString &text)
    : std::runtime_error(text.toStdString())
{}

bool isValidUtf8(QByteArrayView bytes)
{
    return checkUtf8(bytes) == 0;
}

DictionaryFormat detectFormat(QIODevice &device, const QString &path)
{
    DictionaryFormat format;
    if (!device.seek(0))
        throw DictionaryError(fileReadError(path));
    QByteArray block = device.read(3);
    if (block.startsWith("\xEF\xBB\xBF")) {
        format.encoding = TextEncoding::Utf8;
        format.textStart = 3;
    } else {
        // Valid UTF-8 as a whole: a code page 932 text fails within its first lines.
        format.encoding = TextEncoding::Utf8;
        for (;;) {
            const int cut = checkUtf8(block);
            if (cut < 0) {
                format.encoding = TextEncoding::Cp932;
                break;
            }
            const QByteArray more =
                device.read(std::clamp<qint64>(device.bytesAvailable(), 4096, kBlockBytes));
            if (more.isEmpty()) {
                if (cut > 0 || !device.atEnd())
                    format.encoding = TextEncoding::Cp932;
                if (!device.atEnd())
                    throw DictionaryError(fileReadError(path));
                break;
            }
            block = block.right(cut) + more;
        }
    }
    if (!device.seek(format.textStart))
        throw DictionaryError(fileReadError(path));
    return format;
}

struct TextDecoder::Converter
{
    UConverter *handle = nullptr;
    ~Converter()
    {
        if (handle)
            ucnv_close(handle);
    }
};

TextDecoder::TextDecoder(TextEncoding encoding)
    : m_encoding(encoding)
{
    if (encoding != TextEncoding::Cp932)
        return;
    m_converter = std::make_unique<Converter>();
    UErrorCode error = U_ZERO_ERROR;
    m_converter->handle = ucnv_open("windows-932", &error);
    if (U_SUCCESS(error))
        ucnv_setToUCallBack(m_converter->handle, substituteReplacementCharacter, nullptr, nullptr,
                            nullptr, &error);
    if (U_FAILURE(error))
        throw DictionaryError(QStringLiteral("文字コード表 windows-932 を使えません（%1）")
                                  .arg(QString::fromLatin1(u_errorName(error))));
}

TextDecoder::~TextDecoder() = default;

void TextDecoder::decode(QByteArrayView bytes, QString &out)
{
    if (m_encoding == TextEncoding::Utf8) {
        out = m_utf8.decode(bytes);
        return;
    }
    UConverter *cnv = m_converter->handle;
    ucnv_reset(cnv);
    // One byte never gives more than one UTF-16 unit in this code page; the loop covers
    // a table that would.
    out.resize(bytes.size() + 16);
    const char *source = bytes.data();
    const char *const sourceEnd = source + bytes.size();
    qsizetype written = 0;
    for (;;) {
        UErrorCode error = U_ZERO_ERROR;
        UChar *target = reinterpret_cast<UChar *>(out.data()) + written;
        UChar *const targetEnd = reinterpret_cast<UChar *>(out.data()) + out.size();
        ucnv_toUnicode(cnv, &target, targetEnd, &source, sourceEnd, nullptr, true, &error);
        written = target - reinterpret_cast<UChar *>(out.data());
        if (error == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2);
            continue;
        }
        if (U_FAILURE(error))
            throw DictionaryError(QStringLiteral("郵便番号辞書の文字を読み取れません（%1）")
                                      .arg(QString::fromLatin1(u_errorName(error))));
        break;
    }
    out.resize(written);

    // ICU's table follows the IBM custom of exchanging three control codes (0x1A, 0x1C and
    // 0x7F); Microsoft's code page maps every byte below 0x80 to itself. Only those single
    // bytes give these characters (invalid input gives U+FFFD), so exchanging them back is
    // exact.
    const auto has = [&](char c) {
        return std::memchr(bytes.data(), c, bytes.size());
    };
    if (has('\x1A') || has('\x1C') || has('\x7F')) {
        for (QChar &c : out) {
            switch (c.unicode()) {
            case 0x1C:
                c = QChar(0x1A);
                break;
            case 0x7F:
                c = QChar(0x1C);
                break;
            case 0x1A:
                c = QChar(0x7F);
                break;
            default:
                break;
            }
        }
    }
}

LineReader::LineReader(QIODevice &device, const QString &path, TextEncoding encoding,
                       Progress progress)
    : m_device(device)
    , m_path(path)
    , m_decoder(encoding)
    , m_progress(std::move(progress))
{}

bool LineReader::next(QStringView &line)
{
    for (;;) {
        const QChar *text = m_text.constData();
        const qsizetype size = m_text.size();
        while (m_pos < size && isBlank(text[m_pos])) {
            if (text[m_pos] == u'\n')
                ++m_lineFeeds;
            ++m_pos;
        }
        if (m_pos < size) {
            const qsizetype feed = QStringView(m_text).indexOf(u'\n', m_pos);
            const qsizetype end = feed < 0 ? size : feed;
            line = QStringView(m_text).sliced(m_pos, end - m_pos);
            m_lineNumber = m_lineFeeds + 1;
            if (feed >= 0)
                ++m_lineFeeds;
            m_pos = feed < 0 ? size : feed + 1;
            return true;
        }
        if (!fill())
            return false;
    }
}

// Makes the next block of complete lines the current text. Blanks are bytes below 0x21 in
// both encodings and never part of a longer sequence, so splitting the bytes into lines and
// decoding a whole block at once reads as decoding line by line.
bool LineReader::fill()
{
    m_text.clear();
    m_pos = 0;
    for (;;) {
        if (m_pendingError)
            throw DictionaryError(*m_pendingError);

        const char *const bytes = m_bytes.constData();
        const qsizetype size = m_bytes.size();
        // The start of the next line: blanks before it are skipped anyway.
        qsizetype skip = 0;
        qint64 feedsSkipped = 0;
        while (skip < size && isBlankByte(bytes[skip])) {
            feedsSkipped += bytes[skip] == '\n';
            ++skip;
        }
        const qsizetype lastFeed = m_bytes.lastIndexOf('\n');
        if (lastFeed < skip) {
            // No complete line yet.
            m_bytes.remove(0, skip);
            m_lineFeeds += feedsSkipped;
            if (m_bytes.size() > kMaxLineBytes) {
                m_pendingError = lineTooLongError(m_lineFeeds + 1);
                continue;
            }
            if (m_atEnd) {
                if (m_bytes.isEmpty())
                    return false;
            } else {
                readBlock();
                continue;
            }
        }

        // The block: every complete line, or all that is left at the end of the file. A
        // line longer than allowed ends it, and the reading, where it begins.
        qsizetype cut = m_atEnd ? m_bytes.size() : lastFeed + 1;
        if (const qsizetype from = firstLongLine(m_bytes.constData(), cut); from >= 0) {
            qint64 feeds = m_lineFeeds;
            for (qsizetype i = 0; i < from; ++i)
                feeds += m_bytes.constData()[i] == '\n';
            m_pendingError = lineTooLongError(feeds + 1);
            cut = from;
        }

        // Carriage returns go before decoding, in place.
        char *const data = m_bytes.data();
        char *out = std::remove(data, data + cut, '\r');
        m_decoder.decode(QByteArrayView(data, out - data), m_text);
        if (m_pendingError)
            m_bytes.clear();
        else
            m_bytes.remove(0, cut);
        if (!m_text.isEmpty())
            return true;
    }
}

// Where the first line longer than kMaxLineBytes begins in the bytes, or -1. Most blocks
// have no gap between line feeds that long, which is quick to see.
qsizetype LineReader::firstLongLine(const char *bytes, qsizetype size)
{
    bool gap = false;
    for (qsizetype at = 0; at < size;) {
        const void *feed = std::memchr(bytes + at, '\n', size - at);
        const qsizetype end = feed ? static_cast<const char *>(feed) - bytes : size;
        if (end - at > kMaxLineBytes) {
            gap = true;
            break;
        }
        at = end + 1;
    }
    if (!gap)
        return -1;
    for (qsizetype start = 0; start < size;) {
        while (start < size && isBlankByte(bytes[start]))
            ++start;
        if (start == size)
            break;
        const void *feed = std::memchr(bytes + start, '\n', size - start);
        const qsizetype end = feed ? static_cast<const char *>(feed) - bytes : size;
        if (end - start > kMaxLineBytes)
            return start;
        start = end;
    }
    return -1;
}

void LineReader::readBlock()
{
    // A small file is read in one piece of its own size, not into a block of megabytes.
    const qint64 want = std::clamp<qint64>(m_device.bytesAvailable(), 4096, kBlockBytes);
    const qsizetype old = m_bytes.size();
    m_bytes.resize(old + want);
    const qint64 n = m_device.read(m_bytes.data() + old, want);
    if (n < 0)
        throw DictionaryError(fileReadError(m_path));
    m_bytes.resize(old + n);
    if (n == 0)
        m_atEnd = true;
    if (m_progress)
        m_progress();
}

QString fileOpenError(const QString &path)
{
    const QFileInfo info(path);
    QString reason;
    if (!info.exists())
        reason = QStringLiteral("ファイルが見つかりません");
    else if (info.isDir())
        reason = QStringLiteral("フォルダーです");
    else if (!info.isFile())
        reason = QStringLiteral("通常のファイルではありません");
    else if (!info.isReadable())
        reason = QStringLiteral("読み取りが許可されていません");
    else
        reason = QStringLiteral("ファイルを開けません");
    return QStringLiteral("郵便番号辞書「%1」を開けません（%2）").arg(path, reason);
}

QString fileReadError(const QString &path)
{
    return QStringLiteral("郵便番号辞書「%1」を読み込めません（読み取りエラー）").arg(path);
}

QString lineTooLongError(qint64 lineNumber)
{
    return QStringLiteral(
               "郵便番号辞書の %1 行目が長すぎます（郵便番号辞書のファイルではありません）")
        .arg(lineNumber);
}

QString tooFewFieldsError(qint64 lineNumber, qsizetype fields)
{
    return QStringLiteral("郵便番号辞書の %1 行目は項目が %2 個しかありません（%3 個必要です）")
        .arg(lineNumber)
        .arg(fields)
        .arg(kResultFields);
}

QString tooManyResultsError(qsizetype limit)
{
    return QStringLiteral("該当する行が %1 件を超えたため、検索を打ち切りました").arg(limit);
}

} // namespace postal
