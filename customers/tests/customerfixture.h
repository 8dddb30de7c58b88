#pragma once

#include <store/dmib.h>
#include <testsupport/tempdir.h>
#include <testsupport/typing.h>

#include <gtest/gtest.h>

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace customerstest {

/// A data module on a fresh embedded database, with the messages and questions of the
/// windows recorded (and answered) instead of shown.
class CustomerTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    /// Inserts a customer straight into the table; returns its ANO.
    int insertTokui(const QMap<QString, QString> &values);
    /// One TOKUI row, every column as text; empty when there is none.
    QMap<QString, QString> row(int ano);
    int tokuiCount();
    /// Runs a statement on a connection of its own and commits it.
    void execOther(const QString &sql);

    testsupport::TempDir m_dir;
    std::unique_ptr<store::TDMIB> m_dmib;
    QStringList messages;
    QStringList questions;
    bool answer = false; ///< the answer to every question
};

using testsupport::focused;
using testsupport::pressKey;
using testsupport::settle;
using testsupport::showActive;
using testsupport::tabWalk;
using testsupport::typeInto;
using testsupport::typeText;

} // namespace customerstest
