#include <slips/slipsearch.h>

#include <store/query.h>

namespace slips {

QStringList SlipSearch::designSql()
{
    return {QStringLiteral("select * from DENPYO"), QStringLiteral("where ANO is not null")};
}

const QList<store::FieldDef> &SlipSearch::QDenpyoFields()
{
    static const QList<store::FieldDef> fields = {
        {QStringLiteral("QDenpyoANO"), QStringLiteral("ANO"), QStringLiteral("伝票ID"), 0},
        {QStringLiteral("QDenpyoTKNAME"), QStringLiteral("TKNAME"), QStringLiteral("お客様名"), 50},
        {QStringLiteral("QDenpyoYMD"), QStringLiteral("YMD"), QStringLiteral("年月日"), 0},
        {QStringLiteral("QDenpyoGOKEI"), QStringLiteral("GOKEI"), QStringLiteral("小計金額"), 0},
        {QStringLiteral("QDenpyoTAX"), QStringLiteral("TAX"), QStringLiteral("消費税"), 0},
        {QStringLiteral("QDenpyoTOTAL"), QStringLiteral("TOTAL"), QStringLiteral("合計金額"), 0},
    };
    return fields;
}

int SlipSearch::toInteger(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    bool digits = i < t.size();
    for (qsizetype j = i; j < t.size(); ++j)
        digits = digits && t[j] >= QLatin1Char('0') && t[j] <= QLatin1Char('9');
    bool ok = false;
    const int value = digits ? t.toInt(&ok) : 0;
    if (!ok)
        throw SearchInputError(QStringLiteral("''%1'' は整数ではありません").arg(text));
    return value;
}

std::pair<QDate, QDate> SlipSearch::monthBounds(int year, int month)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12)
        throw SearchInputError(QStringLiteral("日付に変換できない値が渡されました"));
    const QDate first(year, month, 1);
    return {first, QDate(year, month, first.daysInMonth())};
}

QString SlipSearch::literalPrefix(const QString &typed)
{
    qsizetype end = 0;
    while (end < typed.size() && typed[end] != QLatin1Char('%') && typed[end] != QLatin1Char('_'))
        ++end;
    return typed.left(end);
}

QString SlipSearch::nameMessage(const QString &typed)
{
    return typed + QStringLiteral("\u3000で始まる名前");
}

void SlipSearch::prepare(store::Query &query, const QString &year, const QString &month,
                         const QString &name)
{
    query.close();
    query.sql().clear();
    for (const QString &line : designSql())
        query.sql().add(line);
    const bool byMonth = !year.isEmpty() && !month.isEmpty();
    std::pair<QDate, QDate> bounds;
    if (byMonth) {
        const int y = toInteger(year);
        const int m = toInteger(month);
        bounds = monthBounds(y, m);
        query.sql().add(QStringLiteral("and (YMD>=:mYMD1 and YMD<=:mYMD2)"));
    }
    const QString prefix = literalPrefix(name);
    if (!name.isEmpty()) {
        // LIKE with a parameter does not use the name index; STARTING WITH does, and every
        // name the LIKE matches starts with the text before the first wildcard.
        if (!prefix.isEmpty())
            query.sql().add(QStringLiteral("and TKNAME starting with :mPREFIX"));
        query.sql().add(QStringLiteral("and TKNAME like :mTKNAME"));
    }
    query.sql().add(QStringLiteral("order by YMD"));
    if (byMonth) {
        query.paramByName(QStringLiteral("mYMD1")).setAsDate(bounds.first);
        query.paramByName(QStringLiteral("mYMD2")).setAsDate(bounds.second);
    }
    if (!name.isEmpty()) {
        if (!prefix.isEmpty())
            query.paramByName(QStringLiteral("mPREFIX")).setAsString(prefix);
        query.paramByName(QStringLiteral("mTKNAME")).setAsString(name + QLatin1Char('%'));
    }
}

} // namespace slips
