#include <slips/sliprecord.h>

#include <slips/denpyosql.h>
#include <store/query.h>
#include <store/save.h>

namespace slips {

namespace {

const char *const kCellPrefixes[] = {"HINMEI", "SURYO", "TANKA", "KINGAKU", "TEKIYO"};

// Closes the query and clears its text when the work with it ends, also by an error.
struct QueryReset
{
    store::Query &q;
    ~QueryReset()
    {
        q.close();
        q.sql().clear();
    }
};

} // namespace

QString SlipRecord::cellColumn(int column, int line)
{
    return QString::fromLatin1(kCellPrefixes[column - 1]) + QString::number(line);
}

std::optional<Slip> SlipRecord::load(store::Query &q, int ano)
{
    q.close();
    q.sql().clear();
    const QueryReset reset{q};
    for (const QString &line : denpyoSelectSql())
        q.sql().add(line);
    q.paramByName(QStringLiteral("ANO")).setAsString(QString::number(ano));
    q.open();
    if (q.eof())
        return std::nullopt;
    auto field = [&q](const QString &name) {
        return q.fieldByName(name).asString();
    };
    Slip s;
    s.ano = field(QStringLiteral("ANO"));
    s.tkano = field(QStringLiteral("TKANO"));
    s.name = field(QStringLiteral("TKNAME"));
    s.zip = field(QStringLiteral("TKZIP"));
    s.addr1 = field(QStringLiteral("TKADDR1"));
    s.addr2 = field(QStringLiteral("TKADDR2"));
    s.tel = field(QStringLiteral("TKTEL"));
    s.ymd = field(QStringLiteral("YMD"));
    (void)field(QStringLiteral("VYMD")); // written with YMD, shown nowhere
    s.gokei = field(QStringLiteral("GOKEI"));
    s.tax = field(QStringLiteral("TAX"));
    s.total = field(QStringLiteral("TOTAL"));
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= kLineCount; ++r)
            s.cells[size_t(r - 1)][size_t(c - 1)] = field(cellColumn(c, r));
    return s;
}

QString SlipRecord::save(store::Database &db, store::Query &q, const Slip &slip, const QDate &today)
{
    const bool update = !slip.ano.isEmpty();
    q.close();
    q.sql().clear();
    const QueryReset reset{q};
    for (const QString &line : update ? denpyoUpdateSql() : denpyoInsertSql())
        q.sql().add(line);

    // The date box is converted here: its blanks, and full-width digits that a mask lets
    // through, must fail the save instead of reaching the store.
    const QDate date = SlipCalc::readDate(slip.ymd, today);
    if (!date.isValid())
        throw SlipSaveError("日付に変換できない値が渡されました");
    const QString dateText = date.toString(QStringLiteral("yyyy/MM/dd"));

    auto set = [&q](const QString &name, const QString &text) {
        q.paramByName(name).setAsString(text);
    };
    // The boxes show 4,903; the store takes the whole number.
    auto whole = [](QString text) {
        return text.remove(QLatin1Char(','));
    };
    set(QStringLiteral("TKANO"), slip.tkano);
    set(QStringLiteral("TKNAME"), slip.name);
    set(QStringLiteral("TKZIP"), slip.zip);
    set(QStringLiteral("TKADDR1"), slip.addr1);
    set(QStringLiteral("TKADDR2"), slip.addr2);
    set(QStringLiteral("TKTEL"), slip.tel);
    set(QStringLiteral("YMD"), dateText);
    set(QStringLiteral("VYMD"), dateText);
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= kLineCount; ++r)
            set(cellColumn(c, r), slip.cells[size_t(r - 1)][size_t(c - 1)]);
    set(QStringLiteral("GOKEI"), whole(slip.gokei));
    set(QStringLiteral("TAX"), whole(slip.tax));
    set(QStringLiteral("TOTAL"), whole(slip.total));
    set(QStringLiteral("KUBUN1"), QStringLiteral("1"));
    if (update)
        set(QStringLiteral("OLD_ANO"), slip.ano);

    return store::saveRetaining(db, [&] {
        q.execSql();
        // An update that matched no row (a number typed by hand, a slip deleted meanwhile)
        // stored nothing and must not count as saved.
        if (q.rowsAffected() < 1)
            throw SlipSaveError("no slip has this number");
        const QString ano = update ? slip.ano : q.fieldByName(QStringLiteral("ANO")).asString();
        if (ano.isEmpty())
            throw SlipSaveError("the store assigned no number");
        return ano;
    });
}

} // namespace slips
