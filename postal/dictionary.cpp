#include <postal/dictionary.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace postal {

namespace {

constexpr unsigned char kFirstSingle = 0x80; // 0x80..0xBF: one-byte codes
constexpr unsigned char kFirstLead = 0xC0;   // 0xC0..0xFE: first byte of a two-byte code
constexpr unsigned char kLongLead = 0xFF;    // 0xFF: a three-byte code (the UTF-16 unit)
constexpr std::size_t kSingles = kFirstLead - kFirstSingle;
constexpr std::size_t kDoubles = std::size_t(kLongLead - kFirstLead) * 256;

bool hasStructure(QStringView text)
{
    return text.contains(u'"') || text.contains(u',');
}

// Where the stretch at the end of the line without quotes and commas begins.
qsizetype lastStretch(QStringView line)
{
    qsizetype i = line.size();
    while (i > 0 && line[i - 1] != u'"' && line[i - 1] != u',')
        --i;
    return i;
}

// Walks the characters of one stretch of codes forward, to tell whether a match begins
// where a character does. Matches come in order, so the walk never goes back: a long line
// with many matches inside characters is walked once.
class CharacterWalk
{
public:
    explicit CharacterWalk(const char *start)
        : m_at(start)
    {}
    /// True when a character begins at p; afterwards next() is the first beginning >= p.
    bool beginsAt(const char *p)
    {
        while (m_at < p)
            m_at += CharCodes::codeLength(static_cast<unsigned char>(*m_at));
        return m_at == p;
    }
    const char *next() const { return m_at; }

private:
    const char *m_at;
};

} // namespace

ByteFinder::ByteFinder(const std::string &needle, const std::array<quint64, 256> &counts)
    : m_needle(needle)
{
    // The two places of the needle whose bytes are the rarest in the buffer.
    auto count = [&](std::size_t i) {
        return counts[static_cast<unsigned char>(needle[i])];
    };
    for (std::size_t i = 1; i < needle.size(); ++i)
        if (count(i) < count(m_first))
            m_first = i;
    m_second = m_first == 0 ? needle.size() - 1 : 0;
    for (std::size_t i = 0; i < needle.size(); ++i)
        if (i != m_first && count(i) < count(m_second))
            m_second = i;
}

const char *ByteFinder::find(const char *begin, const char *end) const
{
    const std::size_t n = m_needle.size();
    if (n == 0 || std::size_t(end - begin) < n)
        return n == 0 ? begin : nullptr;
    if (n == 1)
        return static_cast<const char *>(std::memchr(begin, m_needle[0], end - begin));
    const char *p = begin;
#if defined(__SSE2__)
    const std::size_t reach = std::max(m_first, m_second) + 16;
    const __m128i first = _mm_set1_epi8(m_needle[m_first]);
    const __m128i second = _mm_set1_epi8(m_needle[m_second]);
    for (; std::size_t(end - p) >= reach; p += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + m_first));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + m_second));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
        while (mask) {
            const char *candidate = p + __builtin_ctz(mask);
            if (std::size_t(end - candidate) >= n &&
                std::memcmp(candidate, m_needle.data(), n) == 0)
                return candidate;
            mask &= mask - 1;
        }
    }
#endif
    const void *hit = memmem(p, std::size_t(end - p), m_needle.data(), n);
    return static_cast<const char *>(hit);
}

namespace {

// The first match that begins a character, in bytes that begin one.
const char *findCharacters(const char *begin, const char *end, const ByteFinder &finder)
{
    CharacterWalk walk(begin);
    const char *p = begin;
    while (p < end) {
        const char *at = finder.find(p, end);
        if (!at)
            return nullptr;
        if (walk.beginsAt(at))
            return at;
        p = walk.next(); // the next place a character begins
    }
    return nullptr;
}

} // namespace

// --- the plain reading ---

SearchOutcome searchLines(LineReader &reader, QStringView text, qsizetype maxResults)
{
    SearchOutcome outcome;
    SplitLine split;
    QString match;
    QStringView line;
    try {
        while (reader.next(line)) {
            if (text.isEmpty())
                continue;
            split.split(line);
            match.resize(0);
            match.append(line);
            match.append(split.values());
            if (!match.contains(text))
                continue;
            if (split.fieldCount() < kResultFields) {
                outcome.error = tooFewFieldsError(reader.lineNumber(), split.fieldCount());
                break;
            }
            if (outcome.entries.size() >= maxResults) {
                outcome.error = tooManyResultsError(maxResults);
                break;
            }
            outcome.entries.append(entryOf(split));
        }
    } catch (const DictionaryError &e) {
        outcome.error = e.text();
    }
    return outcome;
}

// --- character codes ---

namespace {

// A code as the table keeps it: its bytes in order from the lowest, its length on top.
constexpr quint32 packed(int length, quint32 b0, quint32 b1 = 0, quint32 b2 = 0)
{
    return quint32(length) << 24 | b2 << 16 | b1 << 8 | b0;
}

} // namespace

CharCodes::CharCodes()
    : m_code(0x10000, 0)
{
    for (char16_t c = 0; c < 0x80; ++c)
        m_code[c] = packed(1, c);
}

void CharCodes::seed(QStringView sample)
{
    std::vector<quint32> counts(0x10000, 0);
    for (QChar c : sample)
        ++counts[c.unicode()];
    std::vector<char16_t> frequent;
    for (std::size_t c = 0x80; c < counts.size(); ++c)
        if (counts[c] && !m_code[c])
            frequent.push_back(char16_t(c));
    const std::size_t n = std::min(frequent.size(), kSingles - m_single.size());
    std::partial_sort(frequent.begin(), frequent.begin() + n, frequent.end(),
                      [&](char16_t a, char16_t b) { return counts[a] > counts[b]; });
    for (std::size_t i = 0; i < n; ++i) {
        m_code[frequent[i]] = packed(1, quint32(kFirstSingle + m_single.size()));
        m_single.push_back(frequent[i]);
    }
}

quint32 CharCodes::assign(char16_t c)
{
    quint32 code;
    if (m_double.size() < kDoubles) {
        const std::size_t i = m_double.size();
        code = packed(2, quint32(kFirstLead + i / 256), quint32(i % 256));
        m_double.push_back(c);
    } else {
        code = packed(3, kLongLead, quint32(c >> 8), quint32(c & 0xFF));
    }
    m_code[c] = code;
    return code;
}

void CharCodes::append(QStringView text, QByteArray &out)
{
    // Every code is written as four bytes and the next one starts where its length ends,
    // with no branch on the length; the codes of a stretch are looked up first, so that the
    // lookups need not wait for one another. The room: the longest codes, and one byte.
    const qsizetype old = out.size();
    out.resize(old + 3 * text.size() + 1);
    char *p = out.data() + old;
    const quint32 *const table = m_code.data();
    constexpr qsizetype kStretch = 256;
    quint32 codes[kStretch];
    for (qsizetype from = 0; from < text.size(); from += kStretch) {
        const qsizetype n = std::min(kStretch, text.size() - from);
        const QChar *chars = text.data() + from;
        quint32 missing = 0;
        for (qsizetype i = 0; i < n; ++i) {
            codes[i] = table[chars[i].unicode()];
            missing |= codes[i] == 0;
        }
        if (Q_UNLIKELY(missing))
            for (qsizetype i = 0; i < n; ++i)
                if (!codes[i])
                    codes[i] = m_code[chars[i].unicode()] ? m_code[chars[i].unicode()]
                                                          : assign(chars[i].unicode());
        for (qsizetype i = 0; i < n; ++i) {
            const quint32 bytes = qToLittleEndian(codes[i]);
            std::memcpy(p, &bytes, 4);
            p += codes[i] >> 24;
        }
    }
    out.resize(p - out.data());
}

bool CharCodes::encode(QStringView text, std::string &out) const
{
    out.clear();
    for (QChar ch : text) {
        const quint32 code = m_code[ch.unicode()];
        if (!code)
            return false;
        for (quint32 i = 0; i < code >> 24; ++i)
            out.push_back(char(code >> (8 * i)));
    }
    return true;
}

void CharCodes::decode(const char *bytes, std::size_t size, QString &out) const
{
    out.resize(qsizetype(size)); // never more characters than bytes
    QChar *o = out.data();
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    const auto *const end = p + size;
    while (p < end) {
        const unsigned char b = *p;
        if (b < kFirstSingle) {
            *o++ = QChar(b);
            ++p;
        } else if (b < kFirstLead) {
            *o++ = QChar(m_single[b - kFirstSingle]);
            ++p;
        } else if (b < kLongLead) {
            *o++ = QChar(m_double[std::size_t(b - kFirstLead) * 256 + p[1]]);
            p += 2;
        } else {
            *o++ = QChar(char16_t(p[1] << 8 | p[2]));
            p += 3;
        }
    }
    out.resize(o - out.data());
}

// --- the index ---

DictionaryIndex::DictionaryIndex(LineReader &reader, qint64 expectedBytes)
{
    // The codes take about as many bytes as the file, split between the two buffers.
    if (expectedBytes > 0) {
        m_head.reserve(qsizetype(expectedBytes));
        m_tail.reserve(qsizetype(expectedBytes));
        m_lines.reserve(std::size_t(expectedBytes / 64)); // KEN_ALL's lines are about 100 bytes
    }
    // The first lines are held back until their characters have given the one-byte codes.
    constexpr int kSeedLines = 4096;
    std::vector<std::pair<QString, qint64>> seedLines;
    bool seeded = false;
    SplitLine split;
    auto seedCodes = [&] {
        QString sample;
        for (const auto &l : seedLines)
            sample += l.first;
        m_codes.seed(sample);
        for (const auto &[text, number] : seedLines) {
            split.split(text);
            addLine(text, split, number);
        }
        seedLines.clear();
        seeded = true;
    };

    try {
        QStringView line;
        while (reader.next(line)) {
            if (!seeded) {
                seedLines.emplace_back(line.toString(), reader.lineNumber());
                if (seedLines.size() == kSeedLines)
                    seedCodes();
                continue;
            }
            split.split(line);
            addLine(line, split, reader.lineNumber());
        }
    } catch (const DictionaryError &e) {
        m_endError = e.text();
    }
    if (!seeded)
        seedCodes();
    m_lines.push_back({quint32(m_head.size()), quint32(m_tail.size()), 0, 0});
    countBytes();
    m_head.squeeze();
    m_tail.squeeze();
    m_lines.shrink_to_fit();
}

void DictionaryIndex::addLine(QStringView line, const SplitLine &split, qint64 number)
{
    Line entry{quint32(m_head.size()), quint32(m_tail.size()), 0, quint32(number)};
    // A text found in such a line's head alone lies in one stretch without quotes and
    // commas, so in one value, so in the tail; a text that runs from the line into the
    // values begins in its last stretch, which the tail keeps.
    const qsizetype split_at = split.plain() ? lastStretch(line) : 0;
    m_codes.append(line.first(split_at), m_head);
    m_codes.append(line.sliced(split_at), m_tail);
    entry.lineIn = quint32(m_tail.size() - entry.tail);
    m_codes.append(split.values(), m_tail);
    m_tail.append('\n');
    m_lines.push_back(entry);
}

void DictionaryIndex::countBytes()
{
    // The counts only choose which bytes a search tests first: one page in eight is
    // enough to know the common ones.
    constexpr std::size_t kPage = 4096, kStride = 8 * kPage;
    const auto *p = reinterpret_cast<const unsigned char *>(m_tail.constData());
    const std::size_t n = std::size_t(m_tail.size());
    for (std::size_t page = 0; page < n; page += kStride)
        for (std::size_t i = page; i < std::min(n, page + kPage); ++i)
            ++m_byteCounts[p[i]];
}

std::size_t DictionaryIndex::memoryBytes() const
{
    return std::size_t(m_head.capacity() + m_tail.capacity()) + m_lines.capacity() * sizeof(Line);
}

bool DictionaryIndex::take(std::size_t i, SearchOutcome &outcome, qsizetype maxResults,
                           Scratch &s) const
{
    const Line &l = m_lines[i];
    const Line &next = m_lines[i + 1];
    s.bytes.assign(m_head.constData() + l.head, next.head - l.head);
    s.bytes.append(m_tail.constData() + l.tail, l.lineIn);
    m_codes.decode(s.bytes.data(), s.bytes.size(), s.line);
    SplitLine &split = s.split;
    split.split(s.line);
    if (split.fieldCount() < kResultFields) {
        outcome.error = tooFewFieldsError(l.number, split.fieldCount());
        return false;
    }
    if (outcome.entries.size() >= maxResults) {
        outcome.error = tooManyResultsError(maxResults);
        return false;
    }
    outcome.entries.append(entryOf(split));
    return true;
}

bool DictionaryIndex::matchesWhole(std::size_t i, const ByteFinder &finder, Scratch &s) const
{
    const Line &l = m_lines[i];
    const Line &next = m_lines[i + 1];
    s.bytes.assign(m_head.constData() + l.head, next.head - l.head);
    s.bytes.append(m_tail.constData() + l.tail, next.tail - 1 - l.tail);
    return findCharacters(s.bytes.data(), s.bytes.data() + s.bytes.size(), finder);
}

SearchOutcome DictionaryIndex::search(QStringView text, qsizetype maxResults) const
{
    SearchOutcome outcome;
    Scratch scratch;
    std::string needle;
    // A line feed ends every line, and a character with no code occurs in no line.
    if (!text.isEmpty() && !text.contains(u'\n') && m_codes.encode(text, needle)) {
        const std::size_t lines = m_lines.size() - 1;
        const ByteFinder finder(needle, m_byteCounts);
        if (!hasStructure(text)) {
            const char *const base = m_tail.constData();
            const char *const end = base + m_tail.size();
            const char *p = base;
            std::size_t i = 0;
            CharacterWalk walk(base);
            std::size_t walked = 0; // the line the walk is in
            while (p < end) {
                const char *hit = finder.find(p, end);
                if (!hit)
                    break;
                const std::size_t at = std::size_t(hit - base);
                i = std::size_t(
                        std::upper_bound(m_lines.begin() + i, m_lines.begin() + lines, at,
                                         [](std::size_t v, const Line &l) { return v < l.tail; }) -
                        m_lines.begin()) -
                    1;
                if (walked != i) {
                    walk = CharacterWalk(base + m_lines[i].tail);
                    walked = i;
                }
                if (!walk.beginsAt(hit)) {
                    p = walk.next(); // the next place a character begins
                    continue;
                }
                if (!take(i, outcome, maxResults, scratch))
                    return outcome;
                p = base + m_lines[i + 1].tail;
                ++i;
            }
        } else {
            for (std::size_t i = 0; i < lines; ++i)
                if (matchesWhole(i, finder, scratch) && !take(i, outcome, maxResults, scratch))
                    return outcome;
        }
    }
    outcome.error = m_endError;
    return outcome;
}

// --- the shared dictionary ---

namespace {

// What tells that a file is still the one read: its identity, size and times.
struct FileStamp
{
    quint64 device = 0, inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0, changedNs = 0;
    bool regular = false;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(QFile &file)
{
    FileStamp s;
#ifdef Q_OS_UNIX
    struct stat st;
    if (::fstat(file.handle(), &st) == 0) {
        s.device = st.st_dev;
        s.inode = st.st_ino;
        s.size = st.st_size;
        s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
        s.regular = S_ISREG(st.st_mode);
    }
#else
    const QFileInfo info(file.fileName());
    s.size = info.size();
    s.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    s.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
    s.regular = info.isFile();
#endif
    return s;
}

bool changedWithin(const FileStamp &s, qint64 ms)
{
    const qint64 nowNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    return std::max(s.modifiedNs, s.changedNs) > nowNs - ms * 1000000;
}

} // namespace

struct PostalDictionary::Cached
{
    QString path;
    FileStamp stamp;
    DictionaryIndex index;
};

PostalDictionary::PostalDictionary() = default;
PostalDictionary::~PostalDictionary() = default;

PostalDictionary &PostalDictionary::shared()
{
    static PostalDictionary dictionary;
    return dictionary;
}

void PostalDictionary::clear()
{
    m_cached.reset();
}

SearchOutcome PostalDictionary::search(const QString &path, const QString &text,
                                       const LineReader::Progress &progress)
{
    // Only a regular file: a folder cannot be read, a pipe would block the opening, and a
    // device such as /dev/zero never ends.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw DictionaryError(fileOpenError(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DictionaryError(fileOpenError(path));
    const FileStamp stamp = stampOf(file);
    if (!stamp.regular)
        throw DictionaryError(fileOpenError(path));

    if (m_cached && m_cached->path == path && m_cached->stamp == stamp)
        return m_cached->index.search(text, kMaxResults);
    m_cached.reset(); // the memory is needed for the new reading

    ++m_fileReads;
    const DictionaryFormat format = detectFormat(file, path);
    LineReader reader(file, path, format.encoding, progress);
    if (stamp.size > m_cacheLimit)
        return searchLines(reader, text, kMaxResults);

    auto cached =
        std::make_unique<Cached>(Cached{path, stamp, DictionaryIndex(reader, stamp.size)});
    SearchOutcome outcome = cached->index.search(text, kMaxResults);
    if (cached->index.complete() && stampOf(file) == stamp && !changedWithin(stamp, m_settleMs))
        m_cached = std::move(cached);
    return outcome;
}

} // namespace postal
