#include <slips/calc.h>

#include <store/query.h>

#include <QStringList>

#include <charconv>
#include <cmath>
#include <string>

namespace slips {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Value of an ASCII hexadecimal digit, -1 for anything else.
int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Digits of a non-negative integer text (no sign), grouped by three with commas.
QString groupThousands(const std::string &digits)
{
    QString out;
    const int n = int(digits.size());
    out.reserve(n + n / 3);
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += QLatin1Char(digits[size_t(i)]);
    }
    return out;
}

// Infinity and NaN can only come from absurd rates; show them rather than garbage digits.
QString formatNonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

} // namespace

ConversionError::ConversionError(const QString &text)
    : std::runtime_error(
          QStringLiteral("'%1' は浮動小数点数ではありません").arg(text).toUtf8().toStdString())
    , m_text(text)
{}

bool SlipCalc::IsStrNumeric(const QString &s)
{
    const int n = int(s.size());
    int i = 0;
    while (i < n && s[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    bool hex = false;
    if (i < n && s[i] == QLatin1Char('$')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && s[i] == QLatin1Char('0') &&
               (s[i + 1] == QLatin1Char('x') || s[i + 1] == QLatin1Char('X'))) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return false;

    // Hexadecimal forms cover the full 32 bits, as the integer conversion reads them as an
    // unsigned pattern; decimal text must fit the signed range.
    const quint64 limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    quint64 value = 0;
    for (; i < n; ++i) {
        const int digit = hex ? hexValue(s[i]) : (isAsciiDigit(s[i]) ? s[i].unicode() - u'0' : -1);
        if (digit < 0)
            return false;
        value = value * (hex ? 16 : 10) + quint64(digit);
        if (value > limit)
            return false;
    }
    return true;
}

bool SlipCalc::passesWithPoints(const QString &s)
{
    QString stripped = s;
    stripped.remove(QLatin1Char('.'));
    return IsStrNumeric(stripped);
}

std::optional<double> SlipCalc::tryStrToFloat(const QString &s)
{
    const int n = int(s.size());
    int i = 0;
    while (i < n && s[i] == QLatin1Char(' '))
        ++i;
    int end = n;
    while (end > i && s[end - 1] == QLatin1Char(' '))
        --end;

    // Validate the shape ourselves: from_chars alone would accept "inf", "nan" and would
    // stop early instead of failing on trailing text.
    std::string ascii;
    ascii.reserve(size_t(end - i));
    int j = i;
    if (j < end && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-'))) {
        if (s[j] == QLatin1Char('-'))
            ascii += '-';
        ++j;
    }
    int mantissaDigits = 0;
    bool point = false;
    for (; j < end; ++j) {
        const QChar c = s[j];
        if (isAsciiDigit(c)) {
            ++mantissaDigits;
            ascii += char(c.unicode());
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
            ascii += '.';
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (j < end && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
        ascii += 'e';
        ++j;
        if (j < end && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-'))) {
            ascii += char(s[j].unicode());
            ++j;
        }
        int expDigits = 0;
        for (; j < end && isAsciiDigit(s[j]); ++j, ++expDigits)
            ascii += char(s[j].unicode());
        if (expDigits == 0)
            return std::nullopt;
    }
    if (j != end)
        return std::nullopt;

    double value = 0;
    const auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || ptr != ascii.data() + ascii.size())
        return std::nullopt;
    return value;
}

double SlipCalc::StrToFloat(const QString &s)
{
    if (const auto value = tryStrToFloat(s))
        return *value;
    throw ConversionError(s);
}

QString SlipCalc::clean(QString s)
{
    s.remove(QLatin1Char(','));
    s.remove(QLatin1Char('\\'));
    return s;
}

QString SlipCalc::formatMoney(double value)
{
    if (!std::isfinite(value))
        return formatNonFinite(value);
    // Beyond 18 digits a grouped integer is all invented zeros; the exponent form is honest.
    if (std::fabs(value) >= 1e18)
        return formatGeneral(value);

    // Round to 15 significant digits first, as the decimal display of a double does, so a
    // product such as 0.7 × 1005 (703.49999999999994 in binary) shows as 704, not 703.
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string sci(buf, res.ptr);
    const size_t ePos = sci.find('e');
    std::string digits = sci.substr(0, 1) + sci.substr(2, ePos - 2); // 15 digits
    const int exponent = std::stoi(sci.substr(ePos + 1));

    std::string integer;
    int roundingDigit = 0;
    if (exponent < 0) {
        integer = "0";
        roundingDigit = exponent == -1 ? digits[0] - '0' : 0;
    } else if (exponent + 1 >= int(digits.size())) {
        integer = digits + std::string(size_t(exponent + 1 - int(digits.size())), '0');
    } else {
        integer = digits.substr(0, size_t(exponent + 1));
        roundingDigit = digits[size_t(exponent + 1)] - '0';
    }
    if (roundingDigit >= 5) {
        int k = int(integer.size()) - 1;
        while (k >= 0 && integer[size_t(k)] == '9') {
            integer[size_t(k)] = '0';
            --k;
        }
        if (k < 0)
            integer.insert(integer.begin(), '1');
        else
            ++integer[size_t(k)];
    }
    const size_t firstNonZero = integer.find_first_not_of('0');
    if (firstNonZero == std::string::npos)
        return QStringLiteral("0");
    integer.erase(0, firstNonZero);
    const QString grouped = groupThousands(integer);
    return value < 0 ? QLatin1Char('-') + grouped : grouped;
}

QString SlipCalc::formatGeneral(double value)
{
    if (!std::isfinite(value))
        return formatNonFinite(value);
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string text(buf, res.ptr);
    // Exponent written as E-5 / E15, the way the rest of the program's number texts look.
    const size_t ePos = text.find('e');
    if (ePos != std::string::npos) {
        std::string mantissa = text.substr(0, ePos);
        int exponent = std::stoi(text.substr(ePos + 1));
        text = mantissa + "E" + std::to_string(exponent);
    }
    return QString::fromLatin1(text);
}

QString SlipCalc::normaliseCell(int column, const QString &text)
{
    if (column != ColSuryo && column != ColTanka && column != ColKingaku)
        return text;
    QString stripped = text;
    stripped.remove(QLatin1Char('.'));
    if (stripped.size() <= 3 || !IsStrNumeric(stripped))
        return text;
    const auto value = tryStrToFloat(text);
    if (!value)
        return text;
    return column == ColSuryo ? formatGeneral(*value) : formatMoney(*value);
}

LineAmount SlipCalc::lineAmount(const QString &quantity, const QString &price)
{
    if (quantity.isEmpty() || price.isEmpty())
        return {LineAmount::Skip, {}};
    const QString q = clean(quantity);
    const QString p = clean(price);
    if (!passesWithPoints(q) || !passesWithPoints(p))
        return {LineAmount::Keep, {}};
    const double qv = StrToFloat(q);
    const double pv = StrToFloat(p);
    return {LineAmount::Set, formatMoney(qv * pv)};
}

double SlipCalc::subtotal(const std::array<QString, kLineCount> &amounts)
{
    double sum = 0;
    for (const QString &amount : amounts) {
        const QString text = clean(amount.isEmpty() ? QStringLiteral("0") : amount);
        if (passesWithPoints(text))
            sum += StrToFloat(text);
    }
    return sum;
}

Totals SlipCalc::totals(double subtotal, const QString &rate)
{
    const double factor = StrToFloat(rate) * 0.01;
    const double tax = factor * subtotal;
    const double total = subtotal + tax;
    return {formatMoney(subtotal), formatMoney(tax), formatMoney(total)};
}

Totals SlipCalc::Keisan(const std::array<QString, kLineCount> &amounts, const QString &rate)
{
    return totals(subtotal(amounts), rate);
}

QDate SlipCalc::readDate(const QString &text, const QDate &today)
{
    // The store converts the same text when saving: one reading for both.
    return store::readShortDate(text, today);
}

} // namespace slips
