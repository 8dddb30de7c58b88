#include <store/tables.h>

namespace store {

const QList<Column> &tokuiColumns()
{
    static const QList<Column> columns = {
        {QStringLiteral("TKCODE"), Column::Text, 20},
        {QStringLiteral("TKNAME"), Column::Text, 50},
        {QStringLiteral("TKNAMEK"), Column::Text, 50},
        {QStringLiteral("TKZIP"), Column::Text, 10},
        {QStringLiteral("TKADDR1"), Column::Text, 50},
        {QStringLiteral("TKADDR2"), Column::Text, 50},
        {QStringLiteral("TKTEL"), Column::Text, 20},
        {QStringLiteral("TKFAX"), Column::Text, 20},
        {QStringLiteral("KEITAI"), Column::Text, 20},
        {QStringLiteral("TKBIKO"), Column::Text, 30},
        {QStringLiteral("SYSDAY"), Column::Date},
        {QStringLiteral("KUBUN1"), Column::SmallInt},
    };
    return columns;
}

const QList<Column> &denpyoColumns()
{
    static const QList<Column> columns = [] {
        QList<Column> c = {
            {QStringLiteral("TKANO"), Column::Integer},
            {QStringLiteral("TKNAME"), Column::Text, 50},
            {QStringLiteral("TKZIP"), Column::Text, 10},
            {QStringLiteral("TKADDR1"), Column::Text, 50},
            {QStringLiteral("TKADDR2"), Column::Text, 50},
            {QStringLiteral("TKTEL"), Column::Text, 20},
            {QStringLiteral("YMD"), Column::Date},
            {QStringLiteral("VYMD"), Column::Date},
        };
        // A grid cell has no limit of its own: these are generous for what a shop writes on
        // one line and keep a row well inside the page.
        const struct
        {
            const char *prefix;
            int width;
        } lineColumns[] = {
            {"HINMEI", 200}, {"SURYO", 40}, {"TANKA", 40}, {"KINGAKU", 40}, {"TEKIYO", 100}};
        for (const auto &l : lineColumns)
            for (int n = 1; n <= 7; ++n)
                c.append(
                    {QString::fromLatin1(l.prefix) + QString::number(n), Column::Text, l.width});
        c.append({QStringLiteral("GOKEI"), Column::Integer});
        c.append({QStringLiteral("TAX"), Column::Integer});
        c.append({QStringLiteral("TOTAL"), Column::Integer});
        c.append({QStringLiteral("KUBUN1"), Column::SmallInt});
        return c;
    }();
    return columns;
}

const Column *findColumn(const QList<Column> &columns, const QString &name)
{
    for (const Column &c : columns)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

int columnWidth(const QList<Column> &columns, const QString &name)
{
    const Column *c = findColumn(columns, name);
    return c && c->type == Column::Text ? c->width : 0;
}

} // namespace store
