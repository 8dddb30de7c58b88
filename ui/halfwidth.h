#pragma once

#include <QString>

class QLineEdit;

namespace ui {

/// The half-width form of what an input method gives in a box meant for numbers, codes and
/// dates: full-width ASCII (digits, signs, comma, point, letters) as ASCII, the ideographic
/// space as a space, the yen signs (￥ ¥) as "\" (which the slip arithmetic reads as the yen
/// sign), and the minus and dash look-alikes (− ‐ ‑ ‒ – — ― ー) as "-". Everything else stays.
QString halfWidthText(const QString &text);

/// Makes a box take half-width input only: whatever is typed, committed by the input method
/// or pasted is turned into its half-width form as it arrives, masked boxes included. The box
/// keeps its caret and counts the change as the user's.
void acceptHalfWidthOnly(QLineEdit *box);

} // namespace ui
