#pragma once

#include <report/canvas.h>

#include <QFont>
#include <QSize>
#include <QString>

namespace report {

/// Installed family that stands in for a Windows font face name (ＭＳ 明朝, ＭＳ Ｐゴシック,
/// Tahoma, ...). Names without a stand-in are returned unchanged.
QString installedFamilyFor(const QString &face);

/// Registers the stand-ins with QFont's substitution table so that a QFont created with a
/// Windows face name anywhere in the program finds an installed font. Safe to call repeatedly.
void installFontSubstitutions();

/// The face to draw a text in: `face` itself, unless its font would draw a character of the
/// text as nothing (a present but empty glyph); then the first of its stand-ins that draws
/// the whole text, else a Mincho face.
QString faceForText(const QString &face, const QString &text);

/// The QFont that draws `font` on a device with the given resolution. A GDI height in pixels
/// (`font.height`) wins over the point size: negative is the character height (em size),
/// positive the cell height (ascent + descent).
QFont qtFontFor(const CanvasFont &font, QSize dpi);

} // namespace report
