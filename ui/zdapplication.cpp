#include <ui/zdapplication.h>

#include <QGridLayout>
#include <QMessageBox>
#include <exception>
#include <utility>

namespace ui {

namespace {
ZdApplication::ErrorHandler &errorHandler()
{
    static ZdApplication::ErrorHandler handler;
    return handler;
}
ZdApplication::MessageHandler &messageHandler()
{
    static ZdApplication::MessageHandler handler;
    return handler;
}
} // namespace

QString unknownErrorText()
{
    return QStringLiteral("不明なエラーが発生しました");
}

void keepReadableWidth(QMessageBox &box)
{
    // A short sentence would make a box so narrow that its caption is cut to "...".
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(260, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

ZdApplication::MessageHandler ZdApplication::setMessageHandler(MessageHandler handler)
{
    return std::exchange(messageHandler(), std::move(handler));
}

void showMessage(QWidget *parent, const QString &message)
{
    if (messageHandler()) {
        messageHandler()(message);
        return;
    }
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), message,
                    QMessageBox::Ok, parent);
    keepReadableWidth(box);
    box.exec();
}

QString standardErrorText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void showStandardError(const QString &message)
{
    // The first line is the sentence for the user; what follows (the database server's own
    // report, for example) is kept behind the details button for whoever helps them.
    const qsizetype newline = message.indexOf(QLatin1Char('\n'));
    const QString sentence = newline < 0 ? message : message.left(newline);
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    standardErrorText(sentence), QMessageBox::Ok, QApplication::activeWindow());
    if (newline >= 0)
        box.setDetailedText(message.mid(newline + 1).trimmed());
    keepReadableWidth(box);
    box.exec();
}

ZdApplication::ZdApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{}

bool ZdApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        reportError(QString::fromUtf8(e.what()));
    } catch (...) {
        reportError(unknownErrorText());
    }
    return false;
}

ZdApplication::ErrorHandler ZdApplication::setErrorHandler(ErrorHandler handler)
{
    return std::exchange(errorHandler(), std::move(handler));
}

void ZdApplication::reportError(const QString &message)
{
    if (errorHandler())
        errorHandler()(message);
    else
        showStandardError(message);
}

} // namespace ui
