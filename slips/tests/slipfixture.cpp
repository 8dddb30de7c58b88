#include "slipfixture.h"

#include <slips/slipgrid.h>
#include <slips/today.h>
#include <store/query.h>
#include <store/schema.h>
#include <testsupport/testmain.h>
#include <ui/maskedit.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace slipstest {

void SlipTest::SetUp()
{
    // A fixed day: a test that runs across midnight must not see two dates.
    slips::pinToday(QDate(2026, 7, 15));
    const QString ini = m_dir.file(QStringLiteral("ZORIKADESK.ini"));
    store::SettingsStore settings(ini);
    settings.WrRed(QStringLiteral("TAX"), QStringLiteral("8"));
    m_dmib = std::make_unique<store::TDMIB>(
        settings, store::ConnectionParams{m_dir.file(QStringLiteral("ZORIKA"))});
    store::DMIB = m_dmib.get();
    store::openOrCreate(m_dmib->IBDatabase1);
    testsupport::reportedErrors().clear();
}

void SlipTest::TearDown()
{
    settle();
    slips::pinToday(QDate());
    m_dmib->IBDatabase1.disconnect();
    store::DMIB = nullptr;
    m_dmib.reset();
    testsupport::reportedErrors().clear();
}

std::unique_ptr<RecordingDenpyo> SlipTest::openForm(int ano)
{
    auto form = std::make_unique<RecordingDenpyo>();
    if (ano > 0)
        form->GetDenpyo(ano);
    form->show();
    QApplication::setActiveWindow(form.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    settle();
    return form;
}

QMap<QString, QString> SlipTest::row(int ano)
{
    store::Query q(m_dmib->IBDatabase1);
    q.sql().add(QStringLiteral("select * from DENPYO where ANO = :ANO"));
    q.paramByName(QStringLiteral("ANO")).setAsString(QString::number(ano));
    q.open();
    QMap<QString, QString> values;
    if (!q.eof())
        for (const store::Field &f : q.fields())
            values.insert(f.name(), f.asString());
    q.close();
    return values;
}

int SlipTest::slipCount()
{
    store::Query q(m_dmib->IBDatabase1);
    q.sql().add(QStringLiteral("select count(*) as N from DENPYO"));
    q.open();
    const int n = int(q.fieldByName(QStringLiteral("N")).asInteger());
    q.close();
    return n;
}

int SlipTest::insertSlip(const QMap<QString, QString> &values)
{
    store::Database &db = m_dmib->IBDatabase1;
    store::Query q(db);
    QStringList names = values.keys();
    QStringList params;
    for (const QString &n : names)
        params << QLatin1Char(':') + n;
    q.sql().add(QStringLiteral("insert into DENPYO (%1) values (%2) returning ANO")
                    .arg(names.join(QLatin1Char(',')), params.join(QLatin1Char(','))));
    for (const QString &n : names)
        q.paramByName(n).setAsString(values.value(n));
    if (!db.inTransaction())
        db.startTransaction();
    q.execSql();
    const int ano = int(q.fieldByName(QStringLiteral("ANO")).asInteger());
    q.close();
    db.commitRetaining();
    return ano;
}

void clickCell(slips::TDenpyo &form, int column, int row)
{
    QTableWidget *grid = form.StringGrid1;
    const QRect rect = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    settle();
}

void typeCell(slips::TDenpyo &form, int column, int row, const QString &text)
{
    clickCell(form, column, row);
    typeText(text);
    pressKey(Qt::Key_Tab);
}

void typeWorkedExample(slips::TDenpyo &form)
{
    typeInto(form.NAME1, QStringLiteral("㈱髙橋商店"));
    typeInto(form.ZIP, QStringLiteral("1000001"));
    clickCell(form, 1, 1);
    typeText(QStringLiteral("りんご"));
    pressKey(Qt::Key_Tab);
    typeText(QStringLiteral("3"));
    pressKey(Qt::Key_Tab);
    typeText(QStringLiteral("1280"));
    pressKey(Qt::Key_Tab);
    clickCell(form, 2, 2);
    typeText(QStringLiteral("2"));
    pressKey(Qt::Key_Tab);
    typeText(QStringLiteral("350"));
    pressKey(Qt::Key_Tab);
}

} // namespace slipstest
