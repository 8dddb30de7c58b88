#pragma once

#include <QWidget>

namespace ui {

/// The input-method mode a box opens in: Japanese (hiragana), half-width katakana for kana
/// readings, or off for numbers and dates. Qt has no mode switch of its own; the hints tell
/// the platform input method what the box expects, and the mode is kept on the widget as the
/// property "imeMode" so that code and tests can see it.
enum class ImeMode { Hiragana, HalfKatakana, Off };

Qt::InputMethodHints imeHints(ImeMode mode);

/// Sets the mode on a box; applied at once when the box has the focus.
void applyImeMode(QWidget *widget, ImeMode mode);

/// The mode last set on a widget (Hiragana when none was set).
ImeMode imeModeOf(const QWidget *widget);

} // namespace ui
