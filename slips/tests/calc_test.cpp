#include <slips/calc.h>

#include <gtest/gtest.h>

#include <QString>

// Readable failure output for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

using slips::LineAmount;
using slips::SlipCalc;
using slips::Totals;

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

TEST(SlipCalcNumericTest, AcceptsWhole32BitIntegersOnly)
{
    struct Case
    {
        const char *text;
        bool numeric;
    };
    const Case cases[] = {
        {"0", true},
        {"12", true},
        {"  12", true}, // leading blanks
        {"+12", true},
        {"-12", true},
        {"0012", true},
        {"2147483647", true},
        {"-2147483648", true},
        {"2147483648", false}, // beyond the 32-bit range
        {"-2147483649", false},
        {"3000000000", false},
        {"$100", true}, // hexadecimal forms are integers too
        {"0x1F", true},
        {"-$10", true},
        {"$", false},
        {"0x", false},
        {"", false},
        {" ", false},
        {"-", false},
        {"12 ", false}, // trailing blank
        {"1,500", false},
        {"12.5", false},
        {"\\1500", false},
        {"１２", false}, // full-width digits are not digits
        {"12a", false},
        {"1e5", false},
        {"\t12", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SlipCalc::IsStrNumeric(u(c.text)), c.numeric) << c.text;
}

TEST(SlipCalcNumericTest, PointsAreRemovedBeforeTheTest)
{
    EXPECT_TRUE(SlipCalc::passesWithPoints(QStringLiteral("12.5")));
    EXPECT_TRUE(SlipCalc::passesWithPoints(QStringLiteral("1.2.3")));
    EXPECT_FALSE(SlipCalc::passesWithPoints(QStringLiteral(".")));
    EXPECT_FALSE(SlipCalc::passesWithPoints(QStringLiteral("3,000,000,000")));
}

TEST(SlipCalcFormatTest, MoneyRoundsHalvesAwayFromZeroAndGroupsDigits)
{
    struct Case
    {
        double value;
        const char *shown;
    };
    const Case cases[] = {
        {0, "0"},
        {0.5, "1"},
        {2.5, "3"},
        {-2.5, "-3"},
        {-0.4, "0"},
        {3840, "3,840"},
        {363.2, "363"},
        {1105.5, "1,106"},
        {80.56, "81"},
        {499.5, "500"},
        {999.5, "1,000"},
        {-1000, "-1,000"},
        {1234567.0, "1,234,567"},
        {0.7 * 1005, "704"},
        {100, "100"},
        {999, "999"},
        {1000, "1,000"},
        {123456789012345.0, "123,456,789,012,345"},
        {4611686014132420609.0, "4.61168601413242E18"},
        {1e18, "1E18"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SlipCalc::formatMoney(c.value), QString::fromLatin1(c.shown)) << c.value;
}

TEST(SlipCalcFormatTest, DecimalConversionReadsPlainDecimalsOnly)
{
    EXPECT_DOUBLE_EQ(SlipCalc::StrToFloat(QStringLiteral("12.5")), 12.5);
    EXPECT_DOUBLE_EQ(SlipCalc::StrToFloat(QStringLiteral(" -1.5 ")), -1.5);
    EXPECT_DOUBLE_EQ(SlipCalc::StrToFloat(QStringLiteral(".5")), 0.5);
    EXPECT_DOUBLE_EQ(SlipCalc::StrToFloat(QStringLiteral("8")), 8);
    EXPECT_DOUBLE_EQ(SlipCalc::StrToFloat(QStringLiteral("1E2")), 100);
    for (const char *bad :
         {"", " ", "8%", "1.2.3", "$10", "0x10", "１２", "1,5", "inf", "nan", "1e", "+", "."}) {
        EXPECT_FALSE(SlipCalc::tryStrToFloat(u(bad)).has_value()) << bad;
        try {
            SlipCalc::StrToFloat(u(bad));
            ADD_FAILURE() << bad;
        } catch (const slips::ConversionError &e) {
            EXPECT_EQ(QString::fromUtf8(e.what()),
                      QStringLiteral("'%1' は浮動小数点数ではありません").arg(u(bad)));
        }
    }
}

TEST(SlipCalcNormaliseTest, QuantityPriceAndAmountCellsAsRepainted)
{
    using namespace slips;
    struct Case
    {
        int column;
        const char *typed;
        const char *shown;
    };
    const Case cases[] = {
        {ColTanka, "1500", "1,500"},
        {ColTanka, "150", "150"}, // three characters stay as typed
        {ColTanka, "1.5", "1.5"},
        {ColTanka, "1234.5", "1,235"},
        {ColKingaku, "12000", "12,000"}, // a stored plain number
        {ColKingaku, "99.5", "99.5"},    // three digits once the point is gone
        {ColKingaku, "1,500", "1,500"},  // already formatted: fails the test, drawn unchanged
        {ColKingaku, "\\1500", "\\1500"},
        {ColKingaku, "-1000", "-1,000"},
        {ColSuryo, "0012", "12"},
        {ColSuryo, "12", "12"},
        {ColSuryo, "1000.50", "1000.5"},
        {ColSuryo, "01234", "1234"},
        {ColSuryo, "-0000", "0"},
        {ColSuryo, "1234", "1234"},       // no digit grouping for quantities
        {ColSuryo, "1.2.3.4", "1.2.3.4"}, // left open: stays as typed
        {ColTanka, "$100", "$100"},
        {ColTanka, "0x1000", "0x1000"},
        {ColTanka, "１５００", "１５００"},
        {ColTanka, "abc", "abc"},
        {ColTanka, "3000000000", "3000000000"},
        {ColHinmei, "1500", "1500"}, // other columns are never touched
        {ColTekiyo, "0012", "0012"},
    };
    for (const Case &c : cases) {
        const QString shown = SlipCalc::normaliseCell(c.column, u(c.typed));
        EXPECT_EQ(shown, u(c.shown)) << c.column << " " << c.typed;
        // Repainting again never changes a normalised text.
        EXPECT_EQ(SlipCalc::normaliseCell(c.column, shown), shown) << c.typed;
    }
}

TEST(SlipCalcLineTest, AmountFromQuantityAndPrice)
{
    struct Case
    {
        const char *quantity;
        const char *price;
        LineAmount::Outcome outcome;
        const char *amount;
    };
    const Case cases[] = {
        {"3", "1,280", LineAmount::Set, "3,840"},
        {"2", "350", LineAmount::Set, "700"},
        {"1.5", "333", LineAmount::Set, "500"},
        {"-2", "500", LineAmount::Set, "-1,000"},
        {"2", "\\1,500", LineAmount::Set, "3,000"},
        {"3", "", LineAmount::Skip, ""}, // price empty: nothing changes
        {"", "100", LineAmount::Skip, ""},
        {"abc", "100", LineAmount::Keep, ""},
        {"１２", "100", LineAmount::Keep, ""},
        {"2", "3,000,000,000", LineAmount::Keep, ""},
        {"2", "1 500", LineAmount::Keep, ""},
    };
    for (const Case &c : cases) {
        const LineAmount r = SlipCalc::lineAmount(u(c.quantity), u(c.price));
        EXPECT_EQ(r.outcome, c.outcome) << c.quantity << " x " << c.price;
        EXPECT_EQ(r.text, u(c.amount)) << c.quantity << " x " << c.price;
    }
}

TEST(SlipCalcLineTest, UnconvertibleNumbersRaiseTheConversionMessage)
{
    EXPECT_THROW(SlipCalc::lineAmount(QStringLiteral("1.2.3"), QStringLiteral("100")),
                 slips::ConversionError);
    EXPECT_THROW(SlipCalc::lineAmount(QStringLiteral("2"), QStringLiteral("$10")),
                 slips::ConversionError);
}

struct TotalsCase
{
    std::array<const char *, slips::kLineCount> amounts;
    const char *rate;
    Totals expected;
};

class SlipCalcTotalsTest : public ::testing::TestWithParam<TotalsCase>
{
};

TEST_P(SlipCalcTotalsTest, WorkedExamplesHoldToTheYen)
{
    const TotalsCase &c = GetParam();
    std::array<QString, slips::kLineCount> amounts;
    for (int i = 0; i < slips::kLineCount; ++i)
        amounts[size_t(i)] = QString::fromUtf8(c.amounts[size_t(i)]);
    EXPECT_EQ(SlipCalc::Keisan(amounts, QString::fromUtf8(c.rate)), c.expected);
}

Totals shownTotals(const char *g, const char *x, const char *total)
{
    return {QString::fromUtf8(g), QString::fromUtf8(x), QString::fromUtf8(total)};
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, SlipCalcTotalsTest,
    ::testing::Values(
        TotalsCase{{"3,840", "700", "", "", "", "", ""}, "8", shownTotals("4,540", "363", "4,903")},
        TotalsCase{{"1,007", "", "", "", "", "", ""}, "8", shownTotals("1,007", "81", "1,088")},
        TotalsCase{{"1,005", "", "", "", "", "", ""}, "10", shownTotals("1,005", "101", "1,106")},
        TotalsCase{{"500", "", "", "", "", "", ""}, "8", shownTotals("500", "40", "540")},
        TotalsCase{
            {"-1,000", "3,000", "", "", "", "", ""}, "8", shownTotals("2,000", "160", "2,160")},
        TotalsCase{{"", "", "", "", "", "", ""}, "8", shownTotals("0", "0", "0")},
        // Hand-typed amounts: yen sign and comma are cleaned; 99.5 counts unrounded.
        TotalsCase{{"\\1,500", "", "", "", "", "", ""}, "8", shownTotals("1,500", "120", "1,620")},
        TotalsCase{{"99.5", "", "", "", "", "", ""}, "8", shownTotals("100", "8", "107")},
        // An amount that is no number, or beyond 32 bits, simply does not count.
        TotalsCase{{"abc", "3,000,000,000", "100", "", "", "", "１２"},
                   "8",
                   shownTotals("100", "8", "108")},
        TotalsCase{{"1,000", "", "", "", "", "", ""}, " 8 ", shownTotals("1,000", "80", "1,080")}));

TEST(SlipCalcTotalsFailureTest, BadRateOrAmountStopsWithTheConversionMessage)
{
    const std::array<QString, slips::kLineCount> amounts = {QStringLiteral("1,000")};
    for (const char *rate : {"", "8%", "８", "abc"}) {
        try {
            SlipCalc::Keisan(amounts, u(rate));
            ADD_FAILURE() << rate;
        } catch (const slips::ConversionError &e) {
            EXPECT_EQ(e.text(), u(rate));
        }
    }
    std::array<QString, slips::kLineCount> bad = {QStringLiteral("1.2.3")};
    EXPECT_THROW(SlipCalc::Keisan(bad, QStringLiteral("8")), slips::ConversionError);
    bad[0] = QStringLiteral("$10");
    EXPECT_THROW(SlipCalc::Keisan(bad, QStringLiteral("8")), slips::ConversionError);
}

TEST(SlipCalcRobustnessTest, LongAndOddTextsNeverCrash)
{
    const QString odd[] = {QString(100000, QLatin1Char('9')),
                           QString(5000, QLatin1Char('.')),
                           QStringLiteral("-"),
                           QStringLiteral("+.5"),
                           QStringLiteral("¥1,000"),
                           QStringLiteral("1e308"),
                           QStringLiteral("\\,\\,")};
    for (const QString &s : odd) {
        for (int col = 0; col < 6; ++col)
            (void)SlipCalc::normaliseCell(col, s);
        try {
            (void)SlipCalc::lineAmount(s, s);
            (void)SlipCalc::Keisan({s, s, s, s, s, s, s}, s);
        } catch (const slips::ConversionError &) {
        }
    }
    EXPECT_EQ(SlipCalc::Keisan({QStringLiteral("2000000000")}, QStringLiteral("1e308")).tax,
              QStringLiteral("INF"));
    EXPECT_EQ(SlipCalc::Keisan({QStringLiteral("1")}, QStringLiteral("1e20")).tax,
              QStringLiteral("1E18"));
}

} // namespace

namespace {

TEST(SlipCalcDateTest, DateBoxTextsReadAsTheStoreExpects)
{
    const QDate today(2026, 12, 10);
    struct Case
    {
        const char *text;
        QDate date;
    };
    const Case cases[] = {
        {"2026/12/10", QDate(2026, 12, 10)},
        {"2026/ 1/05", QDate(2026, 1, 5)},
        {"2026/1 /05", QDate(2026, 1, 5)},
        {"  26/01/05", QDate(2026, 1, 5)}, // two-digit year within 50 years of today
        {"  80/01/05", QDate(1980, 1, 5)},
        {"2024/02/29", QDate(2024, 2, 29)},
        {"2026/02/29", QDate()}, // no such day
        {"2026/13/01", QDate()},
        {"    /  /  ", QDate()}, // the empty box
        {"    /  /05", QDate()},
        {"2026/  /05", QDate()},
        {"２０２６/１２/１０", QDate()}, // full-width digits are no digits
        {"2026-12-10", QDate()},
        {"", QDate()},
        {"0000/01/01", QDate()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SlipCalc::readDate(QString::fromUtf8(c.text), today), c.date) << c.text;
}

} // namespace
