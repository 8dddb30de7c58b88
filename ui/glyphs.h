#pragma once

#include <QIcon>

namespace ui {

/// Small button pictures of the slip form, drawn rather than shipped as bitmaps.
enum class Glyph { Close, Printer, Envelope, Parcel };

QIcon glyphIcon(Glyph glyph);

} // namespace ui
