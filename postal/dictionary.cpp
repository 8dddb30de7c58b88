#include <postal/dictionary.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
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

// True when a character begins at `at`, walking from `from`, where one begins.
bool beginsCharacter(const char *from, const char *at)
{
    while (from < at)
        from += CharCodes::codeLength(static_cast<unsigned char>(*from));
    return from == at;
}

// The first match of the needle in the bytes that begins a character; the bytes begin one.
const char *findCharacters(const char *begin, const char *end, const std::string &needle)
{
    const char *p = begin;
    while (p < end) {
        const void *hit = memmem(p, std::size_t(end - p), needle.data(), needle.size());
        if (!hit)
            return nullptr;
        const char *at = static_cast<const char *>(hit);
        if (beginsCharacter(begin, at))
            return at;
        p = at + 1;
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

CharCodes::CharCodes()
    : m_code(0x10000, 0)
{
    for (char16_t c = 0; c < 0x80; ++c)
        m_code[c] = 1u << 24 | c;
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
        m_code[frequent[i]] = 1u << 24 | quint32(kFirstSingle + m_single.size());
        m_single.push_back(frequent[i]);
    }
}

quint32 CharCodes::assign(char16_t c)
{
    quint32 code;
    if (m_double.size() < kDoubles) {
        const std::size_t i = m_double.size();
        code = 2u << 24 | quint32(kFirstLead + i / 256) << 8 | quint32(i % 256);
        m_double.push_back(c);
    } else {
        code = 3u << 24 | quint32(kLongLead) << 16 | c;
    }
    m_code[c] = code;
    return code;
}

void CharCodes::append(QStringView text, std::string &out)
{
    const std::size_t old = out.size();
    out.resize(old + 3 * std::size_t(text.size()));
    char *p = out.data() + old;
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        quint32 code = m_code[c];
        if (!code)
            code = assign(c);
        switch (code >> 24) {
        case 1:
            *p++ = char(code);
            break;
        case 2:
            *p++ = char(code >> 8);
            *p++ = char(code);
            break;
        default:
            *p++ = char(code >> 16);
            *p++ = char(code >> 8);
            *p++ = char(code);
            break;
        }
    }
    out.resize(std::size_t(p - out.data()));
}

bool CharCodes::encode(QStringView text, std::string &out) const
{
    out.clear();
    for (QChar ch : text) {
        const quint32 code = m_code[ch.unicode()];
        if (!code)
            return false;
        const int length = int(code >> 24);
        for (int i = length - 1; i >= 0; --i)
            out.push_back(char(code >> (8 * i)));
    }
    return true;
}

void CharCodes::decode(const char *bytes, std::size_t size, QString &out) const
{
    out.resize(0);
    out.reserve(qsizetype(size));
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    const auto *const end = p + size;
    while (p < end) {
        const unsigned char b = *p;
        if (b < kFirstSingle) {
            out.append(QChar(b));
            ++p;
        } else if (b < kFirstLead) {
            out.append(QChar(m_single[b - kFirstSingle]));
            ++p;
        } else if (b < kLongLead) {
            out.append(QChar(m_double[std::size_t(b - kFirstLead) * 256 + p[1]]));
            p += 2;
        } else {
            out.append(QChar(char16_t(p[1] << 8 | p[2])));
            p += 3;
        }
    }
}

// --- the index ---

DictionaryIndex::DictionaryIndex(LineReader &reader)
{
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
    m_head.shrink_to_fit();
    m_tail.shrink_to_fit();
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
    m_tail.push_back('\n');
    m_lines.push_back(entry);
}

std::size_t DictionaryIndex::memoryBytes() const
{
    return m_head.capacity() + m_tail.capacity() + m_lines.capacity() * sizeof(Line);
}

bool DictionaryIndex::take(std::size_t i, SearchOutcome &outcome, qsizetype maxResults) const
{
    const Line &l = m_lines[i];
    const Line &next = m_lines[i + 1];
    std::string bytes(m_head, l.head, next.head - l.head);
    bytes.append(m_tail, l.tail, l.lineIn);
    QString line;
    m_codes.decode(bytes.data(), bytes.size(), line);
    SplitLine split;
    split.split(line);
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

bool DictionaryIndex::matchesWhole(std::size_t i, const std::string &needle,
                                   std::string &scratch) const
{
    const Line &l = m_lines[i];
    const Line &next = m_lines[i + 1];
    scratch.assign(m_head, l.head, next.head - l.head);
    scratch.append(m_tail, l.tail, next.tail - 1 - l.tail);
    return findCharacters(scratch.data(), scratch.data() + scratch.size(), needle);
}

SearchOutcome DictionaryIndex::search(QStringView text, qsizetype maxResults) const
{
    SearchOutcome outcome;
    std::string needle;
    // A line feed ends every line, and a character with no code occurs in no line.
    if (!text.isEmpty() && !text.contains(u'\n') && m_codes.encode(text, needle)) {
        const std::size_t lines = m_lines.size() - 1;
        if (!hasStructure(text)) {
            const char *const base = m_tail.data();
            const char *const end = base + m_tail.size();
            const char *p = base;
            std::size_t i = 0;
            while (p < end) {
                const void *hit = memmem(p, std::size_t(end - p), needle.data(), needle.size());
                if (!hit)
                    break;
                const std::size_t at = std::size_t(static_cast<const char *>(hit) - base);
                i = std::size_t(
                        std::upper_bound(m_lines.begin() + i, m_lines.begin() + lines, at,
                                         [](std::size_t v, const Line &l) { return v < l.tail; }) -
                        m_lines.begin()) -
                    1;
                if (!beginsCharacter(base + m_lines[i].tail, base + at)) {
                    p = base + at + 1;
                    continue;
                }
                if (!take(i, outcome, maxResults))
                    return outcome;
                p = base + m_lines[i + 1].tail;
                ++i;
            }
        } else {
            std::string scratch;
            for (std::size_t i = 0; i < lines; ++i)
                if (matchesWhole(i, needle, scratch) && !take(i, outcome, maxResults))
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
    bool directory = false;
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
        s.directory = S_ISDIR(st.st_mode);
    }
#else
    const QFileInfo info(file.fileName());
    s.size = info.size();
    s.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    s.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
    s.directory = info.isDir();
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
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        throw DictionaryError(fileOpenError(path));
    const FileStamp stamp = stampOf(file);
    if (stamp.directory)
        throw DictionaryError(fileOpenError(path));

    if (m_cached && m_cached->path == path && m_cached->stamp == stamp)
        return m_cached->index.search(text, kMaxResults);
    m_cached.reset(); // the memory is needed for the new reading

    ++m_fileReads;
    const DictionaryFormat format = detectFormat(file, path);
    LineReader reader(file, path, format.encoding, progress);
    if (stamp.size > m_cacheLimit)
        return searchLines(reader, text, kMaxResults);

    auto cached = std::make_unique<Cached>(Cached{path, stamp, DictionaryIndex(reader)});
    SearchOutcome outcome = cached->index.search(text, kMaxResults);
    if (cached->index.complete() && stampOf(file) == stamp && !changedWithin(stamp, m_settleMs))
        m_cached = std::move(cached);
    return outcome;
}

} // namespace postal
