#include <printing/textconv.h>

#include <QHash>

namespace printing {

namespace {

// Half-width katakana and Japanese punctuation U+FF61 to U+FF9F and their full-width forms,
// in code order. The stand-alone sound marks widen to the spacing marks ゛ and ゜, not to
// the combining ones.
const char16_t kHalfKanaBase = 0xFF61;
const QString &fullKana()
{
    static const QString s = QStringLiteral("。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサ"
                                            "シスセソタチツテトナニヌネノハヒフヘホ"
                                            "マミムメモヤユヨラリルレロワン゛゜");
    return s;
}

constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

// Signs outside ASCII that have full-width forms: ¢ £ ¬ ¯ ¦ ¥ ₩.
const QList<QPair<char32_t, char32_t>> &signPairs()
{
    static const QList<QPair<char32_t, char32_t>> pairs = {
        {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2}, {0x00AF, 0xFFE3},
        {0x00A6, 0xFFE4}, {0x00A5, 0xFFE5}, {0x20A9, 0xFFE6},
    };
    return pairs;
}

struct Tables
{
    QHash<char32_t, char32_t> toFull;     // single characters
    QHash<char32_t, QString> toHalf;      // one full-width character to one or two half
    QHash<char32_t, char32_t> voiced;     // half-width base (as full-width) -> voiced kana
    QHash<char32_t, char32_t> semiVoiced; // -> semi-voiced kana

    Tables()
    {
        toFull.insert(0x20, 0x3000);
        toHalf.insert(0x3000, QStringLiteral(" "));
        for (char32_t c = 0x21; c <= 0x7E; ++c) {
            toFull.insert(c, c + 0xFEE0);
            toHalf.insert(c + 0xFEE0, QString(QChar(char16_t(c))));
        }
        for (const auto &[half, full] : signPairs()) {
            toFull.insert(half, full);
            toHalf.insert(full, QString(QChar(char16_t(half))));
        }
        const QString &kana = fullKana();
        for (int i = 0; i < kana.size(); ++i) {
            const char16_t half = char16_t(kHalfKanaBase + i);
            toFull.insert(half, kana[i].unicode());
            toHalf.insert(kana[i].unicode(), QString(QChar(half)));
        }
        // The combining sound marks narrow like the spacing ones.
        toHalf.insert(0x3099, QString(QChar(kVoicedMark)));
        toHalf.insert(0x309A, QString(QChar(kSemiVoicedMark)));

        // Voiced kana: the next code point after the base in the katakana block, and the
        // three that stand apart (ヴ, ヷ, ヺ). Semi-voiced ones two after ハ to ホ.
        const QString voicedBases = QStringLiteral("カキクケコサシスセソタチツテトハヒフヘホ");
        for (QChar b : voicedBases)
            voiced.insert(b.unicode(), b.unicode() + 1);
        voiced.insert(u'ウ', u'ヴ');
        voiced.insert(u'ワ', u'ヷ');
        voiced.insert(u'ヲ', u'ヺ');
        for (QChar b : QStringLiteral("ハヒフヘホ"))
            semiVoiced.insert(b.unicode(), b.unicode() + 2);
        const QString halfVoiced{QChar(kVoicedMark)};
        const QString halfSemi{QChar(kSemiVoicedMark)};
        for (auto it = voiced.cbegin(); it != voiced.cend(); ++it)
            toHalf.insert(it.value(), toHalf.value(it.key()) + halfVoiced);
        for (auto it = semiVoiced.cbegin(); it != semiVoiced.cend(); ++it)
            toHalf.insert(it.value(), toHalf.value(it.key()) + halfSemi);
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

// Code point at i, or the lone surrogate itself; advances i.
char32_t nextCodePoint(const QString &s, qsizetype &i)
{
    const QChar c = s[i++];
    if (c.isHighSurrogate() && i < s.size() && s[i].isLowSurrogate())
        return QChar::surrogateToUcs4(c, s[i++]);
    return c.unicode();
}

void append(QString &out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar::highSurrogate(c));
        out.append(QChar::lowSurrogate(c));
    } else {
        out.append(QChar(char16_t(c)));
    }
}

bool joinsPrevious(char32_t c)
{
    if ((c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF))
        return true; // variation selectors
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

} // namespace

QString GetZENKAKU(const QString &text)
{
    const Tables &t = tables();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const char32_t c = nextCodePoint(text, i);
        const char32_t full = t.toFull.value(c, c);
        if (c >= kHalfKanaBase && c < kVoicedMark && i < text.size()) {
            const char16_t mark = text[i].unicode();
            const QHash<char32_t, char32_t> *joined = mark == kVoicedMark       ? &t.voiced
                                                      : mark == kSemiVoicedMark ? &t.semiVoiced
                                                                                : nullptr;
            if (joined && joined->contains(full)) {
                append(out, joined->value(full));
                ++i;
                continue;
            }
        }
        append(out, full);
    }
    return out;
}

QString GetHANKAKU(const QString &text)
{
    const Tables &t = tables();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const char32_t c = nextCodePoint(text, i);
        const auto it = t.toHalf.constFind(c);
        if (it != t.toHalf.cend())
            out += it.value();
        else
            append(out, c);
    }
    return out;
}

QString Get_KanSuzi(const QString &character)
{
    if (character.size() != 1)
        return character;
    const char16_t c = character[0].unicode();
    switch (c) {
    case u'～':
    case u'~':
    case u'〜': // the wave dash that input methods on Linux give for ～
        return QStringLiteral("∫");
    case u'-':
    case u'ｰ':
    case u'ー':
    case u'−': // minus sign, and the dashes U+2010 to U+2015 that stand for - and ー
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2014:
    case 0x2015:
        return QStringLiteral("|");
    default:
        break;
    }
    static const QString kanji = QStringLiteral("〇一二三四五六七八九");
    if (c >= u'0' && c <= u'9')
        return QString(kanji[c - u'0']);
    if (c >= u'０' && c <= u'９')
        return QString(kanji[c - u'０']);
    return character;
}

QString Get_TategakiKansuji(const QString &text)
{
    const QString narrow = GetHANKAKU(text);
    QString mapped;
    mapped.reserve(narrow.size());
    for (qsizetype i = 0; i < narrow.size(); ++i)
        mapped += Get_KanSuzi(QString(narrow[i]));
    return GetZENKAKU(mapped);
}

QStringList splitCells(const QString &text)
{
    QStringList cells;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype start = i;
        nextCodePoint(text, i);
        while (i < text.size()) {
            qsizetype j = i;
            if (!joinsPrevious(nextCodePoint(text, j)))
                break;
            i = j;
        }
        cells.append(text.mid(start, i - start));
    }
    return cells;
}

} // namespace printing
