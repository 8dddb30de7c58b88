#include <ui/widgets.h>

#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace ui {

QFont fontFor(const QString &face, int points)
{
    QFont f(face);
    f.setPixelSize(qRound(points * 96.0 / 72.0));
    return f;
}

QFont baseFont()
{
    return fontFor(QStringLiteral("Tahoma"), 8);
}

QFrame *makePanel(QWidget *parent, const QString &name, int height)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    if (height > 0)
        panel->setFixedHeight(height);
    return panel;
}

void PushButton::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption,
                        const QRect &geometry)
{
    auto *b = new PushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

LabeledEdit::LabeledEdit(QWidget *parent, const QString &name, const QString &caption,
                         const QRect &geometry, LabelPosition position)
    : QLineEdit(parent)
    , m_label(new QLabel(caption, parent))
    , m_position(position)
{
    setObjectName(name);
    m_label->setObjectName(name + QStringLiteral("Label"));
    m_label->setBuddy(this);
    setGeometry(geometry);
    placeLabel();
}

void LabeledEdit::moveEvent(QMoveEvent *event)
{
    QLineEdit::moveEvent(event);
    placeLabel();
}

void LabeledEdit::placeLabel()
{
    m_label->adjustSize();
    const QRect g = geometry();
    if (m_position == LabelPosition::Above)
        m_label->move(g.left(), g.top() - 3 - m_label->height());
    else
        m_label->move(g.left() - 3 - m_label->width(),
                      g.top() + (g.height() - m_label->height()) / 2);
}

QIcon doorIcon()
{
    // An open door: the frame, the door swung towards the viewer, and its knob.
    QPixmap normal(18, 18);
    normal.fill(Qt::transparent);
    {
        QPainter p(&normal);
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.setBrush(QColor(0x40, 0x40, 0x40));
        p.drawRect(3, 1, 10, 15);
        const QPolygon door({QPoint(3, 1), QPoint(9, 3), QPoint(9, 17), QPoint(3, 16)});
        p.setPen(QColor(0x80, 0x00, 0x00));
        p.setBrush(QColor(0xC0, 0x60, 0x20));
        p.drawPolygon(door);
        p.setPen(Qt::yellow);
        p.drawPoint(8, 9);
    }
    QIcon icon(normal);
    QPixmap grey = normal;
    {
        QPainter p(&grey);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(grey.rect(), QColor(0xA0, 0xA0, 0xA0));
    }
    icon.addPixmap(grey, QIcon::Disabled);
    return icon;
}

} // namespace ui
