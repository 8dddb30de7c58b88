#include <slips/denpyosql.h>

#include <store/tables.h>

namespace slips {

namespace {

QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// Lines are padded to a fixed width, the layout the statements have always had.
QStringList padded(const QStringList &lines, int width)
{
    QStringList out;
    out.reserve(lines.size());
    for (const QString &line : lines)
        out << line.leftJustified(width, QLatin1Char(' '));
    return out;
}

} // namespace

const QStringList &denpyoColumns()
{
    static const QStringList columns = [] {
        QStringList names;
        for (const store::Column &c : store::denpyoColumns())
            names << c.name;
        return names;
    }();
    return columns;
}

QStringList denpyoUpdateSql()
{
    QStringList lines = {QStringLiteral("update \"DENPYO\""), QStringLiteral("set")};
    bool first = true;
    for (const QString &c : denpyoColumns()) {
        lines << (first ? QStringLiteral("  ") : QStringLiteral(", ")) + quoted(c) +
                     QStringLiteral(" = :") + quoted(c);
        first = false;
    }
    lines << QStringLiteral("where") << QStringLiteral("  \"ANO\" = :\"OLD_ANO\"");
    return padded(lines, 27);
}

QStringList denpyoInsertSql()
{
    const QString indent(5, QLatin1Char(' '));
    QStringList lines = {indent + QStringLiteral("insert into \"DENPYO\""),
                         indent + QStringLiteral("(")};
    bool first = true;
    for (const QString &c : denpyoColumns()) {
        lines << indent + (first ? QStringLiteral("  ") : QStringLiteral(", ")) + quoted(c);
        first = false;
    }
    // The value list needs its own opening parenthesis; it shares the line with "values" so
    // the statement keeps its 99 lines.
    lines << indent + QStringLiteral(")") << indent + QStringLiteral("values (");
    first = true;
    for (const QString &c : denpyoColumns()) {
        lines << indent + (first ? QStringLiteral("  :") : QStringLiteral(", :")) + quoted(c);
        first = false;
    }
    lines << indent + QStringLiteral(")") << indent + QStringLiteral("returning \"ANO\"");
    return padded(lines, 26);
}

QStringList denpyoSelectSql()
{
    return {QStringLiteral("select * from \"DENPYO\""), QStringLiteral("where \"ANO\" = :\"ANO\"")};
}

} // namespace slips
