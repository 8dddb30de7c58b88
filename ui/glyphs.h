#pragma once

#include <QIcon>

namespace ui {

/// Small button pictures, drawn rather than shipped as bitmaps: the slip form's, the green
/// check mark of a confirming button and the red cross of a cancel button.
enum class Glyph { Close, Printer, Envelope, Parcel, Check, Cancel };

QIcon glyphIcon(Glyph glyph);

} // namespace ui
