#pragma once

#include <store/dmib.h>
#include <testsupport/tempdir.h>

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

QWidget *focused();
/// Lets queued work (error reports, focus returns, deferred deletes) run.
void settle();
/// Shows a window and waits until it is active.
void showActive(QWidget *window);
/// Types text into the focused widget: keys for ASCII, an input-method commit otherwise.
void typeText(const QString &text);
/// Clicks a box, selects what it holds and types over it.
void typeInto(QWidget *box, const QString &text);
void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
/// The object names met by pressing Tab `steps` times from the focused widget.
QStringList tabWalk(int steps);

} // namespace customerstest
