#include <customers/tokuirecord.h>

#include <store/database.h>
#include <store/dmib.h>
#include <store/save.h>

namespace customers {

const std::array<QString, kTokuiColumns> &tokuiColumns()
{
    static const std::array<QString, kTokuiColumns> columns = [] {
        std::array<QString, kTokuiColumns> names;
        const QList<store::FieldDef> &defs = store::QTokuiFields();
        for (int i = 0; i < kTokuiColumns; ++i)
            names[size_t(i)] = defs[i].column;
        return names;
    }();
    return columns;
}

TokuiRecord::TokuiRecord(store::Database &db)
    : m_db(db)
    , m_InUpQuery(db)
{}

TokuiTexts TokuiRecord::load(int iANO)
{
    // A query of its own for this one read, gone when the read ends, also on an error.
    store::Query SelectQuery(m_db);
    SelectQuery.sql().add(QStringLiteral("select * from TOKUI"));
    SelectQuery.sql().add(QStringLiteral("where ANO=:mANO"));
    SelectQuery.paramByName(QStringLiteral("mANO")).setAsInteger(iANO);
    SelectQuery.open();
    TokuiTexts texts;
    for (int i = 0; i < kTokuiColumns; ++i)
        texts[size_t(i)] = SelectQuery.fieldByName(tokuiColumns()[size_t(i)]).asString();
    SelectQuery.close();
    return texts;
}

namespace {

QStringList padded(const QStringList &lines, int width)
{
    QStringList out;
    for (const QString &line : lines)
        out << line.leftJustified(width, QLatin1Char(' '));
    return out;
}

} // namespace

QStringList TokuiRecord::updateSql()
{
    QStringList lines = {QStringLiteral("update \"TOKUI\""), QStringLiteral("set")};
    for (int i = 1; i < kTokuiColumns; ++i)
        lines << QStringLiteral("%1\"%2\" = :\"%2\"")
                     .arg(i == 1 ? QStringLiteral("  ") : QStringLiteral(", "),
                          tokuiColumns()[size_t(i)]);
    lines << QStringLiteral("where") << QStringLiteral("  \"ANO\" = :\"OLD_ANO\"");
    return padded(lines, 25);
}

QStringList TokuiRecord::insertSql()
{
    QStringList lines = {QStringLiteral("insert into \"TOKUI\""), QStringLiteral("(")};
    for (int i = 1; i < kTokuiColumns; ++i)
        lines << QStringLiteral("%1\"%2\"")
                     .arg(i == 1 ? QStringLiteral("  ") : QStringLiteral(", "),
                          tokuiColumns()[size_t(i)]);
    lines << QStringLiteral(")") << QStringLiteral("values") << QStringLiteral("(");
    for (int i = 1; i < kTokuiColumns; ++i)
        lines << QStringLiteral("%1:\"%2\"")
                     .arg(i == 1 ? QStringLiteral("  ") : QStringLiteral(", "),
                          tokuiColumns()[size_t(i)]);
    lines << QStringLiteral(")");
    // The new customer's number comes back, so that the next save updates this customer
    // instead of storing it a second time.
    lines << QStringLiteral("returning \"ANO\"");
    return padded(lines, 20);
}

QString TokuiRecord::save(const TokuiTexts &texts)
{
    const QString &mANO = texts[0];
    const bool update = !mANO.isEmpty();
    store::Query &q = m_InUpQuery;
    q.close();
    q.sql().clear();
    for (const QString &line : update ? updateSql() : insertSql())
        q.sql().add(line);
    if (update)
        q.paramByName(QStringLiteral("OLD_ANO")).setAsString(mANO);
    for (int i = 1; i < kTokuiColumns; ++i)
        q.paramByName(tokuiColumns()[size_t(i)]).setAsString(texts[size_t(i)]);

    // Connection errors are not a refused save: they go on as they are.
    if (!m_db.connected())
        m_db.connect();
    if (!m_db.inTransaction())
        m_db.startTransaction();
    try {
        return store::saveRetaining(m_db, [&] {
            q.execSql();
            if (q.rowsAffected() < 1)
                throw SaveFailed("no customer has the number " + mANO.toStdString());
            const QString ano = update ? mANO : q.fieldByName(QStringLiteral("ANO")).asString();
            q.close();
            if (ano.isEmpty())
                throw SaveFailed("the store gave the new customer no number");
            return ano;
        });
    } catch (const SaveFailed &) {
        q.close();
        throw;
    } catch (const std::exception &e) {
        q.close();
        throw SaveFailed(e.what());
    }
}

void TokuiRecord::search(store::Query &query, const QString &name)
{
    query.close();
    query.sql().clear();
    query.sql().add(QStringLiteral("select * from TOKUI"));
    query.sql().add(QStringLiteral("where TKNAME like :mTKNAME"));
    // A name anywhere in the name needs every customer read: in stored order and then
    // sorted, that is several times faster than walking the name index in order.
    query.sql().add(QStringLiteral("plan sort (TOKUI natural)"));
    query.sql().add(QStringLiteral("order by TKNAME"));
    query.paramByName(QStringLiteral("mTKNAME"))
        .setAsString(QLatin1Char('%') + name + QLatin1Char('%'));
    query.open();
}

int TokuiRecord::currentAno(const store::Query &query)
{
    if (query.currentRow() < 0)
        return 0;
    const qsizetype column = query.fieldIndex(QStringLiteral("ANO"));
    if (column < 0)
        return 0;
    return int(query.fields()[size_t(column)].asInteger());
}

QString TokuiRecord::zipForMask(const QString &tkzip)
{
    QString digits;
    for (const QChar c : tkzip) {
        const int d = c.digitValue();
        // Decimal digits of any width (ASCII, full-width); not circled or superscript ones.
        if (d >= 0 && c.category() == QChar::Number_DecimalDigit && digits.size() < 7)
            digits += QChar(u'0' + d);
    }
    digits = digits.leftJustified(7, QLatin1Char(' '));
    return digits.left(3) + QLatin1Char('-') + digits.mid(3);
}

} // namespace customers
