#include "slipfixture.h"

#include <slips/slipgrid.h>
#include <slips/today.h>
#include <testsupport/testmain.h>
#include <ui/imemode.h>
#include <ui/maskedit.h>

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace slipstest;
using slips::TDenpyo;

namespace {

QString today()
{
    return slips::today().toString(QStringLiteral("yyyy/MM/dd"));
}

// A control of the form; a missing one ends the test (gtest reports the exception).
template <typename T = QWidget> T *child(TDenpyo &form, const char *name)
{
    T *w = form.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        throw std::runtime_error(std::string("the form has no control ") + name);
    return w;
}

using FormTest = SlipTest;

TEST_F(FormTest, ControlsStandWhereTheShopExpectsThem)
{
    auto form = openForm();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Denpyo"));
    EXPECT_EQ(form->size(), QSize(908, 517));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()); // not resizable

    struct Place
    {
        const char *name;
        QRect rect;
    };
    const Place places[] = {
        {"YMD", {144, 61, 116, 27}},          {"NAME1", {40, 123, 283, 27}},
        {"TEL", {385, 129, 156, 21}},         {"ZIP", {40, 176, 61, 21}},
        {"ADDR1", {104, 176, 278, 21}},       {"ADDR2", {385, 176, 386, 21}},
        {"StringGrid1", {40, 231, 731, 215}}, {"GOKEI", {276, 465, 121, 27}},
        {"TXRITU", {403, 465, 121, 27}},      {"TAX", {523, 465, 121, 27}},
        {"TOTAL", {650, 465, 121, 27}},       {"ANO", {699, 67, 72, 21}},
        {"BitBtn1", {40, 155, 61, 20}},       {"BitBtn2", {214, 155, 109, 20}},
        {"BitBtn3", {597, 5, 100, 30}},       {"BitBtn6", {786, 5, 100, 30}},
        {"BitBtn12", {40, 6, 100, 30}},       {"BitBtn7", {214, 102, 109, 20}},
        {"BitBtn8", {563, 155, 100, 20}},     {"GroupBox1", {775, 226, 111, 92}},
        {"BitBtn14", {5, 20, 100, 30}},       {"BitBtn5", {5, 54, 100, 30}},
        {"GroupBox2", {775, 356, 111, 136}},  {"BitBtn9", {5, 20, 100, 30}},
        {"BitBtn10", {5, 56, 100, 30}},       {"BitBtn11", {5, 92, 100, 30}},
        {"TKANO", {385, 105, 156, 21}},       {"ComboBox1", {40, 61, 100, 27}},
    };
    for (const Place &p : places)
        EXPECT_EQ(child(*form, p.name)->geometry(), p.rect) << p.name;

    struct Caption
    {
        const char *name;
        const char *caption;
        QPoint at;
    };
    const Caption labels[] = {
        {"Label2", "年月日", {144, 44}},
        {"Label3", "No_", {678, 75}},
        {"Label4", "お名前", {40, 108}},
        {"Label5", "〒", {15, 131}},
        {"Label6", "住所（県、市町村）", {111, 162}},
        {"Label7", "住所（番地、アパート名、部屋番号）", {385, 162}},
        {"Label8", "TEL_", {360, 133}},
        {"Label9", "下記の通り納品いたしました", {40, 212}},
        {"Label10", "様", {329, 127}},
        {"Label11", "税抜合計金額", {325, 452}},
        {"Label16", "税率%", {489, 452}},
        {"Label17", "消費税額等", {586, 452}},
        {"Label18", "税込合計金額", {699, 452}},
        {"Label12", "伝票=ドットプリンターにて「KOKUYO ｳ-333N　」に印刷できます", {40, 497}},
        {"Label13", "ID_", {366, 105}},
    };
    for (const Caption &c : labels) {
        auto *label = child<QLabel>(*form, c.name);
        EXPECT_EQ(label->text(), QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(label->pos(), c.at) << c.name;
        const QColor colour = label->palette().color(QPalette::WindowText);
        const bool black = QByteArray(c.name) == "Label12" || QByteArray(c.name) == "Label13";
        EXPECT_EQ(colour, black ? QColor(Qt::black) : QColor(0, 0, 0x80)) << c.name;
    }

    const std::pair<const char *, const char *> buttons[] = {
        {"BitBtn1", "〒から住所"}, {"BitBtn2", "住所から〒番号"}, {"BitBtn3", "保　存"},
        {"BitBtn6", "閉じる"},     {"BitBtn12", "クリア"},        {"BitBtn7", "名簿から検索"},
        {"BitBtn8", "名簿に登録"}, {"BitBtn14", "ｺｸﾖ-ｳ334"},      {"BitBtn5", "A4"},
        {"BitBtn9", "封筒"},       {"BitBtn10", "クロネコ"},      {"BitBtn11", "佐川急便"}};
    for (const auto &[name, caption] : buttons)
        EXPECT_EQ(child<QPushButton>(*form, name)->text(), QString::fromUtf8(caption)) << name;
    EXPECT_FALSE(form->BitBtn10->isEnabled());
    EXPECT_FALSE(form->BitBtn11->isEnabled());
    EXPECT_EQ(form->GroupBox1->title(), QStringLiteral("伝票印刷"));
    EXPECT_EQ(form->GroupBox2->title(), QStringLiteral("宛名印刷"));
    EXPECT_EQ(form->Panel1->geometry(), QRect(0, 0, 908, 41));

    EXPECT_EQ(form->YMD->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(form->YMD->font().pixelSize(), 16);
    EXPECT_EQ(form->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(form->font().pixelSize(), 11);
    for (QWidget *w :
         {static_cast<QWidget *>(form->NAME1), static_cast<QWidget *>(form->GOKEI),
          static_cast<QWidget *>(form->StringGrid1), static_cast<QWidget *>(form->ComboBox1)})
        EXPECT_EQ(w->font().pixelSize(), 16) << w->objectName().toStdString();
    for (QLineEdit *e : {form->GOKEI, form->TXRITU, form->TAX, form->TOTAL, form->ANO})
        EXPECT_TRUE(e->alignment() & Qt::AlignRight) << e->objectName().toStdString();
    EXPECT_TRUE(form->TKANO->isReadOnly());

    QStringList kinds;
    for (int i = 0; i < form->ComboBox1->count(); ++i)
        kinds << form->ComboBox1->itemText(i);
    EXPECT_EQ(kinds,
              QStringList({QStringLiteral("御 納 品 書"), QStringLiteral("御 請 求 書"),
                           QStringLiteral("御 受 領 書"), QStringLiteral("納 品 書（控）")}));
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("御 納 品 書"));
    EXPECT_TRUE(form->ComboBox1->isEditable());
    // The kind is wider than its box: its first character stays in view.
    for (int i : {3, 1}) {
        form->ComboBox1->setCurrentIndex(i);
        EXPECT_EQ(form->ComboBox1->lineEdit()->cursorPosition(), 0) << i;
    }
}

TEST_F(FormTest, TabWalksTheBoxesInOrderAndSkipsTheOthers)
{
    auto form = openForm();
    // Tab stops in order; the grid keeps Tab for its cells, so the walk is checked on the
    // focus chain and by Tab from the first box.
    const char *order[] = {"YMD", "NAME1", "TEL", "ZIP", "ADDR1", "ADDR2", "StringGrid1"};
    EXPECT_EQ(focused(), form->YMD);
    for (size_t i = 1; i < std::size(order); ++i) {
        pressKey(Qt::Key_Tab);
        ASSERT_NE(focused(), nullptr);
        EXPECT_EQ(focused()->objectName(), QString::fromLatin1(order[i]));
    }
    QStringList chain;
    QWidget *w = form->StringGrid1;
    do {
        if (w->focusPolicy() & Qt::TabFocus && w->isEnabled() && w->isVisibleTo(form.get()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != form->StringGrid1);
    EXPECT_EQ(chain,
              QStringList({"StringGrid1", "GOKEI", "TXRITU", "TAX", "TOTAL", "BitBtn8", "BitBtn9",
                           "TKANO", "YMD", "NAME1", "TEL", "ZIP", "ADDR1", "ADDR2"}));
    for (const char *name : {"ANO", "BitBtn1", "BitBtn2", "BitBtn3", "BitBtn6", "BitBtn12",
                             "BitBtn7", "BitBtn14", "BitBtn5", "ComboBox1"})
        EXPECT_FALSE(child(*form, name)->focusPolicy() & Qt::TabFocus) << name;
}

TEST_F(FormTest, NewSlipTakesTodaysDateAndTheStoredRate)
{
    auto form = openForm();
    EXPECT_EQ(form->YMD->maskedText(), today());
    EXPECT_EQ(form->YMD->cursorPosition(), 8); // typing changes the day
    EXPECT_FALSE(form->YMD->hasSelectedText());
    EXPECT_EQ(form->TXRITU->text(), QStringLiteral("8"));
    EXPECT_EQ(form->ZIP->maskedText(), QStringLiteral("   -    "));
    EXPECT_FALSE(form->hasUnsavedChanges()); // the date alone is nothing to lose
}

TEST_F(FormTest, GridHasHeadingsLineNumbersAndFixedCells)
{
    auto form = openForm();
    slips::SlipGrid *grid = form->StringGrid1;
    EXPECT_EQ(grid->rowCount(), 8);
    EXPECT_EQ(grid->columnCount(), 6);
    const QStringList headings = {"", "品名", "数量", "単価", "金額", "摘要"};
    const int widths[] = {13, 350, 70, 90, 90, 105};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(grid->cell(c, 0), headings[c]);
        EXPECT_EQ(grid->columnWidth(c) - 1, widths[c]) << c; // plus the grid line
    }
    for (int r = 1; r <= 7; ++r)
        EXPECT_EQ(grid->cell(0, r), QString::number(r));
    for (int c = 0; c < 6; ++c) {
        const bool number = c >= 2 && c <= 4;
        EXPECT_EQ(slips::SlipGrid::cellAlignment(c),
                  (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop)
            << c;
    }
    // Clicking a heading or a line number selects nothing and edits nothing.
    clickCell(*form, 1, 1);
    clickCell(*form, 0, 3);
    clickCell(*form, 2, 0);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(grid->currentRow(), 1);
}

TEST_F(FormTest, TabMovesThroughTheCellsAndWrapsAround)
{
    auto form = openForm();
    slips::SlipGrid *grid = form->StringGrid1;
    clickCell(*form, 1, 1);
    for (int step = 0; step < 5 * 7; ++step) {
        const int c = 1 + step % 5;
        const int r = 1 + step / 5;
        EXPECT_EQ(grid->currentColumn(), c) << step;
        EXPECT_EQ(grid->currentRow(), r) << step;
        pressKey(Qt::Key_Tab);
    }
    EXPECT_EQ(grid->currentColumn(), 1); // from the last cell back to the first
    EXPECT_EQ(grid->currentRow(), 1);
    pressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->currentColumn(), 5);
    EXPECT_EQ(grid->currentRow(), 7);
}

TEST_F(FormTest, ShiftClickSelectsARangeOfCells)
{
    auto form = openForm();
    slips::SlipGrid *grid = form->StringGrid1;
    clickCell(*form, 1, 2);
    const QRect to = grid->visualRect(grid->model()->index(4, 3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, to.center());
    const auto ranges = grid->selectedRanges();
    ASSERT_EQ(ranges.size(), 1);
    EXPECT_EQ(ranges[0].leftColumn(), 1);
    EXPECT_EQ(ranges[0].rightColumn(), 3);
    EXPECT_EQ(ranges[0].topRow(), 2);
    EXPECT_EQ(ranges[0].bottomRow(), 4);
}

TEST_F(FormTest, InputMethodFollowsTheBoxAndTheGridColumn)
{
    auto form = openForm();
    const Qt::InputMethodHints off = ui::imeHints(ui::ImeMode::Off);
    for (QWidget *w : {static_cast<QWidget *>(form->YMD), static_cast<QWidget *>(form->TEL),
                       static_cast<QWidget *>(form->ZIP), static_cast<QWidget *>(form->GOKEI),
                       static_cast<QWidget *>(form->TXRITU), static_cast<QWidget *>(form->TAX),
                       static_cast<QWidget *>(form->TOTAL), static_cast<QWidget *>(form->ANO)})
        EXPECT_EQ(w->inputMethodHints(), off) << w->objectName().toStdString();
    for (QWidget *w : {form->NAME1, form->ADDR1, form->ADDR2})
        EXPECT_EQ(w->inputMethodHints(), Qt::ImhNone) << w->objectName().toStdString();

    for (int c = 1; c <= 5; ++c) {
        clickCell(*form, c, 2);
        EXPECT_EQ(form->StringGrid1->inputMethodHints(), c == 1 ? Qt::ImhNone : off) << c;
        typeText(QStringLiteral("x"));
        ASSERT_NE(focused(), form->StringGrid1); // the cell editor
        EXPECT_EQ(focused()->inputMethodHints(), c == 1 ? Qt::ImhNone : off) << c;
        pressKey(Qt::Key_Escape);
    }
}

TEST_F(FormTest, NumberCellsShowTheirNormalisedText)
{
    auto form = openForm();
    struct Case
    {
        int column;
        const char *typed;
        const char *shown;
    };
    const Case cases[] = {
        {3, "1500", "1,500"}, {3, "150", "150"},   {3, "1.5", "1.5"},   {3, "1234.5", "1,235"},
        {2, "0012", "12"},    {2, "12", "12"},     {4, "99.5", "99.5"}, {3, "1.2.3.4", "1.2.3.4"},
        {3, "$100", "$100"},  {1, "1500", "1500"}, {5, "0012", "0012"},
    };
    int row = 1;
    for (const Case &c : cases) {
        typeCell(*form, c.column, row, QString::fromUtf8(c.typed));
        EXPECT_EQ(form->StringGrid1->cell(c.column, row), QString::fromUtf8(c.shown)) << c.typed;
        row = row % 7 + 1;
        form->BitBtn12Click();
    }
    // Repainting an unconvertible text reports nothing.
    typeCell(*form, 3, 1, QStringLiteral("1.2.3.4"));
    testsupport::reportedErrors().clear();
    form->StringGrid1->viewport()->repaint();
    settle();
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
}

struct Line
{
    const char *quantity;
    const char *price;
    const char *amount;
};

struct WorkedExample
{
    std::vector<Line> lines;
    const char *rate;
    const char *gokei;
    const char *tax;
    const char *total;
};

class WorkedExampleTest : public SlipTest, public ::testing::WithParamInterface<WorkedExample>
{
};

TEST_P(WorkedExampleTest, TypedLinesTotalToTheYen)
{
    const WorkedExample &ex = GetParam();
    auto form = openForm();
    typeInto(form->TXRITU, QString::fromUtf8(ex.rate));
    int row = 1;
    for (const Line &line : ex.lines) {
        clickCell(*form, 2, row);
        typeText(QString::fromUtf8(line.quantity));
        pressKey(Qt::Key_Tab);
        typeText(QString::fromUtf8(line.price));
        pressKey(Qt::Key_Tab); // into 金額
        EXPECT_EQ(form->StringGrid1->cell(4, row), QString::fromUtf8(line.amount));
        ++row;
    }
    EXPECT_EQ(form->GOKEI->text(), QString::fromUtf8(ex.gokei));
    EXPECT_EQ(form->TAX->text(), QString::fromUtf8(ex.tax));
    EXPECT_EQ(form->TOTAL->text(), QString::fromUtf8(ex.total));
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Examples, WorkedExampleTest,
    ::testing::Values(
        WorkedExample{{{"3", "1280", "3,840"}, {"2", "350", "700"}}, "8", "4,540", "363", "4,903"},
        WorkedExample{{{"1", "1007", "1,007"}}, "8", "1,007", "81", "1,088"},
        WorkedExample{{{"1", "1005", "1,005"}}, "10", "1,005", "101", "1,106"},
        WorkedExample{{{"1.5", "333", "500"}}, "8", "500", "40", "540"},
        WorkedExample{
            {{"-2", "500", "-1,000"}, {"1", "3000", "3,000"}}, "8", "2,000", "160", "2,160"}));

TEST_F(FormTest, MovingIntoAmountWithoutPriceChangesNothing)
{
    auto form = openForm();
    typeCell(*form, 2, 1, QStringLiteral("3"));
    clickCell(*form, 4, 1);
    EXPECT_EQ(form->StringGrid1->cell(4, 1), QString());
    EXPECT_EQ(form->GOKEI->text(), QString());
    // abc × 100: the amount keeps its text, the totals come from the amount cells.
    typeCell(*form, 4, 2, QStringLiteral("\\1,500"));
    typeCell(*form, 2, 3, QStringLiteral("abc"));
    typeCell(*form, 3, 3, QStringLiteral("100"));
    clickCell(*form, 4, 3);
    EXPECT_EQ(form->StringGrid1->cell(4, 3), QString());
    EXPECT_EQ(form->GOKEI->text(), QStringLiteral("1,500"));
    EXPECT_EQ(form->TOTAL->text(), QStringLiteral("1,620"));
    // Full-width digits arrive as half-width ones and take part.
    typeCell(*form, 2, 4, QStringLiteral("１２"));
    typeCell(*form, 3, 4, QStringLiteral("１００"));
    EXPECT_EQ(form->StringGrid1->cell(2, 4), QStringLiteral("12"));
    EXPECT_EQ(form->StringGrid1->cell(4, 4), QStringLiteral("1,200"));
}

// Mended: a quantity, price or rate typed after the amounts were computed used to leave
// amounts and totals stale until the user moved into an amount cell again.
TEST_F(FormTest, AmountsAndTotalsFollowQuantityPriceAndRate)
{
    auto form = openForm();
    typeCell(*form, 2, 1, QStringLiteral("3"));
    clickCell(*form, 3, 1);
    typeText(QStringLiteral("1280"));
    pressKey(Qt::Key_Return); // committed, the cursor stays in the price cell
    EXPECT_EQ(form->StringGrid1->currentColumn(), 3);
    EXPECT_EQ(form->StringGrid1->cell(4, 1), QStringLiteral("3,840"));
    EXPECT_EQ(form->TOTAL->text(), QStringLiteral("4,147"));

    typeCell(*form, 2, 1, QStringLiteral("2"));
    EXPECT_EQ(form->StringGrid1->cell(4, 1), QStringLiteral("2,560"));
    EXPECT_EQ(form->GOKEI->text(), QStringLiteral("2,560"));

    // A hand-typed amount counts at once and stays until its line changes.
    typeCell(*form, 4, 2, QStringLiteral("440"));
    EXPECT_EQ(form->GOKEI->text(), QStringLiteral("3,000"));
    EXPECT_EQ(form->TAX->text(), QStringLiteral("240"));

    typeInto(form->TXRITU, QStringLiteral("10"));
    EXPECT_EQ(form->TAX->text(), QStringLiteral("240")); // not before the box is left
    form->NAME1->setFocus(Qt::TabFocusReason);
    settle();
    EXPECT_EQ(form->TAX->text(), QStringLiteral("300"));
    EXPECT_EQ(form->TOTAL->text(), QStringLiteral("3,300"));
    EXPECT_EQ(form->StringGrid1->cell(4, 2), QStringLiteral("440"));
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
}

TEST_F(FormTest, BadRateIsReportedOncePerChange)
{
    auto form = openForm();
    typeInto(form->TXRITU, QStringLiteral("8%"));
    form->NAME1->setFocus(Qt::TabFocusReason);
    settle();
    const QString message = QStringLiteral("'8%' は浮動小数点数ではありません");
    EXPECT_EQ(testsupport::reportedErrors(), QStringList{message});

    // Typing lines, repainting and leaving the box again without a change stay silent.
    testsupport::reportedErrors().clear();
    typeCell(*form, 2, 1, QStringLiteral("3"));
    typeCell(*form, 3, 2, QStringLiteral("100"));
    clickCell(*form, 3, 1);
    typeText(QStringLiteral("1280"));
    pressKey(Qt::Key_Return);
    form->StringGrid1->viewport()->repaint();
    form->repaint();
    form->TXRITU->setFocus(Qt::TabFocusReason);
    form->NAME1->setFocus(Qt::TabFocusReason);
    settle();
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
    EXPECT_EQ(form->StringGrid1->cell(4, 1), QStringLiteral("3,840")); // the amount is set
    EXPECT_EQ(form->GOKEI->text(), QString());                         // the totals are not

    // Moving into an amount cell reports it, once for the one move.
    clickCell(*form, 4, 1);
    EXPECT_EQ(testsupport::reportedErrors(), QStringList{message});

    // An unconvertible price is reported once, although Tab both commits the cell (a line
    // recalculation) and moves into the amount (a second one).
    typeInto(form->TXRITU, QStringLiteral("8"));
    form->NAME1->setFocus(Qt::TabFocusReason);
    settle();
    typeCell(*form, 2, 3, QStringLiteral("2"));
    testsupport::reportedErrors().clear();
    clickCell(*form, 3, 3);
    typeText(QStringLiteral("1.2.3"));
    pressKey(Qt::Key_Tab);
    EXPECT_EQ(form->StringGrid1->currentColumn(), 4);
    EXPECT_EQ(testsupport::reportedErrors(),
              QStringList{QStringLiteral("'1.2.3' は浮動小数点数ではありません")});
    // Moving into the amount again is a new action and reports again.
    clickCell(*form, 1, 3);
    clickCell(*form, 4, 3);
    EXPECT_EQ(testsupport::reportedErrors().size(), 2);
}

TEST_F(FormTest, MaskedBoxesHoldTheFocusWhenARequiredDigitIsMissing)
{
    auto form = openForm();
    const QString message = ui::MaskEdit::invalidInputMessage();
    struct Case
    {
        ui::MaskEdit *box;
        int at; // where typing starts in the emptied box
        const char *typed;
        bool accepted;
    };
    const Case cases[] = {
        {form->YMD, 0, "2026121", false}, // the second day digit is required
        {form->YMD, 0, "20261201", true}, {form->YMD, 8, "05", true}, // year and month are optional
        {form->ZIP, 0, "12", false},      {form->ZIP, 0, "123", true},
        {form->ZIP, 0, "1234567", true},
    };
    for (const Case &c : cases) {
        testsupport::reportedErrors().clear();
        const QString before = c.box->maskedText();
        typeInto(c.box, QString());
        c.box->setCursorPosition(c.at);
        typeText(QString::fromLatin1(c.typed));
        form->NAME1->setFocus(Qt::TabFocusReason);
        settle();
        if (c.accepted) {
            EXPECT_TRUE(testsupport::reportedErrors().isEmpty()) << c.typed;
            EXPECT_EQ(focused(), form->NAME1) << c.typed;
        } else {
            EXPECT_EQ(testsupport::reportedErrors(), QStringList{message}) << c.typed;
            EXPECT_EQ(focused(), c.box) << c.typed;
            pressKey(Qt::Key_Escape); // restores the text from before the change
            EXPECT_EQ(c.box->maskedText(), before) << c.typed;
            EXPECT_TRUE(form->isVisible());
        }
    }
    // Text put there by the program is not checked.
    testsupport::reportedErrors().clear();
    form->ZIP->setMaskedText(QStringLiteral("12 -    "));
    form->ZIP->setFocus(Qt::TabFocusReason);
    form->NAME1->setFocus(Qt::TabFocusReason);
    settle();
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
}

TEST_F(FormTest, ClearKeepsRateAndDocumentKind)
{
    auto form = openForm();
    typeInto(form->NAME1, QStringLiteral("㈱髙橋商店"));
    typeInto(form->ZIP, QStringLiteral("1234567"));
    typeInto(form->TXRITU, QStringLiteral("10"));
    form->ComboBox1->setCurrentIndex(1);
    typeCell(*form, 1, 1, QStringLiteral("りんご"));
    typeCell(*form, 2, 1, QStringLiteral("3"));
    typeCell(*form, 3, 1, QStringLiteral("100"));
    form->ANO->setText(QStringLiteral("5"));
    QTest::mouseClick(form->BitBtn12, Qt::LeftButton);
    settle();
    for (QLineEdit *e : {form->ANO, form->TKANO, form->NAME1, form->ADDR1, form->ADDR2, form->TEL,
                         form->GOKEI, form->TAX, form->TOTAL})
        EXPECT_EQ(e->text(), QString()) << e->objectName().toStdString();
    EXPECT_EQ(form->ZIP->maskedText(), QStringLiteral("   -    "));
    EXPECT_EQ(form->YMD->maskedText(), QStringLiteral("    /  /  "));
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 7; ++r)
            EXPECT_EQ(form->StringGrid1->cell(c, r), QString());
    EXPECT_EQ(form->StringGrid1->cell(2, 0), QStringLiteral("数量"));
    EXPECT_EQ(form->StringGrid1->cell(0, 7), QStringLiteral("7"));
    EXPECT_EQ(form->TXRITU->text(), QStringLiteral("10"));
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("御 請 求 書"));
}

TEST_F(FormTest, PrintButtonsShowTheirCaptionInRedWhileFocused)
{
    auto form = openForm();
    const QColor normal = QApplication::palette().color(QPalette::WindowText);
    for (QPushButton *b : {form->BitBtn14, form->BitBtn5, form->BitBtn9}) {
        EXPECT_EQ(b->palette().color(QPalette::ButtonText), normal);
        b->setFocus(Qt::MouseFocusReason);
        settle();
        EXPECT_EQ(b->palette().color(QPalette::ButtonText), QColor(Qt::red))
            << b->objectName().toStdString();
        form->NAME1->setFocus(Qt::MouseFocusReason);
        settle();
        EXPECT_EQ(b->palette().color(QPalette::ButtonText), normal);
    }
}

// Mended: a typed date was replaced by today's whenever the box got the focus again.
TEST_F(FormTest, TypedDateSurvivesTheFocusComingBack)
{
    auto form = openForm();
    typeInto(form->YMD, QStringLiteral("20240229"));
    form->NAME1->setFocus(Qt::TabFocusReason);
    settle();
    form->YMD->setFocus(Qt::TabFocusReason);
    settle();
    EXPECT_EQ(form->YMD->maskedText(), QStringLiteral("2024/02/29"));
    EXPECT_EQ(form->YMD->cursorPosition(), 8);
}

TEST_F(FormTest, ReturningFromAnotherWindowKeepsTypedDateAndRate)
{
    auto form = openForm();
    typeInto(form->YMD, QStringLiteral("20250115"));
    typeInto(form->TXRITU, QStringLiteral("10"));
    {
        // A window opened from the slip form (lookup, customer list, preview) and closed.
        QDialog other(form.get());
        other.show();
        QApplication::setActiveWindow(&other);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        other.close();
    }
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    settle();
    EXPECT_EQ(form->YMD->maskedText(), QStringLiteral("2025/01/15"));
    EXPECT_EQ(form->TXRITU->text(), QStringLiteral("10"));
}

// Mended: 閉じる or a stray Esc threw away a typed slip without asking.
TEST_F(FormTest, ClosingAsksOnlyWhenTheSlipHasUnsavedChanges)
{
    const QString question = TDenpyo::unsavedChangesQuestion();
    {
        auto form = openForm();
        pressKey(Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(form->questions.isEmpty());
    }
    for (bool viaButton : {false, true}) {
        auto form = openForm();
        typeCell(*form, 1, 1, QStringLiteral("りんご"));
        form->answer = false; // いいえ: stay
        if (viaButton) {
            QTest::mouseClick(form->BitBtn6, Qt::LeftButton);
        } else {
            pressKey(Qt::Key_Escape); // leaves the editor Tab opened in the next cell
            EXPECT_TRUE(form->questions.isEmpty());
            pressKey(Qt::Key_Escape);
        }
        settle();
        EXPECT_EQ(form->questions, QStringList{question});
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->StringGrid1->cell(1, 1), QStringLiteral("りんご"));
        form->answer = true; // はい: close
        QTest::mouseClick(form->BitBtn6, Qt::LeftButton);
        settle();
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->result(), QDialog::Rejected);
    }
    {
        // Text still in a cell editor when the window is closed counts as typed.
        auto form = openForm();
        clickCell(*form, 5, 3);
        typeText(QStringLiteral("memo"));
        form->answer = false;
        form->close();
        EXPECT_EQ(form->questions, QStringList{question});
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->StringGrid1->cell(5, 3), QStringLiteral("memo"));
    }
    {
        // Only the rate and the document kind changed: nothing of the slip is lost.
        auto form = openForm();
        typeInto(form->TXRITU, QStringLiteral("10"));
        form->ComboBox1->setCurrentIndex(2);
        form->reject();
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(form->questions.isEmpty());
    }
}

// Texts that look like numbers but are none: the form neither crashes nor loops, shows what
// was typed, and reports at most the conversion error of the move into the amount.
TEST_F(FormTest, OddCellTextsNeverCrashTheForm)
{
    auto form = openForm();
    const struct
    {
        QString text;
        bool reported; // moving into the amount reports a number that does not convert
    } cases[] = {{QString(300, QLatin1Char('9')), false},
                 {QStringLiteral("\\\\,,"), false},
                 {QStringLiteral("-"), false},
                 {QStringLiteral("+"), false},
                 {QStringLiteral("¥1,000"), false},
                 {QStringLiteral("1e400"), false},
                 {QStringLiteral("$FFFFFFFF"), true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        testsupport::reportedErrors().clear();
        typeCell(*form, 2, 1, c.text);
        typeCell(*form, 3, 1, c.text);
        clickCell(*form, 4, 1);
        settle();
        form->StringGrid1->viewport()->repaint();
        const QStringList errors = testsupport::reportedErrors();
        if (c.reported) {
            ASSERT_EQ(errors.size(), 1);
            EXPECT_TRUE(errors[0].endsWith(QStringLiteral("は浮動小数点数ではありません")));
        } else {
            EXPECT_TRUE(errors.isEmpty()) << errors.join(' ').toStdString();
        }
        EXPECT_TRUE(form->isVisible());
    }
}

} // namespace

namespace {

// Writes the form as the user sees it to $ZD_SLIP_SNAPSHOT (for looking at it by eye).
TEST_F(FormTest, Snapshot)
{
    const QString path = qEnvironmentVariable("ZD_SLIP_SNAPSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "set ZD_SLIP_SNAPSHOT to a PNG path";
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("IPAPGothic"));
    auto form = openForm();
    typeWorkedExample(*form);
    typeInto(form->ADDR1, QStringLiteral("東京都千代田区"));
    form->BitBtn14->setFocus();
    settle();
    EXPECT_TRUE(form->grab().save(path));
    // The same form with a price being typed and a date box left incomplete.
    clickCell(*form, 3, 3);
    typeText(QStringLiteral("1500"));
    QString editing = path;
    editing.replace(QStringLiteral(".png"), QStringLiteral("-editing.png"));
    EXPECT_TRUE(form->grab().save(editing));
}

} // namespace
