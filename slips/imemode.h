#pragma once

#include <QWidget>

namespace slips {

/// The input-method mode a box opens in. Qt has no mode switch of its own; the hints tell
/// the platform input method what the box expects.
enum class ImeMode { Hiragana, Off };

inline Qt::InputMethodHints imeHints(ImeMode mode)
{
    return mode == ImeMode::Hiragana ? Qt::InputMethodHints(Qt::ImhNone)
                                     : Qt::ImhLatinOnly | Qt::ImhPreferLatin;
}

/// Sets the mode on a box; applied at once when the box has the focus.
void applyImeMode(QWidget *widget, ImeMode mode);

} // namespace slips
