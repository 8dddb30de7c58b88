#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

// Driving windows from the keyboard and the mouse, as a user does.
namespace testsupport {

QWidget *focused();
/// Lets queued work (error reports, focus returns, deferred deletes) run.
void settle();
/// Shows a window and waits until it is active.
void showActive(QWidget *window);
/// Types text into the focused widget, failing the test when nothing has the focus: keys
/// for ASCII, one at a time (the first one may open a cell editor that takes the others),
/// an input-method commit otherwise.
void typeText(const QString &text);
/// Puts the focus on a box as a click does and replaces its text by typing.
void typeInto(QWidget *box, const QString &text);
void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
/// The object names met by pressing Tab `steps` times from the focused widget.
QStringList tabWalk(int steps);

} // namespace testsupport
