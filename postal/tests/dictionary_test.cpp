#include "dictfixture.h"

#include <postal/dictionary.h>
#include <postal/dictionaryfile.h>
#include <testsupport/tempdir.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace postaltest;
using postal::DictionaryError;
using postal::PostalDictionary;
using postal::PostalEntry;
using postal::SearchOutcome;
using postal::TextEncoding;

namespace postal {
inline void PrintTo(const SearchOutcome &o, std::ostream *os)
{
    *os << o.entries.size() << " entries";
    for (qsizetype i = 0; i < std::min<qsizetype>(o.entries.size(), 5); ++i)
        *os << ' ' << o.entries[i].item().toStdString();
    if (!o.error.isEmpty())
        *os << ", error " << o.error.toStdString();
}
inline bool operator==(const SearchOutcome &a, const SearchOutcome &b)
{
    return a.entries == b.entries && a.error == b.error;
}
} // namespace postal

namespace {

QString decode932(const QByteArray &bytes)
{
    postal::TextDecoder decoder(TextEncoding::Cp932);
    return decoder.decode(bytes);
}

// The parts of the search on bytes held in memory.
SearchOutcome indexSearch(const QByteArray &bytes, const QString &text,
                          qsizetype max = PostalDictionary::kMaxResults)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const postal::DictionaryFormat format = postal::detectFormat(buffer, QStringLiteral("mem"));
    postal::LineReader reader(buffer, QStringLiteral("mem"), format.encoding);
    return postal::DictionaryIndex(reader).search(text, max);
}

SearchOutcome streamSearch(const QByteArray &bytes, const QString &text,
                           qsizetype max = PostalDictionary::kMaxResults)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const postal::DictionaryFormat format = postal::detectFormat(buffer, QStringLiteral("mem"));
    postal::LineReader reader(buffer, QStringLiteral("mem"), format.encoding);
    return postal::searchLines(reader, text, max);
}

// --- decoding ---

struct DecodeCase
{
    const char *name;
    QByteArray bytes;
    const char16_t *text;
    qsizetype length = -1; ///< for a text holding U+0000
};

class Cp932Decoding : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(Cp932Decoding, FollowsMicrosoftsTable)
{
    const QStringView text(GetParam().text, GetParam().length);
    EXPECT_EQ(decode932(GetParam().bytes), text.toString());
}

const DecodeCase kDecodeCases[] = {
    {"WaveDashIsFullWidthTilde", "\x81\x60", u"\uFF5E"},
    {"NecCircledDigit", "\x87\x40", u"①"},
    {"NecParenthesizedKabushiki", "\x87\x8A", u"㈱"},
    {"IbmExtensionTaka", "\xFB\xFC", u"髙"},
    {"NecSelectedIbmExtensionTaka", "\xEE\xE0", u"髙"},
    {"FullWidthMinusAndReverseSolidus", "\x81\x7C\x81\x5F", u"\uFF0D\uFF3C"},
    {"SecondByte5C", "\x83\x5C\x95\x5C\x94\x5C\x81\x5C", u"ソ表能\u2015"},
    {"BackslashAndTildeStayAscii", "\\~", u"\\~"},
    {"HalfWidthKatakana", "\xB1\xDD\xDE", u"ｱﾝﾞ"},
    {"UserDefinedArea", "\xF0\x40", u"\uE000"},
    {"BytesThatAreNoCharacter", "\x80\xA0\xFD\xFE\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"UnassignedPair", "a\x85\x40z", u"a\uFFFDz"},
    {"LeadByteBeforeComma", "\x82,\"", u"\uFFFD,\""},
    {"CutOffAtTheEnd", "\x93\x8C\x8B", u"東\uFFFD"},
    {"ControlCodesAreThemselves", QByteArray("\x1A\x1C\x7F\x00", 4), u"\u001A\u001C\u007F\u0000",
     4},
};

INSTANTIATE_TEST_SUITE_P(Bytes, Cp932Decoding, ::testing::ValuesIn(kDecodeCases),
                         [](const auto &info) { return std::string(info.param.name); });

// The reader cuts a whole block into lines before decoding it at once; that is the same as
// decoding line by line only because a blank byte is always a character of its own.
TEST(Cp932Decoding, BlankBytesAreNeverPartOfALongerSequence)
{
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(decode932(QByteArray(1, char(b))), QString(QChar(b))) << b;
    for (int lead = 0x80; lead <= 0xFF; ++lead)
        for (int blank = 0; blank <= 0x20; ++blank) {
            QByteArray bytes;
            bytes.append(char(lead)).append(char(blank));
            const QString text = decode932(bytes);
            ASSERT_FALSE(text.isEmpty());
            EXPECT_EQ(text.back(), QChar(blank)) << lead << ' ' << blank;
        }
}

TEST(Utf8Decoding, InvalidSequencesBecomeReplacementCharacters)
{
    postal::TextDecoder decoder(TextEncoding::Utf8);
    EXPECT_EQ(decoder.decode("a\xE3\x81\x82\xFF,\xC0\xAF,\xE3\x81"),
              QStringLiteral("aあ\uFFFD,\uFFFD\uFFFD,\uFFFD\uFFFD"));
    EXPECT_EQ(decoder.decode("\xF0\xA0\xAE\xB7"), QStringLiteral("𠮷"));
    // A line may begin with U+FEFF: only the file's own mark is passed over, elsewhere.
    EXPECT_EQ(decoder.decode("\xEF\xBB\xBFx"), QStringLiteral("\uFEFFx"));
}

struct FormatCase
{
    const char *name;
    QByteArray bytes;
    TextEncoding encoding;
    qint64 textStart;
};

class FormatDetection : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(FormatDetection, ChoosesTheEncoding)
{
    QBuffer buffer;
    buffer.setData(GetParam().bytes);
    buffer.open(QIODevice::ReadOnly);
    const postal::DictionaryFormat format = postal::detectFormat(buffer, QString());
    EXPECT_EQ(format.encoding, GetParam().encoding);
    EXPECT_EQ(format.textStart, GetParam().textStart);
    EXPECT_EQ(buffer.pos(), GetParam().textStart);
}

const FormatCase kFormatCases[] = {
    {"ByteOrderMark", "\xEF\xBB\xBF\"1000001\",\"東京都\"", TextEncoding::Utf8, 3},
    {"ByteOrderMarkBeforeInvalidBytes", "\xEF\xBB\xBF\x82\xA0", TextEncoding::Utf8, 3},
    {"ValidUtf8", "\"1000001\",\"東京都\"\n", TextEncoding::Utf8, 0},
    {"Cp932", "\"1000001\",\"\x93\x8C\x8B\x9E\x93\x73\"\r\n", TextEncoding::Cp932, 0},
    {"Utf8CutOffAtTheEnd", "\"\xE6\x9D\xB1\xE4", TextEncoding::Cp932, 0},
    {"OverlongForm", "\xC0\xAF", TextEncoding::Cp932, 0},
    {"Surrogate", "\xED\xA0\x80", TextEncoding::Cp932, 0},
    {"Ascii", "0,1,2\r\n", TextEncoding::Utf8, 0},
    {"Empty", "", TextEncoding::Utf8, 0},
};

INSTANTIATE_TEST_SUITE_P(Files, FormatDetection, ::testing::ValuesIn(kFormatCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A sequence split by the reader's block boundary is judged whole.
TEST(FormatDetection, LooksAtTheWholeFile)
{
    QByteArray big(5 << 20, 'a');
    big.append("\xE6\x9D\xB1");
    QBuffer buffer;
    buffer.setData(big);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(postal::detectFormat(buffer, QString()).encoding, TextEncoding::Utf8);
    big.append("\x82\xA0");
    buffer.close();
    buffer.setData(big);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(postal::detectFormat(buffer, QString()).encoding, TextEncoding::Cp932);
}

// --- reading lines ---

QList<std::pair<QString, qint64>> readAll(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    postal::LineReader reader(buffer, QString(), TextEncoding::Cp932);
    QList<std::pair<QString, qint64>> lines;
    QStringView line;
    while (reader.next(line))
        lines.append({line.toString(), reader.lineNumber()});
    return lines;
}

TEST(LineReading, SkipsBlanksDropsCarriageReturnsAndCountsLineFeeds)
{
    const auto lines = readAll("  \r\n\tab\rc \r\n\r\n \r\n  d\re\n\x01\n\n\r\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], std::make_pair(QStringLiteral("abc "), qint64(2)));
    EXPECT_EQ(lines[1], std::make_pair(QStringLiteral("de"), qint64(5)));
    EXPECT_TRUE(readAll("").isEmpty());
    EXPECT_TRUE(readAll(" \r\n\r\n\t\n\n").isEmpty());
    EXPECT_EQ(readAll("x").size(), 1); // no line end after the last line
}

TEST(LineReading, ALineLongerThanTheLimitEndsTheReadingWhereItBegins)
{
    QByteArray bytes = "first\n\n";
    bytes.append(QByteArray(postal::LineReader::kMaxLineBytes + 1, 'x'));
    bytes.append("\nlast\n");
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    postal::LineReader reader(buffer, QString(), TextEncoding::Cp932);
    QStringView line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, u"first");
    try {
        reader.next(line);
        FAIL() << "no error";
    } catch (const DictionaryError &e) {
        EXPECT_EQ(e.text(), postal::lineTooLongError(3));
    }
}

TEST(LineReading, MegabytesOfBlanksAreNoLongLine)
{
    QByteArray bytes(3 << 20, ' ');
    bytes.append("x\n");
    bytes.append(QByteArray(5 << 20, '\0'));
    const auto lines = readAll(bytes);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].first, QStringLiteral("x"));
}

// --- searching the fixtures ---

struct Expected
{
    const char *text;
    QList<std::pair<const char *, const char *>> entries;
    const char *error = nullptr; ///< a tooFewFieldsError at this line, as "line:fields"
};

void expectOutcome(const SearchOutcome &outcome, const Expected &e)
{
    QList<PostalEntry> entries;
    for (const auto &[zip, address] : e.entries)
        entries.append({QString::fromUtf8(zip), QString::fromUtf8(address)});
    EXPECT_EQ(outcome.entries, entries) << e.text;
    QString error;
    if (e.error) {
        const QList<QByteArray> parts = QByteArray(e.error).split(':');
        error = postal::tooFewFieldsError(parts[0].toLongLong(), parts[1].toLongLong());
    }
    EXPECT_EQ(outcome.error, error) << e.text;
}

class FixtureSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dictionary.setSettleTime(0);
        m_cp932 = m_dir.file(QStringLiteral("awkward-cp932.csv"));
        ASSERT_TRUE(QFile::copy(dataFile("awkward-cp932.csv"), m_cp932));
        m_utf8 = m_dir.file(QStringLiteral("awkward-utf8.csv"));
        ASSERT_TRUE(QFile::copy(dataFile("awkward-utf8.csv"), m_utf8));
    }

    testsupport::TempDir m_dir;
    PostalDictionary m_dictionary;
    QString m_cp932, m_utf8;
};

TEST_F(FixtureSearch, Cp932FileFindsItsAwkwardCharacters)
{
    const Expected cases[] = {
        {"1000001", {{"1000001", "東京都千代田区千代田"}}},
        {"東京都千代田区",
         {{"1000001", "東京都千代田区千代田"}, {"1000005", "東京都千代田区丸の内（１～３丁目）"}}},
        {"～", {{"1000005", "東京都千代田区丸の内（１～３丁目）"}}},
        {"〜", {}}, // the wave dash of other tables is another character
        {"髙橋①㈱髙", {{"1030001", "東京都中央区髙橋①㈱髙"}}},
        {"能登町表ソ―", {{"9270433", "石川県鳳珠郡能登町表ソ―町"}}},
        {"北一条\"西\", 二", {{"0600001", "北海道札幌市北一条\"西\", 二 丁目"}}},
        {"北一条\"\"西", {{"0600001", "北海道札幌市北一条\"西\", 二 丁目"}}}, // the raw line
        {"札幌市北区北七条", {{"00123", "北海道札幌市北区北七条"}}},
        {"\uFFFD\uFFFD\uFFFD\uFFFDｱｲ不正県", {{"9990001", "不正県不正市\uFFFD,"}}},
        {"不正市\uFFFD,0", {{"9990001", "不正県不正市\uFFFD,"}}},
        {"0\uFFFD4738",
         {{"9071801", "沖縄県八重山郡与那国町与那国"}}}, // cut-off end, into the values
        // A matching line with too few fields ends the search; what came before stays.
        {"999000", {{"9990001", "不正県不正市\uFFFD,"}}, "10:3"},
        {"100-0001", {}},
        {"\r", {}},
    };
    for (const Expected &e : cases)
        expectOutcome(m_dictionary.search(m_cp932, QString::fromUtf8(e.text)), e);
}

TEST_F(FixtureSearch, Utf8FileIsReadAsUtf8)
{
    const Expected cases[] = {
        {"〜", {{"1000005", "東京都千代田区丸の内（１〜３丁目）"}}},
        {"𠮷", {{"1030001", "東京都中央区髙橋①㈱𠮷"}}},
        {"\"西\", 二 丁", {{"0600001", "北海道札幌市北一条\"西\", 二 丁目"}}},
    };
    for (const Expected &e : cases)
        expectOutcome(m_dictionary.search(m_utf8, QString::fromUtf8(e.text)), e);

    // The same with a byte-order mark before the text.
    writeBytes(m_utf8, "\xEF\xBB\xBF" + readBytes(dataFile("awkward-utf8.csv")));
    expectOutcome(m_dictionary.search(m_utf8, QStringLiteral("1000001")),
                  {"1000001", {{"1000001", "東京都千代田区千代田"}}});
}

// Every short piece of every match text, and pieces across lines, through the kept
// dictionary, the plain reading and the reference: the three must agree.
TEST_F(FixtureSearch, KeptDictionaryAndPlainReadingAgreeWithTheReference)
{
    for (const QString &path : {m_cp932, m_utf8}) {
        const QByteArray bytes = readBytes(path);
        const QList<ReferenceLine> lines = referenceLines(bytes);
        QSet<QString> texts;
        for (const ReferenceLine &line : lines)
            for (int length = 1; length <= 4; ++length)
                for (qsizetype i = 0; i + length <= line.match.size(); ++i)
                    texts.insert(line.match.mid(i, length));
        texts.insert(QStringLiteral("0,0\n01"));
        ASSERT_GT(texts.size(), 300);
        for (const QString &text : texts) {
            const SearchOutcome expected = referenceSearch(lines, text);
            ASSERT_EQ(m_dictionary.search(path, text), expected) << text.toStdString();
            ASSERT_EQ(streamSearch(bytes, text), expected) << text.toStdString();
        }
    }
}

TEST(TooManyResults, EndTheSearchAfterTheLimit)
{
    QByteArray bytes;
    for (int i = 0; i < 5; ++i)
        bytes += toCp932(kenAllLine(QStringLiteral("100000%1").arg(i), QStringLiteral("東京都"),
                                    QStringLiteral("千代田区"), QStringLiteral("町"))) +
                 "\r\n";
    for (auto search : {indexSearch, streamSearch}) {
        const SearchOutcome outcome = search(bytes, QStringLiteral("東京都"), 3);
        EXPECT_EQ(outcome.entries.size(), 3);
        EXPECT_EQ(outcome.error, postal::tooManyResultsError(3));
        EXPECT_EQ(search(bytes, QStringLiteral("東京都"), 5).error, QString());
    }
}

// More distinct characters than the one- and two-byte codes hold: the rest take three,
// some with a line feed's byte in them.
TEST(ManyCharacters, BeyondTheShortCodesStillMatchWhole)
{
    QByteArray bytes;
    QList<QString> towns;
    auto addRange = [&](char16_t first, char16_t last) {
        for (int base = first; base <= last; base += 97) {
            QString town;
            for (int c = base; c < base + 97 && c <= last; ++c)
                town += QChar(char16_t(c));
            towns << town;
            bytes += kenAllLine(QStringLiteral("1000001"), QStringLiteral("東京都"),
                                QStringLiteral("千代田区"), town)
                         .toUtf8() +
                     "\n";
        }
    };
    addRange(0x4E00, 0x9FFF);
    addRange(0x0A00, 0x0AFF);
    const QList<ReferenceLine> lines = referenceLines(bytes);
    QStringList texts = {towns.first().left(2),
                         towns[100].mid(40, 3),
                         towns.last().right(2),
                         QString(QChar(0x0A0A)),
                         towns[200].right(1) + QStringLiteral("\",0"),
                         QStringLiteral("区") + towns[150].left(1)};
    for (const QString &text : texts) {
        const SearchOutcome expected = referenceSearch(lines, text);
        EXPECT_FALSE(expected.entries.isEmpty()) << text.toStdString();
        EXPECT_EQ(indexSearch(bytes, text), expected) << text.toStdString();
    }
}

// --- the whole dictionary ---

TEST(FullDictionary, KeptDictionaryGivesWhatAPlainReadingGives)
{
    testsupport::TempDir dir;
    const QString path = unpackFullDictionary(dir.path());
    if (path.isEmpty())
        GTEST_SKIP() << "KEN_ALL.CSV.gz not found: set ZD_KEN_ALL to the packed dictionary";
    const QList<ReferenceLine> lines = referenceLines(readBytes(path));
    ASSERT_EQ(lines.size(), 124495);

    PostalDictionary dictionary;
    dictionary.setSettleTime(0);
    const char *texts[] = {
        "1000001",
        "北海道札幌市",
        "存在しない住所",
        "東京都千代田区千代田",
        "0010000",
        "001101",
        "千代田",
        "ﾎｯｶｲ",
        "以下に掲載がない場合",
        "区北",
        "9071801",
        "0,0,0",
        "\",\"100",
        "\"",
        "京都",
        "  \",\"",
        "1",
        "沖縄県八重山郡",
        "ﾁｮｳ\"",
        "丁目",
    };
    for (const char *t : texts) {
        const QString text = QString::fromUtf8(t);
        const SearchOutcome expected = referenceSearch(lines, text);
        EXPECT_EQ(dictionary.search(path, text), expected) << t;
    }
    EXPECT_EQ(dictionary.fileReads(), 1);
    const SearchOutcome tokyo = dictionary.search(path, QStringLiteral("1000001"));
    ASSERT_EQ(tokyo.entries.size(), 1);
    EXPECT_EQ(tokyo.entries[0].item(), QStringLiteral("1000001 東京都千代田区千代田"));
}

// --- keeping a dictionary ---

class KeptDictionary : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dictionary.setSettleTime(0);
        m_path = m_dir.file(QStringLiteral("KEN_ALL.CSV"));
        write(QStringLiteral("1000001"), QStringLiteral("千代田"));
    }
    void write(const QString &zip, const QString &town)
    {
        writeBytes(m_path, toCp932(kenAllLine(zip, QStringLiteral("東京都"),
                                              QStringLiteral("千代田区"), town)) +
                               "\r\n");
        setModified(m_path, m_time);
    }
    QString found(const QString &text = QStringLiteral("東京都"))
    {
        QStringList items;
        for (const PostalEntry &e : m_dictionary.search(m_path, text).entries)
            items << e.item();
        return items.join(QLatin1Char('|'));
    }

    testsupport::TempDir m_dir;
    PostalDictionary m_dictionary;
    QString m_path;
    QDateTime m_time = QDateTime::currentDateTime().addSecs(-3600);
};

TEST_F(KeptDictionary, AnUnchangedFileIsReadOnce)
{
    EXPECT_EQ(found(), QStringLiteral("1000001 東京都千代田区千代田"));
    EXPECT_EQ(found(QStringLiteral("1000001")), QStringLiteral("1000001 東京都千代田区千代田"));
    EXPECT_EQ(m_dictionary.fileReads(), 1);
}

TEST_F(KeptDictionary, AChangedFileIsReadAgain)
{
    EXPECT_EQ(found(), QStringLiteral("1000001 東京都千代田区千代田"));
    write(QStringLiteral("1000002"), QStringLiteral("千代田")); // same size, same time
    m_time = m_time.addSecs(1);
    setModified(m_path, m_time);
    EXPECT_EQ(found(), QStringLiteral("1000002 東京都千代田区千代田"));
    write(QStringLiteral("1000003"), QStringLiteral("丸の内一丁目")); // same time, other size
    EXPECT_EQ(found(), QStringLiteral("1000003 東京都千代田区丸の内一丁目"));

    // Replaced by another file of the same size and time.
    const QString aside = m_dir.file(QStringLiteral("new.csv"));
    writeBytes(aside,
               toCp932(kenAllLine(QStringLiteral("1000004"), QStringLiteral("東京都"),
                                  QStringLiteral("千代田区"), QStringLiteral("丸の内一丁目"))) +
                   "\r\n");
    setModified(aside, m_time);
    ASSERT_TRUE(QFile::remove(m_path));
    ASSERT_TRUE(QFile::rename(aside, m_path));
    EXPECT_EQ(found(), QStringLiteral("1000004 東京都千代田区丸の内一丁目"));
    EXPECT_EQ(m_dictionary.fileReads(), 4);
}

TEST_F(KeptDictionary, ARemovedFileIsAnErrorNotTheKeptResults)
{
    EXPECT_EQ(found(), QStringLiteral("1000001 東京都千代田区千代田"));
    ASSERT_TRUE(QFile::remove(m_path));
    EXPECT_THROW(m_dictionary.search(m_path, QStringLiteral("東京都")), DictionaryError);
    ASSERT_TRUE(QDir().mkdir(m_path)); // a folder of that name
    try {
        m_dictionary.search(m_path, QStringLiteral("東京都"));
        FAIL() << "a folder was searched";
    } catch (const DictionaryError &e) {
        EXPECT_EQ(e.text(), postal::fileOpenError(m_path));
        EXPECT_TRUE(e.text().contains(QStringLiteral("フォルダー")));
    }
}

// What is no regular file gives the file error at once: a pipe must not block the opening
// and a device must not be read without end.
TEST(NotAFile, GivesTheFileErrorAtOnce)
{
    testsupport::TempDir dir;
    const QString fifo = dir.file(QStringLiteral("pipe.csv"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    PostalDictionary dictionary;
    for (const QString &path : {fifo, QStringLiteral("/dev/zero"), dir.path(), QString()}) {
        try {
            dictionary.search(path, QStringLiteral("1000001"));
            ADD_FAILURE() << "searched " << path.toStdString();
        } catch (const DictionaryError &e) {
            EXPECT_EQ(e.text(), postal::fileOpenError(path));
        }
    }
}

// --- bad input ---

struct BadFile
{
    const char *name;
    std::function<QByteArray()> bytes;
    const char *text;
};

class BadDictionary : public ::testing::TestWithParam<BadFile>
{
};

// Garbage, cut-off, empty and blank files end in a result or an error, agreeing with the
// reference, whether the file is kept or read as a stream.
TEST_P(BadDictionary, EndsInAResultOrAnError)
{
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("bad.csv"));
    const QByteArray bytes = GetParam().bytes();
    writeBytes(path, bytes);
    const QString text = QString::fromUtf8(GetParam().text);
    const SearchOutcome expected = referenceSearch(referenceLines(bytes), text);
    PostalDictionary dictionary;
    EXPECT_EQ(dictionary.search(path, text), expected);
    dictionary.setCacheLimit(0);
    EXPECT_EQ(dictionary.search(path, text), expected);
}

QByteArray garbage(int size, bool withLineFeeds)
{
    QRandomGenerator random(42);
    QByteArray bytes(size, '\0');
    for (char &c : bytes) {
        c = char(random.bounded(256));
        if (!withLineFeeds && c == '\n')
            c = ',';
    }
    return bytes;
}

const BadFile kBadFiles[] = {
    {"BinaryGarbage", [] { return garbage(2 << 20, true); }, ","},
    {"GarbageOnePiece", [] { return garbage(4096, true); }, "\uFFFD"},
    {"CutInADoubleByteCharacter",
     [] {
         QByteArray b = toCp932(kenAllLine("1000001", "東京都", "千代田区", "千代田"));
         return b + "\r\n" + b.left(b.indexOf("\x93\x8C") + 1);
     },
     "東京都"},
    {"Empty", [] { return QByteArray(); }, "1000001"},
    {"OnlyBlankLines", [] { return QByteArray("\r\n\r\n  \r\n\t\r\n\r\n"); }, " "},
    {"BlanksText",
     [] { return toCp932(kenAllLine("1000001", "東京都", "千代田区", "千代田")) + "\r\n"; }, "   "},
};

INSTANTIATE_TEST_SUITE_P(Files, BadDictionary, ::testing::ValuesIn(kBadFiles),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(BadDictionary, AFileWithoutLineEndsIsNotTakenWhole)
{
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("noline.csv"));
    writeBytes(path, "1,2,\"1000001\",4,5,6,\"a\",\"b\",\"c\"\n" + garbage(3 << 20, false));
    PostalDictionary dictionary;
    for (qint64 limit : {PostalDictionary::kDefaultCacheLimit, qint64(0)}) {
        dictionary.setCacheLimit(limit);
        const SearchOutcome outcome = dictionary.search(path, QStringLiteral("1000001"));
        ASSERT_EQ(outcome.entries.size(), 1);
        EXPECT_EQ(outcome.error, postal::lineTooLongError(2));
    }
}

} // namespace
