#pragma once

#include <QIcon>

namespace ui {

/// Small button pictures, drawn rather than shipped as bitmaps: Check is the green tick of an
/// OK button, Cross the red cross of a cancel button.
enum class Glyph { Close, Printer, Envelope, Parcel, Check, Cross };

QIcon glyphIcon(Glyph glyph);

} // namespace ui
