#pragma once

#include <slips/denpyo.h>
#include <store/dmib.h>
#include <testsupport/tempdir.h>
#include <testsupport/typing.h>

#include <gtest/gtest.h>

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace slipstest {

/// The slip form with its message boxes recorded instead of shown.
class RecordingDenpyo : public slips::TDenpyo
{
public:
    using TDenpyo::TDenpyo;
    QStringList messages;
    QStringList questions;
    bool answer = false;

protected:
    void showMessage(const QString &text) override { messages << text; }
    bool askYesNo(const QString &text) override
    {
        questions << text;
        return answer;
    }
};

/// A data module on a fresh embedded database with its own settings file (tax rate 8).
class SlipTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    /// Creates the form, loads a slip when ano > 0, shows it and lets it activate.
    std::unique_ptr<RecordingDenpyo> openForm(int ano = 0);

    /// One DENPYO row, every column read as text; empty when there is none.
    QMap<QString, QString> row(int ano);
    int slipCount();
    /// Inserts a slip straight into the table; returns its ANO.
    int insertSlip(const QMap<QString, QString> &values);

    testsupport::TempDir m_dir;
    std::unique_ptr<store::TDMIB> m_dmib;
};

// Driving the form as a user would.
using testsupport::focused;
using testsupport::pressKey;
using testsupport::settle;
using testsupport::typeInto;
using testsupport::typeText;
void clickCell(slips::TDenpyo &form, int column, int row);
/// Types a cell: clicks it, types, and leaves it with Tab.
void typeCell(slips::TDenpyo &form, int column, int row, const QString &text);
/// Types the first worked example as a user would: a customer, りんご 3 × 1280 and a second
/// line 2 × 350, each line left with Tab.
void typeWorkedExample(slips::TDenpyo &form);

} // namespace slipstest
