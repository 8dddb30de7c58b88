#include <testsupport/typing.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace testsupport {

QWidget *focused()
{
    return QApplication::focusWidget();
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void showActive(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    settle();
}

void typeText(const QString &text)
{
    QWidget *target = focused();
    if (!target) {
        ADD_FAILURE() << "nothing has the focus to type " << text.toStdString() << " into";
        return;
    }
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        for (QChar c : text)
            if (QWidget *w = focused())
                QTest::keyClicks(w, QString(c));
    } else {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(target, &event);
    }
    settle();
}

void typeInto(QWidget *box, const QString &text)
{
    QTest::mouseClick(box, Qt::LeftButton);
    box->setFocus(Qt::MouseFocusReason);
    settle();
    if (auto *edit = qobject_cast<QLineEdit *>(box)) {
        edit->selectAll();
        if (!edit->inputMask().isEmpty()) {
            // Clearing a masked box by keys, as a user selects and deletes.
            edit->home(false);
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            edit->home(false);
        } else if (!edit->text().isEmpty() && text.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Delete);
        }
    }
    typeText(text);
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    if (QWidget *target = focused())
        QTest::keyClick(target, key, modifiers);
    settle();
}

QStringList tabWalk(int steps)
{
    QStringList names;
    for (int i = 0; i < steps; ++i) {
        pressKey(Qt::Key_Tab);
        names << (focused() ? focused()->objectName() : QString());
    }
    return names;
}

} // namespace testsupport
