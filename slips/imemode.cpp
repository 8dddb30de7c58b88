#include "imemode.h"

#include <QGuiApplication>
#include <QInputMethod>

namespace slips {

void applyImeMode(QWidget *widget, ImeMode mode)
{
    widget->setInputMethodHints(imeHints(mode));
    if (widget->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImHints);
}

} // namespace slips
