#include "slipfixture.h"

#include <slips/denpyosql.h>
#include <slips/slipgrid.h>
#include <slips/today.h>
#include <ui/maskedit.h>

#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace slipstest;

namespace {

TEST(DenpyoSqlTest, StatementsHaveTheirFixedLineLayout)
{
    const QStringList update = slips::denpyoUpdateSql();
    ASSERT_EQ(update.size(), 51);
    for (const QString &line : update)
        EXPECT_EQ(line.size(), 27) << line.toStdString();
    EXPECT_EQ(update[0].trimmed(), QStringLiteral("update \"DENPYO\""));
    EXPECT_EQ(update[1].trimmed(), QStringLiteral("set"));
    EXPECT_EQ(update[2], QStringLiteral("  \"TKANO\" = :\"TKANO\"").leftJustified(27));
    EXPECT_EQ(update[3], QStringLiteral(", \"TKNAME\" = :\"TKNAME\"").leftJustified(27));
    EXPECT_EQ(update[48], QStringLiteral(", \"KUBUN1\" = :\"KUBUN1\"").leftJustified(27));
    EXPECT_EQ(update[49].trimmed(), QStringLiteral("where"));
    EXPECT_EQ(update[50], QStringLiteral("  \"ANO\" = :\"OLD_ANO\"").leftJustified(27));

    const QStringList insert = slips::denpyoInsertSql();
    ASSERT_EQ(insert.size(), 100); // the fixed 99 lines and the returned number
    for (const QString &line : insert) {
        EXPECT_EQ(line.size(), 26) << line.toStdString();
        EXPECT_TRUE(line.startsWith(QStringLiteral("     "))) << line.toStdString();
    }
    EXPECT_EQ(insert[0].trimmed(), QStringLiteral("insert into \"DENPYO\""));
    EXPECT_EQ(insert[1].trimmed(), QStringLiteral("("));
    EXPECT_EQ(insert[2], QStringLiteral("       \"TKANO\"").leftJustified(26));
    EXPECT_EQ(insert[3], QStringLiteral("     , \"TKNAME\"").leftJustified(26));
    EXPECT_EQ(insert[48], QStringLiteral("     , \"KUBUN1\"").leftJustified(26));
    EXPECT_EQ(insert[49].trimmed(), QStringLiteral(")"));
    EXPECT_EQ(insert[50].trimmed(), QStringLiteral("values ("));
    EXPECT_EQ(insert[51], QStringLiteral("       :\"TKANO\"").leftJustified(26));
    EXPECT_EQ(insert[52], QStringLiteral("     , :\"TKNAME\"").leftJustified(26));
    EXPECT_EQ(insert[97], QStringLiteral("     , :\"KUBUN1\"").leftJustified(26));
    EXPECT_EQ(insert[98].trimmed(), QStringLiteral(")"));
    EXPECT_EQ(insert[99].trimmed(), QStringLiteral("returning \"ANO\""));
}

} // namespace

namespace {

using slips::TDenpyo;

QString today()
{
    return slips::today().toString(QStringLiteral("yyyy/MM/dd"));
}

const QString kSaved = QStringLiteral("登録しました");
const QString kFailed = QStringLiteral("失敗しました");

using SlipStoreTest = SlipTest;

// Fills every box and cell of a slip the way a user would see it.
void fillFullSlip(TDenpyo &form)
{
    form.TKANO->setText(QStringLiteral("17"));
    form.NAME1->setText(QStringLiteral("㈱髙橋商店"));
    form.ZIP->setMaskedText(QStringLiteral("123-4567"));
    form.ADDR1->setText(QStringLiteral("東京都千代田区"));
    form.ADDR2->setText(QStringLiteral("神田1-2-3 ﾊｲﾂ髙木 101号"));
    form.TEL->setText(QStringLiteral("03-1234-5678"));
    form.YMD->setMaskedText(QStringLiteral("2026/03/31"));
    const char *lines[7][5] = {
        {"りんご", "3", "1,280", "3,840", "青森産"},
        {"みかん", "2", "350", "700", ""},
        {"", "", "", "", ""},
        {"梨", "1.5", "333", "500", "①"},
        {"", "", "", "", "備考のみ"},
        {"値引き", "-2", "500", "-1,000", ""},
        {"ぶどう", "1", "3,000", "3,000", "～"},
    };
    for (int r = 1; r <= 7; ++r)
        for (int c = 1; c <= 5; ++c)
            form.StringGrid1->setCell(c, r, QString::fromUtf8(lines[r - 1][c - 1]));
    form.GOKEI->setText(QStringLiteral("7,040"));
    form.TAX->setText(QStringLiteral("563"));
    form.TOTAL->setText(QStringLiteral("7,603"));
}

QStringList formTexts(TDenpyo &form)
{
    QStringList t = {form.ANO->text(),       form.TKANO->text(),     form.NAME1->text(),
                     form.ZIP->maskedText(), form.ADDR1->text(),     form.ADDR2->text(),
                     form.TEL->text(),       form.YMD->maskedText(), form.GOKEI->text(),
                     form.TAX->text(),       form.TOTAL->text()};
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 7; ++r)
            t << form.StringGrid1->cell(c, r);
    return t;
}

TEST_F(SlipStoreTest, FullSlipRoundTripsExactly)
{
    int ano = 0;
    QStringList shown;
    {
        auto form = openForm();
        fillFullSlip(*form);
        QTest::mouseClick(form->BitBtn3, Qt::LeftButton);
        ASSERT_EQ(form->messages, QStringList{kSaved});
        // Mended: the new number is shown, so the next save updates this slip.
        ano = form->ANO->text().toInt();
        ASSERT_GT(ano, 0);
        EXPECT_FALSE(form->hasUnsavedChanges());
        shown = formTexts(*form);
    }
    const auto stored = row(ano);
    EXPECT_EQ(stored.value("TKANO"), QStringLiteral("17"));
    EXPECT_EQ(stored.value("TKNAME"), QStringLiteral("㈱髙橋商店"));
    EXPECT_EQ(stored.value("TKZIP"), QStringLiteral("123-4567"));
    EXPECT_EQ(stored.value("TKADDR2"), QStringLiteral("神田1-2-3 ﾊｲﾂ髙木 101号"));
    EXPECT_EQ(stored.value("YMD"), QStringLiteral("2026/03/31"));
    EXPECT_EQ(stored.value("VYMD"), QStringLiteral("2026/03/31"));
    EXPECT_EQ(stored.value("TANKA1"), QStringLiteral("1,280"));
    EXPECT_EQ(stored.value("KINGAKU6"), QStringLiteral("-1,000"));
    EXPECT_EQ(stored.value("SURYO4"), QStringLiteral("1.5"));
    EXPECT_EQ(stored.value("HINMEI3"), QString());
    EXPECT_EQ(stored.value("GOKEI"), QStringLiteral("7040")); // without commas
    EXPECT_EQ(stored.value("TAX"), QStringLiteral("563"));
    EXPECT_EQ(stored.value("TOTAL"), QStringLiteral("7603"));
    EXPECT_EQ(stored.value("KUBUN1"), QStringLiteral("1"));

    auto reopened = openForm(ano);
    QStringList expected = shown;
    expected[8] = QStringLiteral("7040"); // totals come back as stored whole numbers
    expected[10] = QStringLiteral("7603");
    EXPECT_EQ(formTexts(*reopened), expected);
    EXPECT_FALSE(reopened->hasUnsavedChanges());
    EXPECT_EQ(reopened->TXRITU->text(), QStringLiteral("8")); // the setting, not recalculated
}

TEST_F(SlipStoreTest, EmptyLinesTotalsAndCustomerNumberStoreNull)
{
    auto form = openForm();
    form->NAME1->setText(QStringLiteral("山田"));
    QTest::mouseClick(form->BitBtn3, Qt::LeftButton);
    ASSERT_EQ(form->messages, QStringList{kSaved});
    const int ano = form->ANO->text().toInt();
    const auto stored = row(ano);
    EXPECT_EQ(stored.value("YMD"), today());
    EXPECT_EQ(stored.value("TKZIP"), QStringLiteral("   -    "));
    for (const char *c : {"TKANO", "GOKEI", "TAX", "TOTAL", "HINMEI1", "KINGAKU7"})
        EXPECT_EQ(stored.value(c), QString()) << c;

    // NULL columns come back empty; saving again keeps them NULL.
    auto reopened = openForm(ano);
    EXPECT_EQ(reopened->TKANO->text(), QString());
    EXPECT_EQ(reopened->GOKEI->text(), QString());
    EXPECT_EQ(reopened->ZIP->maskedText(), QStringLiteral("   -    "));
    QTest::mouseClick(reopened->BitBtn3, Qt::LeftButton);
    EXPECT_EQ(reopened->messages, QStringList{kSaved});
    EXPECT_EQ(row(ano).value("TKANO"), QString());
    EXPECT_EQ(slipCount(), 1);
}

// Mended: every further save of a new slip inserted another copy.
TEST_F(SlipStoreTest, SavingANewSlipTwiceUpdatesTheSameSlip)
{
    auto form = openForm();
    fillFullSlip(*form);
    form->BitBtn3Click();
    const QString ano = form->ANO->text();
    form->NAME1->setText(QStringLiteral("鈴木"));
    form->BitBtn3Click();
    EXPECT_EQ(form->messages, QStringList({kSaved, kSaved}));
    EXPECT_EQ(form->ANO->text(), ano);
    EXPECT_EQ(slipCount(), 1);
    EXPECT_EQ(row(ano.toInt()).value("TKNAME"), QStringLiteral("鈴木"));

    // クリア starts a new slip: the next save inserts.
    form->BitBtn12Click();
    form->YMD->setMaskedText(QStringLiteral("2026/01/01"));
    form->BitBtn3Click();
    EXPECT_EQ(slipCount(), 2);
    EXPECT_NE(form->ANO->text(), ano);
}

// Mended: an update that matched no row was reported as saved.
TEST_F(SlipStoreTest, SavingUnderANumberWithoutSlipFails)
{
    const int existing = insertSlip({{"TKNAME", "既存"}, {"YMD", "2026/01/01"}});
    auto form = openForm();
    fillFullSlip(*form);
    form->ANO->setText(QString::number(existing + 100));
    form->BitBtn3Click();
    EXPECT_EQ(form->messages, QStringList{kFailed});
    EXPECT_EQ(slipCount(), 1);
    EXPECT_EQ(row(existing).value("TKNAME"), QStringLiteral("既存"));
    EXPECT_TRUE(form->hasUnsavedChanges());

    form->ANO->setText(QString::number(existing));
    form->BitBtn3Click();
    EXPECT_EQ(form->messages.last(), kSaved);
    EXPECT_EQ(row(existing).value("TKNAME"), QStringLiteral("㈱髙橋商店"));
}

TEST_F(SlipStoreTest, ValuesTheStoreRefusesFailAndLeaveTheFormAsItWas)
{
    struct Case
    {
        const char *what;
        std::function<void(TDenpyo &)> spoil;
    };
    const Case cases[] = {
        {"empty date",
         [](TDenpyo &f) {
             f.YMD->setMaskedText(QString());
         }},
        {"no such day",
         [](TDenpyo &f) {
             f.YMD->setMaskedText(QStringLiteral("2026/02/30"));
         }},
        {"second day digit missing",
         [](TDenpyo &f) {
             f.YMD->setMaskedText(QStringLiteral("2026/12/1 "));
         }},
        {"day only",
         [](TDenpyo &f) {
             f.YMD->setMaskedText(QStringLiteral("    /  /05"));
         }},
        {"full-width date",
         [](TDenpyo &f) {
             f.YMD->setMaskedText(QStringLiteral("２０２６/０１/０１"));
         }},
        {"customer number not a number",
         [](TDenpyo &f) {
             f.TKANO->setText("abc");
         }},
        {"total not a number",
         [](TDenpyo &f) {
             f.TOTAL->setText(QStringLiteral("7,603円"));
         }},
        {"total out of range",
         [](TDenpyo &f) {
             f.GOKEI->setText(QStringLiteral("3,000,000,000"));
         }},
        {"slip number not a number",
         [](TDenpyo &f) {
             f.ANO->setText(QStringLiteral("abc"));
         }},
        {"cell too long for its column (set by the program, not typed)",
         [](TDenpyo &f) {
             f.StringGrid1->setCell(2, 1, QString(1000, QLatin1Char('1')));
         }},
    };
    auto form = openForm();
    for (const Case &c : cases) {
        form->BitBtn12Click();
        fillFullSlip(*form);
        c.spoil(*form);
        const QStringList before = formTexts(*form);
        form->messages.clear();
        form->BitBtn3Click();
        EXPECT_EQ(form->messages, QStringList{kFailed}) << c.what;
        EXPECT_EQ(formTexts(*form), before) << c.what;
        EXPECT_EQ(slipCount(), 0) << c.what;
    }
    // The transaction stays usable: a valid save succeeds.
    form->BitBtn12Click();
    fillFullSlip(*form);
    form->messages.clear();
    form->BitBtn3Click();
    EXPECT_EQ(form->messages, QStringList{kSaved});
    EXPECT_EQ(slipCount(), 1);
}

// Mended: opening a stored slip replaced its date by today's, and saving stored that.
TEST_F(SlipStoreTest, StoredSlipKeepsItsOwnDate)
{
    const int ano = insertSlip(
        {{"TKNAME", "佐藤"}, {"YMD", "2019/05/01"}, {"VYMD", "2019/05/01"}, {"GOKEI", "1000"}});
    auto form = openForm(ano);
    EXPECT_EQ(focused(), form->YMD);
    EXPECT_EQ(form->YMD->maskedText(), QStringLiteral("2019/05/01"));
    EXPECT_EQ(form->GOKEI->text(), QStringLiteral("1000"));
    EXPECT_FALSE(form->hasUnsavedChanges());
    form->BitBtn3Click();
    EXPECT_EQ(form->messages, QStringList{kSaved});
    EXPECT_EQ(row(ano).value("YMD"), QStringLiteral("2019/05/01"));
    // Closing an unchanged stored slip asks nothing.
    form->reject();
    EXPECT_TRUE(form->questions.isEmpty());
}

TEST_F(SlipStoreTest, StoredPlainNumbersShowFormattedInTheGrid)
{
    const int ano = insertSlip({{"YMD", "2026/01/01"},
                                {"TANKA1", "12000"},
                                {"KINGAKU1", "24000"},
                                {"SURYO1", "0002"},
                                {"GOKEI", "24000"}});
    auto form = openForm(ano);
    EXPECT_EQ(form->StringGrid1->cell(3, 1), QStringLiteral("12,000"));
    EXPECT_EQ(form->StringGrid1->cell(4, 1), QStringLiteral("24,000"));
    EXPECT_EQ(form->StringGrid1->cell(2, 1), QStringLiteral("2"));
    EXPECT_EQ(form->GOKEI->text(), QStringLiteral("24000")); // not recalculated
}

TEST_F(SlipStoreTest, MissingSlipEmptiesTheForm)
{
    auto form = openForm();
    fillFullSlip(*form);
    form->ANO->setText(QStringLiteral("5"));
    form->GetDenpyo(12345);
    for (QLineEdit *e : {form->ANO, form->TKANO, form->NAME1, form->GOKEI, form->TOTAL})
        EXPECT_EQ(e->text(), QString()) << e->objectName().toStdString();
    EXPECT_EQ(form->ZIP->maskedText(), QStringLiteral("   -    "));
    EXPECT_EQ(form->StringGrid1->cell(1, 1), QString());
}

TEST_F(SlipStoreTest, UserTypesAWorkedExampleSavesAndReopens)
{
    int ano = 0;
    {
        auto form = openForm();
        typeWorkedExample(*form);
        EXPECT_EQ(form->GOKEI->text(), QStringLiteral("4,540"));
        EXPECT_EQ(form->TAX->text(), QStringLiteral("363"));
        EXPECT_EQ(form->TOTAL->text(), QStringLiteral("4,903"));
        QTest::mouseClick(form->BitBtn3, Qt::LeftButton);
        EXPECT_EQ(form->messages, QStringList{kSaved});
        ano = form->ANO->text().toInt();
        QTest::mouseClick(form->BitBtn6, Qt::LeftButton);
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(form->questions.isEmpty());
    }
    const auto stored = row(ano);
    EXPECT_EQ(stored.value("HINMEI1"), QStringLiteral("りんご"));
    EXPECT_EQ(stored.value("TANKA1"), QStringLiteral("1,280"));
    EXPECT_EQ(stored.value("KINGAKU1"), QStringLiteral("3,840"));
    EXPECT_EQ(stored.value("KINGAKU2"), QStringLiteral("700"));
    EXPECT_EQ(stored.value("TKZIP"), QStringLiteral("100-0001"));
    EXPECT_EQ(stored.value("GOKEI"), QStringLiteral("4540"));
    EXPECT_EQ(stored.value("TOTAL"), QStringLiteral("4903"));
    EXPECT_EQ(stored.value("YMD"), today());

    auto reopened = openForm(ano);
    EXPECT_EQ(reopened->NAME1->text(), QStringLiteral("㈱髙橋商店"));
    EXPECT_EQ(reopened->StringGrid1->cell(4, 1), QStringLiteral("3,840"));
    EXPECT_EQ(reopened->TOTAL->text(), QStringLiteral("4903"));
}

} // namespace
