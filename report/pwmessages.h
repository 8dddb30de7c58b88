#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace report {

/// How the preview and the progress window tell the user something: a fixed sentence
/// ("File does not exist") or an error that ended what the user asked for. The engine shows
/// them in message boxes of its own; the application routes them to its standard boxes, and
/// tests record them.
using EngineMessageHandler = std::function<void(QWidget *parent, const QString &text)>;
void setEngineMessageHandler(EngineMessageHandler handler);
void setEngineErrorHandler(EngineMessageHandler handler);

void showEngineMessage(QWidget *parent, const QString &text);
void showEngineError(QWidget *parent, const QString &text);

/// Runs a window handler; whatever it throws is shown as an engine error, so that nothing
/// unwinds through Qt's frames.
template <typename F> void engineGuarded(QWidget *parent, F &&handler) noexcept
{
    try {
        handler();
    } catch (const std::exception &e) {
        showEngineError(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        showEngineError(parent, QStringLiteral("Unknown error"));
    }
}

/// Runs a handler whose errors are swallowed (status bar, page selection, keys): the window
/// stays usable whatever went wrong in them.
template <typename F> void engineQuiet(F &&handler) noexcept
{
    try {
        handler();
    } catch (...) {
    }
}

} // namespace report
