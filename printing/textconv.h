#pragma once

#include <QString>
#include <QStringList>

namespace printing {

/// Widens a text: printable ASCII becomes its full-width form, the space the ideographic
/// space, half-width katakana and punctuation full-width ones; a half-width kana followed by a
/// half-width (semi-)voiced sound mark becomes the one precomposed kana (ｶﾞ → ガ).
QString GetZENKAKU(const QString &text);

/// Narrows a text: every full-width character that has a half-width form becomes that form;
/// a voiced kana becomes its base kana followed by the half-width voiced sound mark.
QString GetHANKAKU(const QString &text);

/// The vertical-writing form of one character: digits become kanji digits, dashes and
/// prolonged sound marks a vertical bar, tildes an upright wave. Anything else, and any text
/// of more than one character, comes back unchanged.
QString Get_KanSuzi(const QString &character);

/// A text made ready for vertical writing: narrowed, each character mapped with Get_KanSuzi,
/// widened again.
QString Get_TategakiKansuji(const QString &text);

/// The text cut into what prints in one cell: a character with the variation selectors and
/// combining marks that follow it. A character outside the Basic Multilingual Plane is one
/// cell, not two.
QStringList splitCells(const QString &text);

} // namespace printing
