// Slip form timings on a database of 100,000 slips: opening a stored slip (creating the form
// and loading it) and saving it.
#include <slips/denpyo.h>
#include <store/dmib.h>
#include <store/query.h>
#include <store/schema.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kSlips = 100000;
constexpr int kRuns = 25;

class QuietDenpyo : public slips::TDenpyo
{
public:
    using TDenpyo::TDenpyo;
    QString last;

protected:
    void showMessage(const QString &text) override { last = text; }
    bool askYesNo(const QString &) override { return true; }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void fill(store::Database &db)
{
    // One statement fills the table inside the server: no round trip per slip.
    store::Query q(db);
    // 100,000 numbers from five joined digit tables; variables of a block would need
    // colons, which the query layer reads as parameters.
    static_assert(kSlips == 100000);
    q.sql().add(QStringLiteral(
        "insert into DENPYO (TKANO, TKNAME, TKZIP, TKADDR1, TKADDR2, TKTEL, YMD, VYMD,\n"
        "  HINMEI1, SURYO1, TANKA1, KINGAKU1, TEKIYO1, HINMEI2, SURYO2, TANKA2, KINGAKU2,\n"
        "  GOKEI, TAX, TOTAL, KUBUN1)\n"
        "with recursive d (x) as (select 0 from rdb$database union all\n"
        "  select x + 1 from d where x < 9),\n"
        "n (i) as (select a.x + 10 * b.x + 100 * c.x + 1000 * e.x + 10000 * f.x\n"
        "  from d a cross join d b cross join d c cross join d e cross join d f)\n"
        "select mod(i, 500) + 1, '得意先' || mod(i, 2000), '123-4567', '東京都千代田区',\n"
        "  '神田1-2-3', '03-1234-5678', dateadd(mod(i, 3650) day to date '2016-01-01'),\n"
        "  dateadd(mod(i, 3650) day to date '2016-01-01'), 'りんご', '3', '1,280', '3,840',\n"
        "  '青森産', 'みかん', '2', '350', '700', 4540, 363, 4903, 1\n"
        "from n"));
    if (!db.connected())
        db.connect();
    if (!db.inTransaction())
        db.startTransaction();
    q.execSql();
    db.commitRetaining();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    store::SettingsStore settings(dir.filePath(QStringLiteral("ZORIKADESK.ini")));
    settings.WrRed(QStringLiteral("TAX"), QStringLiteral("8"));
    store::TDMIB dmib(settings, store::ConnectionParams{dir.filePath(QStringLiteral("ZORIKA"))});
    store::DMIB = &dmib;
    store::openOrCreate(dmib.IBDatabase1);

    QElapsedTimer timer;
    timer.start();
    fill(dmib.IBDatabase1);
    std::printf("fill_slips_ms: %lld\n", static_cast<long long>(timer.elapsed()));

    std::vector<double> open, openShown, save, insert;
    double first = -1;
    for (int run = 0; run < kRuns; ++run) {
        const int ano = 1 + (run * 7919) % kSlips;
        timer.restart();
        auto form = std::make_unique<QuietDenpyo>();
        form->GetDenpyo(ano);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (form->ANO->text() != QString::number(ano)) {
            std::fprintf(stderr, "slip %d not found\n", ano);
            return 1;
        }
        if (first < 0)
            first = ms;
        open.push_back(ms);
        form->show();
        QCoreApplication::processEvents();
        openShown.push_back(double(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        form->BitBtn3Click();
        save.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (form->last != QStringLiteral("登録しました")) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }

        form->ANO->clear(); // the same slip saved as a new one
        timer.restart();
        form->BitBtn3Click();
        insert.push_back(double(timer.nsecsElapsed()) / 1e6);
        form->hide();
    }
    std::printf("slip_open_ms: %.1f\n", median(open));
    std::printf("slip_open_first_ms: %.1f\n", first);
    std::printf("slip_open_shown_ms: %.1f\n", median(openShown));
    std::printf("slip_save_ms: %.1f\n", median(save));
    std::printf("slip_save_new_ms: %.1f\n", median(insert));
    dmib.IBDatabase1.disconnect();
    store::DMIB = nullptr;
    return 0;
}
