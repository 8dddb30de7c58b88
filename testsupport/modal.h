#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace testsupport {

/// Acts on the next modal window of type T as soon as it shows (tests call this, then the
/// code that opens the window). Should none show within the time, the test fails and every
/// modal window is rejected, so that a test never waits for ever.
template <typename T> void whenModalShows(std::function<void(T *)> act, int timeoutMs = 10000)
{
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, act, timeoutMs] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            if (w->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(w);
                return;
            }
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            QWidget *shown = QApplication::activeModalWidget();
            ADD_FAILURE() << "the expected window did not show; "
                          << (shown ? shown->metaObject()->className() : "no modal window")
                          << " is there";
            if (auto *box = qobject_cast<QMessageBox *>(shown))
                ADD_FAILURE() << "it says: " << box->text().toStdString();
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
                    d->reject();
        }
    });
    timer->start(10);
}

} // namespace testsupport
