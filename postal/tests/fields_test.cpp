#include "dictfixture.h"

#include <postal/fields.h>

#include <gtest/gtest.h>

using postal::matchText;
using postal::splitFields;

namespace {

struct SplitCase
{
    const char *name;
    const char16_t *line;
    QStringList fields;
    const char16_t *match; ///< the match text; nullptr: the line followed by the fields
};

class FieldSplitting : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(FieldSplitting, GivesTheFieldsAndTheMatchText)
{
    const SplitCase &c = GetParam();
    const QString line = QString::fromUtf16(c.line);
    EXPECT_EQ(splitFields(line), c.fields);
    const QString expected =
        c.match ? QString::fromUtf16(c.match) : line + c.fields.join(QString());
    EXPECT_EQ(matchText(line), expected);
}

const SplitCase kSplitCases[] = {
    {"Plain", u"a,b,c", {"a", "b", "c"}, u"a,b,cabc"},
    {"Quoted", u"\"a\",\"b\"", {"a", "b"}, u"\"a\",\"b\"ab"},
    {"DoubledQuoteIsOne", u"\"a\"\"b\",c", {"a\"b", "c"}, u"\"a\"\"b\",ca\"bc"},
    {"OnlyADoubledQuote", u"\"\"\"\"", {"\""}, nullptr},
    {"BlanksAndCommasInsideQuotes", u"\"a, b\t c\",d", {"a, b\t c", "d"}, nullptr},
    {"BlanksBeforeAndAfterFieldsSkipped", u" a ,\t\"b\" , c", {"a", "b", "c"}, nullptr},
    {"BlankEndsAnUnquotedField", u"a b,c", {"a", "b", "c"}, nullptr},
    {"ControlCharacterIsABlank", u"a\u0001b\u007fc", {"a", "b\u007fc"}, nullptr},
    {"TrailingCommaGivesAnEmptyField", u"a,", {"a", ""}, u"a,a"},
    {"CommaBeforeTrailingBlanksGivesNone", u"a, ", {"a"}, nullptr},
    {"TwoCommasGiveAnEmptyField", u"a,,b", {"a", "", "b"}, nullptr},
    {"LeadingComma", u",a", {"", "a"}, nullptr},
    {"OnlyCommas", u",,", {"", "", ""}, nullptr},
    {"EmptyQuotedFields", u"\"\",\"\"", {"", ""}, nullptr},
    {"TextAfterClosingQuoteIsTheNextField", u"\"ab\"cd,e", {"ab", "cd", "e"}, nullptr},
    {"QuoteInsideUnquotedFieldStays", u"ab\"cd,e", {"ab\"cd", "e"}, nullptr},
    {"UnclosedQuoteRunsToTheEnd", u"a,\"b,c", {"a", "b,c"}, nullptr},
    {"Empty", u"", {}, u""},
    {"KenAllLine",
     u"01101,\"060  "
     u"\",\"0600001\",\"ﾎｯｶｲﾄﾞｳ\",\"ｻｯﾎﾟﾛｼ\",\"ｷﾀ\",\"北海道\",\"札幌市\",\"北一条\",0,0,"
     u"0,0,0,0",
     {"01101", "060  ", "0600001", "ﾎｯｶｲﾄﾞｳ", "ｻｯﾎﾟﾛｼ", "ｷﾀ", "北海道", "札幌市", "北一条", "0",
      "0", "0", "0", "0", "0"},
     nullptr},
};

INSTANTIATE_TEST_SUITE_P(Lines, FieldSplitting, ::testing::ValuesIn(kSplitCases),
                         [](const auto &info) { return std::string(info.param.name); });

// What a search finds because the values are written together after the line.
TEST(MatchText, RunsAcrossFieldBoundariesAndKeepsTheRawLine)
{
    const QString line = QStringLiteral("13101,\"100  "
                                        "\",\"1000001\",\"ﾄｳｷｮｳﾄ\",\"ﾁﾖﾀﾞｸ\",\"ﾁﾖﾀﾞ\",\"東京都\","
                                        "\"千代田区\",\"千代田\",0,0,0,0,0,0");
    const QString match = matchText(line);
    const struct
    {
        const char *text;
        bool found;
    } cases[] = {
        {"東京都千代田区千代田", true}, // prefecture, city and town area run together
        {"東京都千代", true},
        {"1000001", true},
        {"\"1000001\"", true}, // the raw line is searched too
        {"0,0,0", true},
        {"013101", true},          // the end of the line runs into the first value
        {"100-0001", false},       // no hyphens in the file
        {"１０００００１", false}, // full-width digits are other characters
        {"とうきょう", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(match.contains(QString::fromUtf8(c.text)), c.found) << c.text;
}

TEST(Entries, TakeCodeAndAddressFromTheirFields)
{
    postal::SplitLine split;
    split.split(u"1,2,\"12345\",3,4,5,\"東京都\",\"千代田区\",\"丸の内（１～３丁目）\"");
    const postal::PostalEntry entry = postal::entryOf(split);
    EXPECT_EQ(entry.zip, QStringLiteral("12345"));
    EXPECT_EQ(entry.address, QStringLiteral("東京都千代田区丸の内（１～３丁目）"));
    EXPECT_EQ(entry.item(), QStringLiteral("12345 東京都千代田区丸の内（１～３丁目）"));
}

TEST(Entries, CallerTakesAtMostAHundredCharacters)
{
    const QString long_ = QString(99, u'町') + QStringLiteral("丁目");
    EXPECT_EQ(postal::callerAddress(long_), QString(99, u'町') + QStringLiteral("丁"));
    EXPECT_EQ(postal::callerAddress(QStringLiteral("東京都")), QStringLiteral("東京都"));
    // A character outside the basic plane at the cut is left out whole.
    const QString pair = QString(99, u'町') + QStringLiteral("𠮷");
    EXPECT_EQ(postal::callerAddress(pair), QString(99, u'町'));
}

} // namespace
