#include <store/query.h>

#include <gtest/gtest.h>
#include <ostream>

using store::parseNamedParams;

namespace {

struct ParamCase
{
    const char *sql;
    const char *sent;
    QStringList names;
};

void PrintTo(const ParamCase &c, std::ostream *os)
{
    *os << c.sql;
}

class ParseNamedParams : public ::testing::TestWithParam<ParamCase>
{
};

TEST_P(ParseNamedParams, ReplacesOnlyRealParameters)
{
    const ParamCase &c = GetParam();
    const store::ParsedSql parsed = parseNamedParams(QString::fromUtf8(c.sql));
    EXPECT_EQ(parsed.text, QString::fromUtf8(c.sent));
    EXPECT_EQ(parsed.names, c.names);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseNamedParams,
    ::testing::Values(
        ParamCase{"select * from T where A = :mA", "select * from T where A = ?", {"MA"}},
        ParamCase{"values (:\"TKANO\", :\"TKNAME\")", "values (?, ?)", {"TKANO", "TKNAME"}},
        ParamCase{"set \"ANO\" = :\"OLD_ANO\"", "set \"ANO\" = ?", {"OLD_ANO"}},
        ParamCase{"where a = ':X' and b = :Y", "where a = ':X' and b = ?", {"Y"}},
        ParamCase{"where a = 'it''s :X' and b = :Y", "where a = 'it''s :X' and b = ?", {"Y"}},
        ParamCase{"select \"A:B\" from T where c = :C", "select \"A:B\" from T where c = ?", {"C"}},
        ParamCase{
            "select 1 -- :X\nfrom T where a = :A", "select 1 -- :X\nfrom T where a = ?", {"A"}},
        ParamCase{
            "select /* :X */ 1 from T where a=:A", "select /* :X */ 1 from T where a=?", {"A"}},
        ParamCase{"where a = :A or b = :a", "where a = ? or b = ?", {"A", "A"}},
        ParamCase{"where a = :名前", "where a = ?", {"名前"}},
        ParamCase{"where x = 'unterminated :X", "where x = 'unterminated :X", {}},
        ParamCase{"time '10:30'", "time '10:30'", {}}));

} // namespace
