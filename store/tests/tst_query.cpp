#include "dbfixture.h"
#include <store/query.h>

#include <gtest/gtest.h>

using store::DbError;
using store::Query;
using testsupport::Backend;
using testsupport::DbTest;

namespace {

class QueryTest : public DbTest
{
protected:
    // Inserts one TOKUI row with the given texts and returns its ANO.
    qint64 insertTokui(const QString &name, const QString &sysday = {}, const QString &kubun = {})
    {
        Query q(db);
        q.sql().add(QStringLiteral("insert into TOKUI (TKNAME, SYSDAY, KUBUN1)"));
        q.sql().add(QStringLiteral("values (:TKNAME, :SYSDAY, :KUBUN1) returning ANO"));
        q.paramByName(QStringLiteral("TKNAME")).setAsString(name);
        q.paramByName(QStringLiteral("SYSDAY")).setAsString(sysday);
        q.paramByName(QStringLiteral("KUBUN1")).setAsString(kubun);
        q.execSql();
        db.commitRetaining();
        return q.fieldByName(QStringLiteral("ANO")).asInteger();
    }

    // Reads a column of a TOKUI row as text.
    QString readTokui(qint64 ano, const QString &column)
    {
        Query q(db);
        q.sql().add(QStringLiteral("select * from TOKUI where ANO = :ANO"));
        q.paramByName(QStringLiteral("ANO")).setAsInteger(ano);
        q.open();
        EXPECT_FALSE(q.eof());
        return q.fieldByName(column).asString();
    }

    int countTokui()
    {
        Query q(db);
        q.sql().add(QStringLiteral("select count(*) as N from TOKUI"));
        q.open();
        return static_cast<int>(q.fieldByName(QStringLiteral("N")).asInteger());
    }
};

TEST_P(QueryTest, ServerAssignsFreshKeys)
{
    const qint64 a = insertTokui(QStringLiteral("一"));
    const qint64 b = insertTokui(QStringLiteral("二"));
    EXPECT_GT(a, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(readTokui(b, QStringLiteral("TKNAME")), QStringLiteral("二"));
}

TEST_P(QueryTest, TextRoundTripsExactly)
{
    const QString name = QStringLiteral("㈱髙﨑商店①　ｶﾅ \\1,500 'x\" 😀");
    const qint64 ano = insertTokui(name);
    EXPECT_EQ(readTokui(ano, QStringLiteral("TKNAME")), name);
}

TEST_P(QueryTest, ValuesOfNonTextColumnsConvertOnTheWay)
{
    struct Case
    {
        QString sysday, kubun;
        QString readDay, readKubun;
    } cases[] = {
        {QStringLiteral("2024/03/05"), QStringLiteral("7"), QStringLiteral("2024/03/05"),
         QStringLiteral("7")},
        {QStringLiteral("2024/3/5"), QStringLiteral("-12"), QStringLiteral("2024/03/05"),
         QStringLiteral("-12")},
        {QString(), QString(), QString(), QString()}, // empty text stores NULL
        {QStringLiteral("2000/02/29"), QStringLiteral(" 3 "), QStringLiteral("2000/02/29"),
         QStringLiteral("3")},
    };
    for (const Case &c : cases) {
        const qint64 ano = insertTokui(QStringLiteral("x"), c.sysday, c.kubun);
        EXPECT_EQ(readTokui(ano, QStringLiteral("SYSDAY")), c.readDay) << c.sysday.toStdString();
        EXPECT_EQ(readTokui(ano, QStringLiteral("KUBUN1")), c.readKubun) << c.kubun.toStdString();
    }
}

TEST_P(QueryTest, RefusedValuesFailTheStatementAndLeaveTheTransactionUsable)
{
    struct Case
    {
        QString name, sysday, kubun;
        QString messagePart;
    } cases[] = {
        {QStringLiteral("x"),
         QStringLiteral("2024/02/30"),
         {},
         QStringLiteral("日付に変換できない値")},
        {QStringLiteral("x"),
         QStringLiteral("    /  /  "),
         {},
         QStringLiteral("日付に変換できない値")},
        {QStringLiteral("x"),
         QStringLiteral("2024-03-05"),
         {},
         QStringLiteral("日付に変換できない値")},
        {QStringLiteral("x"),
         QStringLiteral("２０２４/03/05"),
         {},
         QStringLiteral("日付に変換できない値")},
        {QStringLiteral("x"), {}, QStringLiteral("abc"), {}},   // server's conversion error
        {QStringLiteral("x"), {}, QStringLiteral("99999"), {}}, // out of smallint range
        {QString(51, QChar(0x9AD9)), {}, {}, {}},               // too long for TKNAME
    };
    const int before = countTokui();
    for (const Case &c : cases) {
        try {
            insertTokui(c.name, c.sysday, c.kubun);
            ADD_FAILURE() << "accepted " << c.sysday.toStdString() << c.kubun.toStdString();
        } catch (const DbError &e) {
            db.rollbackRetaining();
            EXPECT_TRUE(e.message().contains(c.messagePart)) << e.what();
        }
    }
    EXPECT_EQ(countTokui(), before);
    const qint64 ano = insertTokui(QStringLiteral("after"), QStringLiteral("2024/12/31"));
    EXPECT_EQ(readTokui(ano, QStringLiteral("SYSDAY")), QStringLiteral("2024/12/31"));
}

TEST_P(QueryTest, CommitRetainingKeepsTheTransactionAndRollbackRetainingDiscards)
{
    Query q(db);
    q.sql().add(QStringLiteral("insert into TOKUI (TKNAME) values (:TKNAME)"));
    q.paramByName(QStringLiteral("TKNAME")).setAsString(QStringLiteral("kept"));
    q.execSql();
    EXPECT_EQ(q.rowsAffected(), 1);
    db.commitRetaining();
    EXPECT_TRUE(db.inTransaction());
    q.paramByName(QStringLiteral("TKNAME")).setAsString(QStringLiteral("dropped"));
    q.execSql();
    db.rollbackRetaining();
    EXPECT_TRUE(db.inTransaction());

    store::Database other;
    other.setParams(params());
    Query r(other);
    r.sql().add(QStringLiteral("select TKNAME from TOKUI order by ANO"));
    r.open();
    QStringList names;
    for (; !r.eof(); r.next())
        names << r.fieldByName(QStringLiteral("TKNAME")).asString();
    EXPECT_EQ(names, QStringList{QStringLiteral("kept")});
}

TEST_P(QueryTest, UpdateReportsRowsAffected)
{
    const qint64 ano = insertTokui(QStringLiteral("a"));
    Query q(db);
    q.sql().add(QStringLiteral("update \"TOKUI\" set \"TKNAME\" = :\"TKNAME\""));
    q.sql().add(QStringLiteral("where \"ANO\" = :\"OLD_ANO\""));
    q.paramByName(QStringLiteral("TKNAME")).setAsString(QStringLiteral("b"));
    q.paramByName(QStringLiteral("OLD_ANO")).setAsString(QString::number(ano));
    q.execSql();
    EXPECT_EQ(q.rowsAffected(), 1);
    q.paramByName(QStringLiteral("OLD_ANO")).setAsString(QStringLiteral("999999"));
    q.execSql();
    EXPECT_EQ(q.rowsAffected(), 0);
}

TEST_P(QueryTest, DisconnectClosesQueriesAndTheNextQueryReconnects)
{
    insertTokui(QStringLiteral("a"));
    Query q(db);
    q.sql().add(QStringLiteral("select * from TOKUI where TKNAME like :P"));
    q.paramByName(QStringLiteral("P")).setAsString(QStringLiteral("a%"));
    q.open();
    ASSERT_FALSE(q.eof());
    db.disconnect();
    EXPECT_FALSE(q.isOpen());
    EXPECT_FALSE(db.connected());
    q.open(); // parameters survive, the connection comes back on demand
    EXPECT_TRUE(db.connected());
    EXPECT_EQ(q.fieldByName(QStringLiteral("TKNAME")).asString(), QStringLiteral("a"));
}

TEST_P(QueryTest, ReadingUnknownNamesAndBadIntegersRaises)
{
    const qint64 ano = insertTokui(QStringLiteral("abc"));
    Query q(db);
    q.sql().add(QStringLiteral("select * from TOKUI where ANO = :ANO"));
    q.paramByName(QStringLiteral("ANO")).setAsInteger(ano);
    q.open();
    EXPECT_THROW(q.fieldByName(QStringLiteral("NOPE")), DbError);
    EXPECT_THROW(q.paramByName(QStringLiteral("NOPE")), DbError);
    try {
        q.fieldByName(QStringLiteral("TKNAME")).asInteger();
        ADD_FAILURE();
    } catch (const DbError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("''abc'' は整数ではありません"));
    }
    EXPECT_EQ(q.fieldByName(QStringLiteral("ano")).asInteger(), ano); // names ignore case
}

// A statement whose placeholders the parser cannot see ('?', or ':var' inside PSQL) must
// fail every time, never bind past its parameter buffers on the second try.
TEST_P(QueryTest, ParameterCountMismatchFailsEveryTime)
{
    const struct
    {
        const char *sql;
    } cases[] = {
        {"select * from TOKUI where ANO = ?"},
        {"select * from TOKUI where TKNAME = :N and ANO = ?"},
    };
    for (const auto &c : cases) {
        Query q(db);
        q.sql().add(QString::fromLatin1(c.sql));
        for (const QString &name : q.paramNames())
            q.paramByName(name).setAsString(QStringLiteral("x"));
        for (int attempt = 0; attempt < 3; ++attempt) {
            EXPECT_THROW(q.open(), DbError) << c.sql << " attempt " << attempt;
            EXPECT_THROW(q.execSql(), DbError) << c.sql << " attempt " << attempt;
        }
    }
    EXPECT_EQ(countTokui(), 0); // the transaction is still usable
}

TEST_P(QueryTest, SelectStarExposesEveryColumnByName)
{
    Query q(db);
    q.sql().add(QStringLiteral("select * from DENPYO"));
    q.open();
    EXPECT_TRUE(q.eof());
    const QStringList names = q.fieldNames();
    for (const char *c : {"ANO", "TKANO", "TKNAME", "TKZIP", "YMD", "VYMD", "HINMEI1", "TEKIYO7",
                          "GOKEI", "TAX", "TOTAL", "KUBUN1"})
        EXPECT_TRUE(names.contains(QLatin1String(c))) << c;
    EXPECT_EQ(q.fieldByName(QStringLiteral("GOKEI")).asString(), QString());
}

// Records what a query tells its observers, as "Reset", "RowsFetched 1-2", "CurrentRow 3".
class RecordingObserver : public store::QueryObserver
{
public:
    QStringList heard;
    void queryChanged(store::QueryChange change, qsizetype first, qsizetype last) noexcept override
    {
        static const char *const names[] = {"Reset", "RowsFetched", "CurrentRow", "Destroyed"};
        QString s = QLatin1String(names[int(change)]);
        if (change == store::QueryChange::RowsFetched)
            s += QStringLiteral(" %1-%2").arg(first).arg(last);
        else if (change == store::QueryChange::CurrentRow)
            s += QStringLiteral(" %1").arg(first);
        heard << s;
    }
};

TEST_P(QueryTest, FetchedRowsStayAndTheCurrentRowMovesBothWays)
{
    for (const char *name : {"a", "b", "c", "d", "e"})
        insertTokui(QString::fromLatin1(name));
    insertTokui(QString()); // an empty name reads as ""
    Query q(db);
    q.sql().add(QStringLiteral("select TKNAME, SYSDAY from TOKUI order by TKNAME nulls last"));
    q.open();
    EXPECT_EQ(q.rowCount(), 1) << "rows come on demand";
    EXPECT_EQ(q.currentRow(), 0);
    auto name = [&q] {
        return q.fieldByName(QStringLiteral("TKNAME")).asString();
    };
    EXPECT_EQ(name(), QString());

    ASSERT_TRUE(q.setCurrentRow(4));
    EXPECT_EQ(q.rowCount(), 5);
    EXPECT_EQ(name(), QStringLiteral("d"));
    ASSERT_TRUE(q.setCurrentRow(2));
    EXPECT_EQ(name(), QStringLiteral("b"));
    q.next();
    EXPECT_EQ(name(), QStringLiteral("c"));
    EXPECT_FALSE(q.setCurrentRow(9));
    EXPECT_EQ(q.currentRow(), 3) << "a row that is not there leaves the current one";
    EXPECT_TRUE(q.allFetched());
    EXPECT_EQ(q.rowCount(), 6);
    EXPECT_EQ(q.textAt(5, 0), QStringLiteral("e"));
    EXPECT_TRUE(q.isNullAt(5, 1));
    EXPECT_EQ(q.textAt(6, 0), QString());
    EXPECT_EQ(q.fieldIndex(QStringLiteral("sysday")), 1);

    ASSERT_TRUE(q.setCurrentRow(5));
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.currentRow(), -1);
    EXPECT_TRUE(q.fieldByName(QStringLiteral("TKNAME")).isNull());
    ASSERT_TRUE(q.setCurrentRow(1)) << "a grid may go back after the end";
    EXPECT_FALSE(q.eof());
    EXPECT_EQ(name(), QStringLiteral("a"));

    q.close();
    EXPECT_EQ(q.rowCount(), 0);
    EXPECT_EQ(q.currentRow(), -1);
    EXPECT_FALSE(q.setCurrentRow(0));
}

TEST_P(QueryTest, ObserversHearOfEveryChangeOfTheResult)
{
    for (const char *name : {"a", "b", "c"})
        insertTokui(QString::fromLatin1(name));
    RecordingObserver seen;
    {
        Query q(db);
        q.addObserver(&seen);
        q.sql().add(QStringLiteral("select TKNAME from TOKUI order by TKNAME"));
        q.open();
        q.fetchMore(10);
        q.setCurrentRow(2);
        q.setCurrentRow(2); // no move, nothing to tell
        q.next();           // past the end
        q.open();           // run again: one reset, not two
        q.close();
        q.close(); // already closed
        q.open();
        db.disconnect(); // closes every query
        EXPECT_EQ(seen.heard, (QStringList{"Reset", "RowsFetched 1-2", "CurrentRow 2",
                                           "CurrentRow -1", "Reset", "Reset", "Reset", "Reset"}));
        seen.heard.clear();
        q.sql().clear();
        q.sql().add(QStringLiteral("select nothing from NOWHERE"));
        EXPECT_THROW(q.open(), DbError);
        EXPECT_TRUE(seen.heard.isEmpty()) << "a closed query that fails to open stays empty";
    }
    EXPECT_EQ(seen.heard, QStringList{"Destroyed"});
}

TEST_P(QueryTest, DeclaredFieldsReadAsNullUntilTheServersColumnsArrive)
{
    insertTokui(QStringLiteral("a"));
    Query q(db);
    q.declareFields({QStringLiteral("ANO"), QStringLiteral("TKNAME")});
    EXPECT_EQ(q.fieldByName(QStringLiteral("TKNAME")).asString(), QString());
    EXPECT_EQ(q.fieldByName(QStringLiteral("ANO")).asInteger(), 0);
    q.sql().add(QStringLiteral("select TKNAME, TKTEL from TOKUI"));
    q.open();
    EXPECT_EQ(q.fieldByName(QStringLiteral("TKNAME")).asString(), QStringLiteral("a"));
    EXPECT_THROW(q.fieldByName(QStringLiteral("ANO")), DbError);
    db.disconnect();
    EXPECT_EQ(q.fieldByName(QStringLiteral("TKTEL")).asString(), QString())
        << "a closed query keeps its columns";
}

TEST_P(QueryTest, PlanShowsWhetherAnIndexIsUsed)
{
    Query q(db);
    q.sql().add(QStringLiteral("select * from TOKUI where TKNAME starting with :P"));
    EXPECT_TRUE(q.plan().contains(QStringLiteral("IX_TOKUI_TKNAME"))) << q.plan().toStdString();
    q.sql().clear();
    q.sql().add(QStringLiteral("select * from TOKUI where TKTEL = :P"));
    EXPECT_TRUE(q.plan().contains(QStringLiteral("NATURAL"))) << q.plan().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, QueryTest, ::testing::Values(Backend::Embedded, Backend::Server),
                         testsupport::backendName);

} // namespace
