#include "customerfixture.h"

#include <store/query.h>
#include <store/schema.h>
#include <testsupport/testmain.h>
#include <ui/question.h>
#include <ui/zdapplication.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace customerstest {

void CustomerTest::SetUp()
{
    store::SettingsStore settings(m_dir.file(QStringLiteral("ZORIKADESK.ini")));
    m_dmib = std::make_unique<store::TDMIB>(
        settings, store::ConnectionParams{m_dir.file(QStringLiteral("ZORIKA"))});
    store::DMIB = m_dmib.get();
    store::openOrCreate(m_dmib->IBDatabase1);
    testsupport::reportedErrors().clear();
    ui::ZdApplication::setMessageHandler([this](const QString &m) { messages << m; });
    ui::setQuestionHandler([this](const QString &q) {
        questions << q;
        return answer;
    });
}

void CustomerTest::TearDown()
{
    settle();
    ui::ZdApplication::setMessageHandler({});
    ui::setQuestionHandler({});
    m_dmib->IBDatabase1.disconnect();
    store::DMIB = nullptr;
    m_dmib.reset();
    testsupport::reportedErrors().clear();
}

int CustomerTest::insertTokui(const QMap<QString, QString> &values)
{
    store::Database &db = m_dmib->IBDatabase1;
    store::Query q(db);
    const QStringList names = values.keys();
    QStringList params;
    for (const QString &n : names)
        params << QLatin1Char(':') + n;
    q.sql().add(QStringLiteral("insert into TOKUI (%1) values (%2) returning ANO")
                    .arg(names.join(QLatin1Char(',')), params.join(QLatin1Char(','))));
    for (const QString &n : names)
        q.paramByName(n).setAsString(values.value(n));
    db.startTransaction();
    q.execSql();
    const int ano = int(q.fieldByName(QStringLiteral("ANO")).asInteger());
    q.close();
    db.commitRetaining();
    return ano;
}

QMap<QString, QString> CustomerTest::row(int ano)
{
    store::Query q(m_dmib->IBDatabase1);
    q.sql().add(QStringLiteral("select * from TOKUI where ANO = :ANO"));
    q.paramByName(QStringLiteral("ANO")).setAsInteger(ano);
    q.open();
    QMap<QString, QString> values;
    if (!q.eof())
        for (const store::Field &f : q.fields())
            values.insert(f.name(), f.isNull() ? QStringLiteral("<null>") : f.asString());
    return values;
}

int CustomerTest::tokuiCount()
{
    store::Query q(m_dmib->IBDatabase1);
    q.sql().add(QStringLiteral("select count(*) as N from TOKUI"));
    q.open();
    return int(q.fieldByName(QStringLiteral("N")).asInteger());
}

void CustomerTest::execOther(const QString &sql)
{
    store::Database other;
    other.setParams(m_dmib->IBDatabase1.params());
    store::Query q(other);
    q.sql().add(sql);
    q.execSql();
    other.commit();
    other.disconnect();
}

} // namespace customerstest
