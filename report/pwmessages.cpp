#include <report/pwmessages.h>

#include <QApplication>
#include <QMessageBox>

namespace report {

namespace {

EngineMessageHandler &messageHandler()
{
    static EngineMessageHandler handler;
    return handler;
}

EngineMessageHandler &errorHandler()
{
    static EngineMessageHandler handler;
    return handler;
}

} // namespace

void setEngineMessageHandler(EngineMessageHandler handler)
{
    messageHandler() = std::move(handler);
}

void setEngineErrorHandler(EngineMessageHandler handler)
{
    errorHandler() = std::move(handler);
}

void showEngineMessage(QWidget *parent, const QString &text)
{
    if (messageHandler()) {
        messageHandler()(parent, text);
        return;
    }
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
}

void showEngineError(QWidget *parent, const QString &text)
{
    if (errorHandler()) {
        errorHandler()(parent, text);
        return;
    }
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

} // namespace report
