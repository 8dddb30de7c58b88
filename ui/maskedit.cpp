#include <ui/maskedit.h>

#include <ui/zdapplication.h>

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

namespace ui {

namespace {
constexpr QChar kBlank = u'_';
}

MaskEdit::MaskEdit(const QString &mask, QWidget *parent)
    : QLineEdit(parent)
{
    setInputMask(mask + QStringLiteral(";") + kBlank);
    m_beforeChange = maskedText();
}

QString MaskEdit::maskedText() const
{
    QString text = displayText();
    text.replace(kBlank, QLatin1Char(' '));
    return text;
}

void MaskEdit::setMaskedText(const QString &text)
{
    setText(text); // blanks fill the optional and required positions alike
    setModified(false);
    m_beforeChange = maskedText();
}

QString MaskEdit::invalidInputMessage()
{
    return QStringLiteral("入力値が無効です。エスケープ キーで変更を取り消せます");
}

void MaskEdit::focusInEvent(QFocusEvent *event)
{
    // Each visit is judged on its own, except when the focus comes back after an invalid
    // exit: then the text from before the change must survive for Esc.
    if (!isModified() || hasAcceptableInput()) {
        m_beforeChange = maskedText();
        setModified(false);
    }
    QLineEdit::focusInEvent(event);
    // A click places the caret where the mouse is after the focus arrived: the box is
    // entered once the press is done, so that what entering sets (the caret) holds.
    if (event->reason() == Qt::MouseFocusReason) {
        m_enterAfterPress = true;
        // Should no press follow (the focus came by a click elsewhere), enter all the same.
        QPointer<MaskEdit> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self && self->m_enterAfterPress) {
                    self->m_enterAfterPress = false;
                    emit self->entered();
                }
            },
            Qt::QueuedConnection);
    } else {
        emit entered();
    }
}

void MaskEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (m_enterAfterPress) {
        m_enterAfterPress = false;
        emit entered();
    }
}

void MaskEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Only a move to another control of this window is checked: switching windows or
    // opening a menu is no exit from the box.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (isModified() && !hasAcceptableInput())
        rejectExit();
}

void MaskEdit::rejectExit()
{
    // Taking the focus back while Qt is still moving it away would fight the move; do it as
    // soon as the move is complete.
    QPointer<MaskEdit> self(this);
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (!self || !self->window()->isVisible() || !self->isModified() ||
                self->hasAcceptableInput())
                return;
            self->setFocus(Qt::OtherFocusReason);
            ZdApplication::reportError(invalidInputMessage());
        },
        Qt::QueuedConnection);
}

void MaskEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && isModified()) {
        setMaskedText(m_beforeChange);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace ui
