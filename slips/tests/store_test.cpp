#include "slipfixture.h"

#include "denpyosql.h"

using namespace slipstest;

namespace {

TEST(DenpyoSqlTest, StatementsHaveTheirFixedLineLayout)
{
    const QStringList update = slips::denpyoUpdateSql();
    ASSERT_EQ(update.size(), 51);
    for (const QString &line : update)
        EXPECT_EQ(line.size(), 27) << line.toStdString();
    EXPECT_EQ(update[0].trimmed(), QStringLiteral("update \"DENPYO\""));
    EXPECT_EQ(update[1].trimmed(), QStringLiteral("set"));
    EXPECT_EQ(update[2], QStringLiteral("  \"TKANO\" = :\"TKANO\"").leftJustified(27));
    EXPECT_EQ(update[3], QStringLiteral(", \"TKNAME\" = :\"TKNAME\"").leftJustified(27));
    EXPECT_EQ(update[48], QStringLiteral(", \"KUBUN1\" = :\"KUBUN1\"").leftJustified(27));
    EXPECT_EQ(update[49].trimmed(), QStringLiteral("where"));
    EXPECT_EQ(update[50], QStringLiteral("  \"ANO\" = :\"OLD_ANO\"").leftJustified(27));

    const QStringList insert = slips::denpyoInsertSql();
    ASSERT_EQ(insert.size(), 100); // the fixed 99 lines and the returned number
    for (const QString &line : insert) {
        EXPECT_EQ(line.size(), 26) << line.toStdString();
        EXPECT_TRUE(line.startsWith(QStringLiteral("     "))) << line.toStdString();
    }
    EXPECT_EQ(insert[0].trimmed(), QStringLiteral("insert into \"DENPYO\""));
    EXPECT_EQ(insert[1].trimmed(), QStringLiteral("("));
    EXPECT_EQ(insert[2], QStringLiteral("       \"TKANO\"").leftJustified(26));
    EXPECT_EQ(insert[3], QStringLiteral("     , \"TKNAME\"").leftJustified(26));
    EXPECT_EQ(insert[48], QStringLiteral("     , \"KUBUN1\"").leftJustified(26));
    EXPECT_EQ(insert[49].trimmed(), QStringLiteral(")"));
    EXPECT_EQ(insert[50].trimmed(), QStringLiteral("values"));
    EXPECT_EQ(insert[51], QStringLiteral("       :\"TKANO\"").leftJustified(26));
    EXPECT_EQ(insert[52], QStringLiteral("     , :\"TKNAME\"").leftJustified(26));
    EXPECT_EQ(insert[97], QStringLiteral("     , :\"KUBUN1\"").leftJustified(26));
    EXPECT_EQ(insert[98].trimmed(), QStringLiteral(")"));
    EXPECT_EQ(insert[99].trimmed(), QStringLiteral("returning \"ANO\""));
}

} // namespace
