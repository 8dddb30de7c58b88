#include <ui/imemode.h>

#include <QGuiApplication>
#include <QInputMethod>

namespace ui {

Qt::InputMethodHints imeHints(ImeMode mode)
{
    switch (mode) {
    case ImeMode::Hiragana:
        return Qt::ImhNone;
    case ImeMode::HalfKatakana:
        return Qt::ImhNoPredictiveText;
    case ImeMode::Off:
        break;
    }
    return Qt::ImhLatinOnly | Qt::ImhPreferLatin | Qt::ImhNoPredictiveText;
}

void applyImeMode(QWidget *widget, ImeMode mode)
{
    widget->setInputMethodHints(imeHints(mode));
    widget->setProperty("imeMode", static_cast<int>(mode));
    if (widget->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImHints);
}

ImeMode imeModeOf(const QWidget *widget)
{
    const QVariant v = widget->property("imeMode");
    return v.isValid() ? static_cast<ImeMode>(v.toInt()) : ImeMode::Hiragana;
}

} // namespace ui
