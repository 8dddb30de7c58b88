#pragma once

#include <postal/dictionaryfile.h>
#include <postal/fields.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace postal {

/// What a search found. When error is set the search ended early (a matching line without
/// an address, a file that could not be read to its end, too many results); the entries
/// found before stay.
struct SearchOutcome
{
    QList<PostalEntry> entries;
    QString error;
};

/// Searches the lines as they are read, the plain way: a line whose match text (the line
/// followed by its field values) holds the text gives an entry. A matching line with fewer
/// than nine fields ends the search. An empty text finds nothing.
SearchOutcome searchLines(LineReader &reader, QStringView text, qsizetype maxResults);

/// Short byte codes for the characters of one dictionary, so that a search runs over
/// little more memory than the file itself: ASCII as itself, the 64 most frequent other
/// characters in one byte, the rest in two or three. The first byte tells the length, so a
/// match that begins where a character begins is a match of characters.
class CharCodes
{
public:
    CharCodes();

    /// Gives the most frequent characters of the sample the one-byte codes.
    void seed(QStringView sample);
    /// Appends the codes of the text; a character seen for the first time gets the next free
    /// code.
    void append(QStringView text, QByteArray &out);
    /// The codes of a text, or false when it holds a character that has no code (and so
    /// occurs nowhere in the dictionary).
    bool encode(QStringView text, std::string &out) const;
    void decode(const char *bytes, std::size_t size, QString &out) const;

    static int codeLength(unsigned char first) { return first < 0xC0 ? 1 : first < 0xFF ? 2 : 3; }

private:
    quint32 assign(char16_t c);

    std::vector<quint32> m_code; ///< by UTF-16 unit: length << 24 | bytes from the low end; 0: none
    std::vector<char16_t> m_single;
    std::vector<char16_t> m_double;
};

/// Finds a byte string in a long buffer: looks at two of its bytes, those rarest in the
/// buffer, at sixteen places at once, and compares the whole only where both agree.
class ByteFinder
{
public:
    /// counts: how often each byte occurs in the buffers searched. The needle must outlive
    /// the finder.
    ByteFinder(const std::string &needle, const std::array<quint64, 256> &counts);
    const char *find(const char *begin, const char *end) const;

private:
    const std::string &m_needle;
    std::size_t m_first = 0, m_second = 0;
};

/// A dictionary read into memory once and searched many times, with the results of
/// searchLines. Each line is kept as its match text, in two parts: the start of the line
/// (head) and the rest of the line followed by the field values (tail). When the line has
/// no blank outside quotes, a text without quotes and commas found in its match text is
/// found in the tail alone, which leaves out most of the line, so such a search runs over
/// one buffer about the size of the file.
class DictionaryIndex
{
public:
    /// Reads every line. An error of the reader ends the reading: the lines before stay
    /// and each search ends with that error, as a plain reading would.
    /// expectedBytes: the file's size, to make room at once.
    explicit DictionaryIndex(LineReader &reader, qint64 expectedBytes = 0);

    SearchOutcome search(QStringView text, qsizetype maxResults) const;

    /// True when the whole file was read.
    bool complete() const { return m_endError.isEmpty(); }
    qsizetype lineCount() const { return qsizetype(m_lines.size()) - 1; }
    std::size_t memoryBytes() const;

private:
    struct Line
    {
        quint32 head;   ///< where its head begins in m_head
        quint32 tail;   ///< where its tail begins in m_tail (tails end with a line feed)
        quint32 lineIn; ///< bytes of the tail that belong to the line itself
        quint32 number; ///< line number in the file
    };
    /// Buffers one search reuses from line to line.
    struct Scratch
    {
        std::string bytes;
        QString line;
        SplitLine split;
    };
    void addLine(QStringView line, const SplitLine &split, qint64 number);
    /// Takes a matching line into the outcome; false when the search ends there.
    bool take(std::size_t line, SearchOutcome &outcome, qsizetype maxResults, Scratch &s) const;
    bool matchesWhole(std::size_t line, const ByteFinder &finder, Scratch &s) const;
    void countBytes();

    CharCodes m_codes;
    QByteArray m_head;
    QByteArray m_tail;
    std::vector<Line> m_lines;               ///< with one more entry marking the ends
    std::array<quint64, 256> m_byteCounts{}; ///< of m_tail
    QString m_endError;
};

/// The dictionary search of the lookup window: opens the file for every search, and keeps
/// the last dictionary read in memory while its size, times and identity stay the same. A
/// file above the cache limit is searched as it is read.
class PostalDictionary
{
public:
    /// More results than this end a search: no real dictionary gives so many, and a list of
    /// millions of lines from a huge file would exhaust the memory.
    static constexpr qsizetype kMaxResults = 200000;
    static constexpr qint64 kDefaultCacheLimit = 32 << 20;

    PostalDictionary();
    ~PostalDictionary();

    /// The dictionary the lookup windows share.
    static PostalDictionary &shared();

    /// Searches the file at path for the text. Throws DictionaryError when the file cannot
    /// be opened; every later failure is the outcome's error.
    SearchOutcome search(const QString &path, const QString &text,
                         const LineReader::Progress &progress = {});

    void setCacheLimit(qint64 bytes) { m_cacheLimit = bytes; }
    /// A file changed less than this long before it was read is read again at the next
    /// search: a second change within the clock's granularity could leave its times as they
    /// were. (The benchmark and the tests, which write their files just before, set 0.)
    void setSettleTime(qint64 ms) { m_settleMs = ms; }
    /// How often a file was read (for the tests and the benchmark).
    int fileReads() const { return m_fileReads; }
    /// Forgets the dictionary kept in memory.
    void clear();

private:
    struct Cached;
    std::unique_ptr<Cached> m_cached;
    qint64 m_cacheLimit = kDefaultCacheLimit;
    qint64 m_settleMs = 2000;
    int m_fileReads = 0;
};

} // namespace postal
