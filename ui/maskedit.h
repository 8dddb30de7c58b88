#pragma once

#include <QLineEdit>

namespace ui {

/// A line edit with an input mask whose text keeps its fixed width: unfilled positions read
/// as blanks ("    /  /  ", "   -    "). When the user has changed it and leaves it with a
/// required position empty, it takes the focus back and reports the invalid-input message;
/// Esc then restores the text it had before the change. Text set by the program is never
/// checked.
class MaskEdit : public QLineEdit
{
    Q_OBJECT
public:
    /// mask in Qt notation, blanks shown as '_'.
    MaskEdit(const QString &mask, QWidget *parent = nullptr);

    /// The fixed-width text, blanks included.
    QString maskedText() const;
    /// Sets the text as the program does: not checked, not counted as a user change.
    void setMaskedText(const QString &text);

    static QString invalidInputMessage();

signals:
    /// The box has received the focus (after its own focus handling; by the mouse, once the
    /// press has placed the caret).
    void entered();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void rejectExit();

    QString m_beforeChange;
    bool m_enterAfterPress = false;
};

} // namespace ui
