#pragma once

#include <QFont>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QString>

class QFrame;
class QLabel;

namespace ui {

/// The windows' base font: Tahoma, 8 point (11 pixels at 96 dpi).
QFont baseFont();
/// A font by face name and size in points at 96 dpi.
QFont fontFor(const QString &face, int points);

/// A raised panel with an object name; a height above 0 fixes its height (a panel laid out
/// across the top or the bottom of a window).
QFrame *makePanel(QWidget *parent, const QString &name, int height = 0);

/// A push button that Return or Enter presses while it has the focus, as on the desktop the
/// shop knows; Space presses it as well. It is never a window's default button.
class PushButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

/// A push button (PushButton) at a fixed place, with a caption and an object name.
QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption,
                        const QRect &geometry);

/// An edit box with its caption label on its left side or above it, 3 pixels away.
class LabeledEdit : public QLineEdit
{
public:
    enum class LabelPosition { Left, Above };
    LabeledEdit(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry,
                LabelPosition position = LabelPosition::Left);
    QLabel *label() const { return m_label; }

protected:
    void moveEvent(QMoveEvent *event) override;

private:
    void placeLabel();
    QLabel *m_label;
    LabelPosition m_position;
};

/// The small open-door picture of the closing buttons (normal and greyed).
QIcon doorIcon();

} // namespace ui
