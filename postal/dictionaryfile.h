#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class QIODevice;

namespace postal {

/// A dictionary that cannot be read: the text is the sentence the user sees.
class DictionaryError : public std::runtime_error
{
public:
    explicit DictionaryError(const QString &text);
    QString text() const { return QString::fromUtf8(what()); }
};

/// The encodings a dictionary comes in: the Windows Japanese code page (Japan Post's
/// KEN_ALL.CSV) or UTF-8 (its utf_ken_all.csv).
enum class TextEncoding { Cp932, Utf8 };

/// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing
/// above U+10FFFF).
bool isValidUtf8(QByteArrayView bytes);

/// How a dictionary file is to be read: its encoding and where its text begins.
struct DictionaryFormat
{
    TextEncoding encoding = TextEncoding::Cp932;
    qint64 textStart = 0; ///< 3 after a UTF-8 byte-order mark
};

/// Reads the device from its start to decide: a file that starts with a UTF-8 byte-order
/// mark or is valid UTF-8 as a whole is UTF-8, any other is code page 932. Leaves the device
/// at textStart. Throws DictionaryError when the device cannot be read.
DictionaryFormat detectFormat(QIODevice &device, const QString &path);

/// Turns a dictionary's bytes into text. Code page 932 is decoded with Microsoft's mapping
/// (ICU's windows-932 table); UTF-8 by Qt. A byte sequence that is not valid text becomes
/// U+FFFD and decoding goes on.
class TextDecoder
{
public:
    explicit TextDecoder(TextEncoding encoding);
    ~TextDecoder();
    TextDecoder(const TextDecoder &) = delete;
    TextDecoder &operator=(const TextDecoder &) = delete;

    /// Decodes complete text: a sequence cut off at the end is invalid.
    void decode(QByteArrayView bytes, QString &out);
    QString decode(QByteArrayView bytes)
    {
        QString out;
        decode(bytes, out);
        return out;
    }

private:
    struct Converter;
    TextEncoding m_encoding;
    std::unique_ptr<Converter> m_converter;
    /// A byte-order mark at the start of a piece is a character like any other: the file's
    /// own mark is passed over before, and a line must read the same wherever a block starts.
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom};
};

/// Reads a dictionary line by line: before each line every blank is skipped (so empty
/// lines, leading blanks and trailing empty lines give nothing); a line runs to the next
/// line feed; every carriage return is dropped. The file is read in large blocks and each
/// block is decoded at once.
class LineReader
{
public:
    /// A line longer than this many bytes ends the reading: no postal-code file holds one,
    /// and a file without line ends must not be taken into memory whole.
    static constexpr qsizetype kMaxLineBytes = 1 << 20;

    using Progress = std::function<void()>;

    /// Reads from the device's current position (the format's textStart). progress, when
    /// given, is called after every few megabytes.
    LineReader(QIODevice &device, const QString &path, TextEncoding encoding,
               Progress progress = {});

    /// The next line, valid until the following call; false at the end of the file. Throws
    /// DictionaryError when the file cannot be read or a line is too long.
    bool next(QStringView &line);
    /// The number of the last line returned, counting every line feed of the file.
    qint64 lineNumber() const { return m_lineNumber; }

private:
    bool fill();
    void readBlock();
    static qsizetype firstLongLine(const char *bytes, qsizetype size);

    QIODevice &m_device;
    QString m_path;
    TextDecoder m_decoder;
    Progress m_progress;
    QByteArray m_bytes; ///< the start of a line that the next block continues
    QString m_text;     ///< the decoded lines of the current block
    qsizetype m_pos = 0;
    qint64 m_lineNumber = 0;
    qint64 m_lineFeeds = 0;                ///< line feeds passed so far
    std::optional<QString> m_pendingError; ///< raised once the lines before it are read
    bool m_atEnd = false;
};

/// The error texts of a dictionary search.
QString fileOpenError(const QString &path);
QString fileReadError(const QString &path);
QString lineTooLongError(qint64 lineNumber);
QString tooFewFieldsError(qint64 lineNumber, qsizetype fields);
QString tooManyResultsError(qsizetype limit);

} // namespace postal
