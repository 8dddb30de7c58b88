#pragma once

#include <QApplication>
#include <QString>
#include <functional>

class QMessageBox;

namespace ui {

/// The text the standard error box shows for an error message: the text itself, with "."
/// appended when its last character comes after "." in code order.
QString standardErrorText(const QString &message);

/// Shows the standard error box: the application's title as caption, the error icon, OK.
/// A message of several lines shows its first line, the rest under the details button.
void showStandardError(const QString &message);

/// The application object. An exception that escapes an event handler ends that handler and
/// is shown in the standard error box; the event loop goes on.
class ZdApplication : public QApplication
{
public:
    ZdApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    /// Replaces the error box (tests record errors instead of showing a modal box).
    using ErrorHandler = std::function<void(const QString &message)>;
    /// Returns the handler it replaces.
    static ErrorHandler setErrorHandler(ErrorHandler handler);
    /// Shows the message through the current handler.
    static void reportError(const QString &message);

    /// Replaces the information box of showMessage (tests record messages instead).
    using MessageHandler = std::function<void(const QString &message)>;
    /// Returns the handler it replaces.
    static MessageHandler setMessageHandler(MessageHandler handler);
};

/// The text shown for an error that carries no text of its own.
QString unknownErrorText();

/// Widens a message box so that a short sentence still shows the whole caption.
void keepReadableWidth(QMessageBox &box);

/// A fixed sentence for the user in a message box with OK ("登録しました",
/// "設定の保存に失敗しました！").
void showMessage(QWidget *parent, const QString &message);

} // namespace ui
