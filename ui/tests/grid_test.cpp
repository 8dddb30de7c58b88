#include <store/tests/dbfixture.h>
#include <ui/dbgrid.h>

#include <store/query.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

using store::Query;
using testsupport::Backend;
using testsupport::DbTest;
using ui::DbGrid;
using ui::GridColumn;
using ui::QueryModel;

namespace {

TEST(QueryModelDisplay, ValuesShowInTheirColumnsFormat)
{
    using F = GridColumn::Format;
    const struct
    {
        F format;
        const char *value, *shown;
    } cases[] = {
        {F::Money, "0", "0"},
        {F::Money, "999", "999"},
        {F::Money, "1000", "1,000"},
        {F::Money, "-1234567", "-1,234,567"},
        {F::Money, "2147483647", "2,147,483,647"},
        {F::Money, "", ""},       // NULL
        {F::Money, "12a", "12a"}, // never lost, only left unformatted
        {F::Date, "2024/03/05", "2024/03/05"},
        {F::Date, "", ""},
        {F::Text, "1000", "1000"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QueryModel::displayText(c.format, QString::fromUtf8(c.value)),
                  QString::fromUtf8(c.shown))
            << c.value;
}

class GridTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        if (IsSkipped())
            return;
        // 600 customers 0000 .. 0599, KUBUN1 = the number times 100 for a money column.
        Query q(db);
        q.sql().add(QStringLiteral(
            "insert into TOKUI (TKNAME, KUBUN1, SYSDAY)\n"
            "with recursive n (i) as (select 0 from rdb$database union all\n"
            "  select i + 1 from n where i < 599)\n"
            "select lpad(i, 4, '0'), mod(i, 300) * 100, dateadd(i day to date '2024-01-01')\n"
            "from n"));
        q.execSql();
        db.commitRetaining();
        query = std::make_unique<Query>(db);
        query->sql().add(QStringLiteral("select * from TOKUI order by TKNAME"));
        grid = std::make_unique<DbGrid>();
        grid->resize(500, 300);
        grid->setQuery(query.get(), {{QStringLiteral("TKNAME"), QStringLiteral("得意先名"), 120},
                                     {QStringLiteral("KUBUN1"), QStringLiteral("区分"), 0, 8,
                                      GridColumn::Format::Money, Qt::AlignRight},
                                     {QStringLiteral("SYSDAY"), QStringLiteral("編集日"), 0, 10,
                                      GridColumn::Format::Date}});
        grid->show();
        QApplication::setActiveWindow(grid.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(grid.get()));
    }

    QString shown(int row, int column)
    {
        return grid->model()->index(row, column).data().toString();
    }
    QString queryName() { return query->fieldByName(QStringLiteral("TKNAME")).asString(); }

    std::unique_ptr<Query> query;
    std::unique_ptr<DbGrid> grid;
};

TEST_P(GridTest, CurrentRowOfTheGridIsTheQuerysInBothDirections)
{
    EXPECT_EQ(grid->model()->rowCount(), 0) << "a closed query shows an empty grid";
    query->open();
    QCoreApplication::processEvents();
    ASSERT_GT(grid->model()->rowCount(), 5) << "the visible rows are fetched";
    EXPECT_EQ(grid->currentIndex().row(), 0) << "the first row is current after opening";
    EXPECT_EQ(shown(0, 0), QStringLiteral("0000"));

    grid->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(grid.get(), Qt::Key_Down);
    EXPECT_EQ(query->currentRow(), 3);
    EXPECT_EQ(queryName(), QStringLiteral("0003"));
    EXPECT_EQ(grid->model()->headerData(3, Qt::Vertical).toString(), QStringLiteral("▶"));
    EXPECT_EQ(grid->model()->headerData(0, Qt::Vertical).toString(), QString());

    ASSERT_TRUE(query->setCurrentRow(12));
    EXPECT_EQ(grid->currentIndex().row(), 12);
    query->next();
    EXPECT_EQ(grid->currentIndex().row(), 13);

    // Clicking a row makes it the query's.
    const QRect cell = grid->visualRect(grid->model()->index(5, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(queryName(), QStringLiteral("0005"));
    EXPECT_EQ(shown(5, 1), QStringLiteral("500"));
    EXPECT_EQ(shown(4, 2), QStringLiteral("2024/01/05"));

    // Paging down to the end fetches the rest on the way.
    for (int i = 0; i < 100 && query->currentRow() < 599; ++i) {
        QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(grid->model()->rowCount(), 600);
    EXPECT_EQ(queryName(), QStringLiteral("0599"));
    EXPECT_EQ(shown(599, 1), QStringLiteral("29,900"));

    query->open(); // run again: back to the first row
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(queryName(), QStringLiteral("0000"));
    query->close();
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_FALSE(grid->currentIndex().isValid());
}

TEST_P(GridTest, GridIsReadOnlyWithCentredTitlesAndGivenWidths)
{
    query->open();
    QCoreApplication::processEvents();
    QAbstractItemModel *m = grid->model();
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("得意先名"));
    EXPECT_EQ(m->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignCenter);
    EXPECT_FALSE(m->flags(m->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(grid->columnWidth(0), 120);
    EXPECT_GE(grid->columnWidth(2),
              grid->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")));
    EXPECT_TRUE(m->data(m->index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);
    grid->setFocus();
    QTest::keyClicks(grid.get(), QStringLiteral("x"));
    QTest::keyClick(grid.get(), Qt::Key_F2);
    EXPECT_EQ(shown(0, 0), QStringLiteral("0000"));
    EXPECT_EQ(QApplication::focusWidget(), grid.get()) << "no cell editor opened";
}

TEST_P(GridTest, GridOutlivesItsQuery)
{
    query->open();
    QCoreApplication::processEvents();
    query.reset();
    EXPECT_EQ(grid->model()->rowCount(), 0);
    grid->viewport()->repaint();
    QTest::keyClick(grid.get(), Qt::Key_Down);
    db.disconnect();
    SUCCEED();
}

INSTANTIATE_TEST_SUITE_P(Backends, GridTest, ::testing::Values(Backend::Embedded, Backend::Server),
                         testsupport::backendName);

} // namespace
