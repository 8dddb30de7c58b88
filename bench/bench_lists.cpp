// List timings: the slip list over 100,000 slips (a month, a name beginning) and the customer
// list over 20,000 customers, each from pressing the search button until every matching row
// is in the grid. The name searches must use their index; the benchmark fails otherwise.
#include <customers/litokui.h>
#include <slips/lidenpyo.h>
#include <slips/slipsearch.h>
#include <store/dmib.h>
#include <store/query.h>
#include <store/schema.h>
#include <ui/dbgrid.h>
#include <ui/widgets.h>
#include <ui/zdapplication.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 15;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void exec(store::Database &db, const QString &sql)
{
    store::Query q(db);
    q.sql().add(sql);
    if (!db.inTransaction())
        db.startTransaction();
    q.execSql();
    db.commitRetaining();
}

// Digits 0..9 as a table; five of them joined give 100,000 numbers in one statement (a
// recursion of that depth is refused by the server).
const char *const kDigits = "with recursive d (x) as (select 0 from rdb$database union all\n"
                            "  select x + 1 from d where x < 9)\n";

void fill(store::Database &db)
{
    exec(db, QString::fromLatin1(kDigits) +
                 QStringLiteral("select 1 from rdb$database where 1 = 0")); // warms the connection
    exec(db, QStringLiteral(
                 "insert into DENPYO (TKANO, TKNAME, TKZIP, TKADDR1, TKADDR2, TKTEL, YMD, VYMD,\n"
                 "  HINMEI1, SURYO1, TANKA1, KINGAKU1, GOKEI, TAX, TOTAL, KUBUN1)\n") +
                 QString::fromLatin1(kDigits) +
                 QStringLiteral(
                     ", n (i) as (select a.x + 10 * b.x + 100 * c.x + 1000 * e.x + 10000 * f.x\n"
                     "  from d a cross join d b cross join d c cross join d e cross join d f)\n"
                     "select mod(i, 500) + 1, '得意先' || mod(i * 7, 2000), '123-4567',\n"
                     "  '東京都千代田区', '神田1-2-3', '03-1234-5678',\n"
                     "  dateadd(mod(i, 3650) day to date '2016-01-01'),\n"
                     "  dateadd(mod(i, 3650) day to date '2016-01-01'),\n"
                     "  'りんご', '3', '1,280', '3,840', 3840, 307, 4147, 1\n"
                     "from n"));
    exec(db,
         QStringLiteral("insert into TOKUI (TKCODE, TKNAME, TKNAMEK, TKZIP, TKADDR1, TKADDR2,\n"
                        "  TKTEL, SYSDAY, KUBUN1)\n") +
             QString::fromLatin1(kDigits) +
             QStringLiteral(
                 ", n (i) as (select a.x + 10 * b.x + 100 * c.x + 1000 * e.x + 10000 * f.x\n"
                 "  from d a cross join d b cross join d c cross join d e cross join d f\n"
                 "  where f.x < 2)\n"
                 "select 'C' || i, '顧客' || i || '商店', 'ｺｷｬｸ', '100-0001', '東京都千代田区',\n"
                 "  '千代田1-1', '03-0000-0000', date '2024-01-01', 1\n"
                 "from n"));
    // Statistics for the new rows, so that the optimiser weighs the indexes as a shop's
    // database would have them after a while.
    for (const char *index : {"IX_DENPYO_YMD", "IX_DENPYO_TKNAME", "IX_TOKUI_TKNAME"})
        exec(db, QStringLiteral("set statistics index %1").arg(QLatin1String(index)));
}

// Runs a search and fetches every matching row into the grid; returns ms and the row count.
double timeSearch(const std::function<void()> &press, ui::DbGrid *grid, int *rows)
{
    QElapsedTimer timer;
    timer.start();
    press();
    ui::QueryModel *m = grid->queryModel();
    while (m->canFetchMore({}))
        m->fetchMore({});
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    *rows = m->rowCount();
    return ms;
}

bool usesIndex(store::Query &q, const char *index)
{
    const QString plan = q.plan();
    std::fprintf(stderr, "plan: %s\n", plan.toUtf8().constData());
    return plan.contains(QLatin1String(index)) && !plan.contains(QStringLiteral("NATURAL"));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::ZdApplication app(argc, argv);
    bool failed = false;
    ui::ZdApplication::setErrorHandler([&](const QString &message) {
        std::fprintf(stderr, "error: %s\n", message.toUtf8().constData());
        failed = true;
    });
    ui::ZdApplication::setMessageHandler([](const QString &) {}); // the name message
    QTemporaryDir dir;
    store::SettingsStore settings(dir.filePath(QStringLiteral("ZORIKADESK.ini")));
    store::TDMIB dmib(settings, store::ConnectionParams{dir.filePath(QStringLiteral("ZORIKA"))});
    store::DMIB = &dmib;
    store::openOrCreate(dmib.IBDatabase1);

    QElapsedTimer timer;
    timer.start();
    fill(dmib.IBDatabase1);
    std::printf("fill_ms: %lld\n", static_cast<long long>(timer.elapsed()));

    int rows = 0;
    {
        slips::TLiDenpyo list;
        list.show();
        QCoreApplication::processEvents();
        std::vector<double> month, name;
        for (int run = 0; run < kRuns; ++run) {
            list.Y1->setText(QString::number(2016 + run % 9));
            list.M1->setText(QString::number(1 + run % 12));
            list.Edit1->clear();
            month.push_back(timeSearch([&] { list.BitBtn1Click(); }, list.DBGrid1, &rows));
            if (rows < 700 || rows > 1000) {
                std::fprintf(stderr, "a month gave %d slips\n", rows);
                return 1;
            }
        }
        if (!usesIndex(*list.QDenpyo(), "IX_DENPYO_YMD"))
            return 1;
        for (int run = 0; run < kRuns; ++run) {
            list.Y1->clear();
            list.M1->clear();
            // 得意先1nn begins 11 names of 50 slips each: 1nn and 1nn0 to 1nn9.
            list.Edit1->setText(QStringLiteral("得意先%1").arg(100 + run * 6));
            name.push_back(timeSearch([&] { list.BitBtn1Click(); }, list.DBGrid1, &rows));
            if (rows != 550) {
                std::fprintf(stderr, "a name beginning gave %d slips\n", rows);
                return 1;
            }
        }
        if (!usesIndex(*list.QDenpyo(), "IX_DENPYO_TKNAME"))
            return 1;
        std::printf("slip_month_ms: %.1f\n", median(month));
        std::printf("slip_name_ms: %.1f\n", median(name));
    }
    {
        customers::TLiTokui list;
        list.show();
        QCoreApplication::processEvents();
        std::vector<double> times;
        for (int run = 0; run < kRuns; ++run) {
            list.LabeledEdit1->setText(QString::number(100 + run * 61));
            times.push_back(timeSearch([&] { list.BitBtn1Click(); }, list.DBGrid1, &rows));
            if (rows < 10) {
                std::fprintf(stderr, "a customer search gave %d customers\n", rows);
                return 1;
            }
        }
        std::printf("customer_search_ms: %.1f\n", median(times));
        std::printf("customer_search_rows: %d\n", rows);
    }
    dmib.IBDatabase1.disconnect();
    store::DMIB = nullptr;
    return failed ? 1 : 0;
}
