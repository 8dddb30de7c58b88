#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <optional>
#include <stdexcept>

namespace slips {

/// A text the calculation could not convert to a number. what() carries the user's message
/// in UTF-8, ready for the standard error box.
class ConversionError : public std::runtime_error
{
public:
    explicit ConversionError(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

/// Number of item lines on a slip.
constexpr int kLineCount = 7;

/// Grid columns of a slip line.
enum SlipColumn {
    ColNo = 0,
    ColHinmei = 1,
    ColSuryo = 2,
    ColTanka = 3,
    ColKingaku = 4,
    ColTekiyo = 5
};

/// What moving into an amount cell does to that line.
struct LineAmount
{
    enum Outcome {
        Skip, ///< quantity or price empty: neither the amount nor the totals change
        Keep, ///< not both numbers: the amount stays, the totals are recalculated
        Set   ///< the amount becomes `text`, then the totals are recalculated
    };
    Outcome outcome = Skip;
    QString text;
};

/// The three total boxes as shown.
struct Totals
{
    QString gokei, tax, total;
    bool operator==(const Totals &) const = default;
};

/// Slip arithmetic on the texts of the slip form. Money and quantities are texts; numbers
/// exist only while computing (double precision, never rounded until formatted).
class SlipCalc
{
public:
    /// True when the text reads, as a whole, as a signed 32-bit integer: leading blanks, an
    /// optional sign, then decimal digits, or a hexadecimal form with "$" or "0x".
    static bool IsStrNumeric(const QString &s);
    /// The test applied to a text with every "." removed, so 12.5 passes.
    static bool passesWithPoints(const QString &s);

    /// Converts a decimal text (blanks around, sign, one point, exponent) or throws
    /// ConversionError with "'%s' は浮動小数点数ではありません".
    static double StrToFloat(const QString &s);
    static std::optional<double> tryStrToFloat(const QString &s);

    /// Removes digit-group commas and yen signs ("\", U+005C).
    static QString clean(QString s);

    /// "#,##0": whole number, halves away from zero, commas between groups of three.
    static QString formatMoney(double value);
    /// General decimal form, up to 15 significant digits, no grouping.
    static QString formatGeneral(double value);

    /// The text a quantity, price or amount cell shows after repainting. Texts the
    /// conversion cannot read (1.2.3.4, $100) stay as typed.
    static QString normaliseCell(int column, const QString &text);

    /// The amount of a line from its quantity and price texts. Throws ConversionError.
    static LineAmount lineAmount(const QString &quantity, const QString &price);

    /// Subtotal, tax and total from the amount texts of the seven lines and the rate box.
    /// Throws ConversionError; nothing is produced then.
    static Totals Keisan(const std::array<QString, kLineCount> &amounts, const QString &rate);
    /// The two steps of Keisan: the subtotal (amounts that fail the numeric test do not
    /// count; one that passes but does not convert throws), and the boxes from it and the
    /// rate text (throws when the rate does not convert).
    static double subtotal(const std::array<QString, kLineCount> &amounts);
    static Totals totals(double subtotal, const QString &rate);

    /// The date of a date box text (yyyy/mm/dd, blanks allowed around each part, a year of
    /// one or two digits taken within 50 years of today), or an invalid QDate. Only ASCII
    /// digits count: full-width digits make no date.
    static QDate readDate(const QString &text, const QDate &today);
};

} // namespace slips
