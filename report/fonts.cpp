#include <report/fonts.h>

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPainterPath>
#include <QRawFont>
#include <QStringList>

#include <cmath>

namespace report {

namespace {

struct Substitution
{
    QString face;
    QStringList families; // first installed one wins, the rest are fallbacks
};

const QList<Substitution> &substitutions()
{
    static const QList<Substitution> table = {
        {QStringLiteral("ＭＳ 明朝"), {QStringLiteral("IPAMincho"), QStringLiteral("IPAexMincho")}},
        {QStringLiteral("ＭＳ Ｐ明朝"),
         {QStringLiteral("IPAPMincho"), QStringLiteral("IPAexMincho")}},
        {QStringLiteral("ＭＳ ゴシック"),
         {QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic")}},
        {QStringLiteral("ＭＳ Ｐゴシック"),
         {QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic")}},
        {QStringLiteral("MS Mincho"), {QStringLiteral("IPAMincho")}},
        {QStringLiteral("MS PMincho"), {QStringLiteral("IPAPMincho")}},
        {QStringLiteral("MS Gothic"), {QStringLiteral("IPAGothic")}},
        {QStringLiteral("MS PGothic"), {QStringLiteral("IPAPGothic")}},
        {QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans"), QStringLiteral("IPAPGothic")}},
        // The brush-style face of envelope addresses: a 行書 font where one is installed,
        // else a Mincho face, which is closer to handwriting than a Gothic one.
        {QStringLiteral("HG行書体"),
         {QStringLiteral("AoyagiKouzanFontT"), QStringLiteral("IPAMincho"),
          QStringLiteral("IPAexMincho")}},
    };
    return table;
}

} // namespace

// The stand-ins of a face in order of preference; the face itself when it has none.
QStringList familiesFor(const QString &face)
{
    for (const Substitution &s : substitutions()) {
        if (s.face == face)
            return s.families;
    }
    return {face};
}

QString installedFamilyFor(const QString &face)
{
    for (const Substitution &s : substitutions()) {
        if (s.face == face)
            return s.families.first();
    }
    return face;
}

void installFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    for (const Substitution &s : substitutions()) {
        QStringList families = s.families;
        // Japanese text in a Latin face still needs glyphs.
        if (!families.contains(QStringLiteral("IPAPGothic")))
            families.append(QStringLiteral("IPAPGothic"));
        QFont::insertSubstitutions(s.face, families);
    }
}

QFont qtFontFor(const CanvasFont &font, QSize dpi)
{
    installFontSubstitutions();
    QFont f(installedFamilyFor(font.face));
    // A face that is not installed falls back to a Japanese one, never to a font without
    // kana and kanji.
    QStringList fallbacks = {QStringLiteral("IPAPGothic")};
    f.setFamilies(familiesFor(font.face) + fallbacks);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    const int ydpi = dpi.height() > 0 ? dpi.height() : 96;
    if (font.height < 0) {
        f.setPixelSize(-font.height);
    } else if (font.height > 0) {
        // A cell height includes the internal leading: shrink the em size by the font's own
        // ratio of em to ascent + descent.
        QFont probe = f;
        probe.setPixelSize(1000);
        const QFontMetricsF fm(probe);
        const double cell = fm.ascent() + fm.descent();
        const double em = cell > 0 ? font.height * 1000.0 / cell : font.height;
        f.setPixelSize(std::max(1, int(std::nearbyint(em))));
    } else {
        // GDI: lfHeight = -MulDiv(points, dpi, 72), rounded to the nearest pixel.
        const double px = font.pointSize * ydpi / 72.0;
        f.setPixelSize(std::max(1, int(std::nearbyint(px))));
    }
    return f;
}

namespace {

// True unless the family has a glyph for a character of the text that draws nothing: some
// brush fonts carry empty glyphs for signs they do not design (｜ in a 行書 face), and Qt only
// falls back for glyphs a font does not have at all.
bool familyDrawsText(const QString &family, const QString &text)
{
    static QHash<QString, bool> known;
    const QString key = family + QChar(0) + text;
    if (const auto it = known.constFind(key); it != known.constEnd())
        return *it;
    QFont f(family);
    f.setPixelSize(48);
    const QRawFont raw = QRawFont::fromFont(f, QFontDatabase::Japanese);
    bool draws = true;
    if (raw.isValid() && raw.familyName().compare(family, Qt::CaseInsensitive) == 0) {
        for (const char32_t c : text.toUcs4()) {
            if (QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format ||
                QChar::category(c) == QChar::Mark_NonSpacing)
                continue;
            const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
            if (!glyphs.isEmpty() && glyphs.first() != 0 &&
                raw.pathForGlyph(glyphs.first()).isEmpty()) {
                draws = false;
                break;
            }
        }
    }
    known.insert(key, draws);
    return draws;
}

} // namespace

QString faceForText(const QString &face, const QString &text)
{
    const QStringList families = familiesFor(face);
    if (families.isEmpty() || familyDrawsText(families.first(), text))
        return face;
    for (qsizetype i = 1; i < families.size(); ++i)
        if (familyDrawsText(families[i], text))
            return families[i];
    return QStringLiteral("IPAMincho");
}

} // namespace report
