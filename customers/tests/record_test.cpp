#include "customerfixture.h"

#include <customers/intokui.h>
#include <testsupport/testmain.h>
#include <ui/imemode.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace customerstest;
using customers::TInTokui;

namespace {

const QString kSaved = QStringLiteral("登録しました");
const QString kFailed = QStringLiteral("失敗しました");

QMap<QString, QString> fullCustomer()
{
    return {{"TKCODE", "C-001"},       {"TKNAME", "㈱髙橋商店"},      {"TKNAMEK", "ﾀｶﾊｼｼｮｳﾃﾝ"},
            {"TKZIP", "100-0001"},     {"TKADDR1", "東京都千代田区"}, {"TKADDR2", "千代田1-1"},
            {"TKTEL", "03-1234-5678"}, {"TKFAX", "03-1234-5679"},     {"KEITAI", "090-111-2222"},
            {"TKBIKO", "月末締め"},    {"SYSDAY", "2024/02/29"},      {"KUBUN1", "3"}};
}

// The decision: a register postal code enters the slip's masked box as its digits.
TEST(TokuiZip, RegisterPostalCodesEnterTheMaskedBoxAsTheirDigits)
{
    const struct
    {
        const char *tkzip, *masked;
    } cases[] = {
        {"100-0001", "100-0001"},
        {"1000001", "100-0001"},
        {"１００－０００１", "100-0001"},
        {"１０００００１", "100-0001"},
        {"〒100-0001", "100-0001"},
        {"〒 100 0001", "100-0001"},
        {"", "   -    "},
        {"100", "100-    "},
        {"12-34", "123-4   "},
        {"100-00012", "100-0001"},
        {"①②③", "   -    "},
        {"abc", "   -    "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(customers::TokuiRecord::zipForMask(QString::fromUtf8(c.tkzip)),
                  QString::fromUtf8(c.masked))
            << c.tkzip;
}

class RecordTest : public CustomerTest
{
protected:
    std::unique_ptr<TInTokui> openForm(int ano = -1)
    {
        auto form = std::make_unique<TInTokui>();
        if (ano >= 0)
            form->GetTokui(ano);
        showActive(form.get());
        return form;
    }
    static QStringList boxes(const TInTokui &f)
    {
        QStringList texts;
        for (QLineEdit *e : {f.Edit1, f.Edit2, f.Edit3, f.Edit4, f.Edit5, f.Edit6, f.Edit7, f.Edit8,
                             f.Edit9, f.Edit10, f.Edit11, f.Edit12, f.Edit13})
            texts << e->text();
        return texts;
    }
};

TEST_F(RecordTest, FormStandsAndTabsAsDesigned)
{
    auto form = openForm();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("InTokui"));
    EXPECT_EQ(form->size(), QSize(282, 629));
    EXPECT_EQ(form->BitBtn3->geometry(), QRect(12, 6, 100, 30));
    EXPECT_EQ(form->BitBtn2->geometry(), QRect(162, 7, 100, 30));
    EXPECT_EQ(form->BitBtn1->geometry(), QRect(162, 7, 100, 30));
    EXPECT_EQ(form->Panel2->geometry(), QRect(0, 629 - 41, 282, 41));
    EXPECT_EQ(form->Edit7->geometry(), QRect(12, 304, 250, 21));
    EXPECT_EQ(form->Edit13->geometry(), QRect(12, 545, 250, 21));
    EXPECT_EQ(form->Label13->pos(), QPoint(12, 530));
    EXPECT_EQ(form->Label4->text(), QStringLiteral("フリガナ"));
    EXPECT_TRUE(form->Edit1->isReadOnly());
    EXPECT_EQ(form->Edit1->palette().color(QPalette::Base), QColor(Qt::yellow));
    using ui::ImeMode;
    EXPECT_EQ(ui::imeModeOf(form->Edit3), ImeMode::Hiragana);
    EXPECT_EQ(ui::imeModeOf(form->Edit4), ImeMode::HalfKatakana);
    EXPECT_EQ(ui::imeModeOf(form->Edit11), ImeMode::Hiragana);
    EXPECT_EQ(ui::imeModeOf(form->Edit12), ImeMode::Off);

    EXPECT_EQ(focused(), form->BitBtn2) << "閉じる comes first";
    EXPECT_EQ(tabWalk(16), (QStringList{"BitBtn3", "BitBtn1", "Edit1", "Edit2", "Edit3", "Edit4",
                                        "Edit5", "Edit6", "Edit7", "Edit8", "Edit9", "Edit10",
                                        "Edit11", "Edit12", "Edit13", "BitBtn2"}));
    form->resize(400, 700);
    EXPECT_EQ(form->Panel2->geometry(), QRect(0, 700 - 41, 400, 41));
}

TEST_F(RecordTest, LoadingShowsEveryColumnAndAMissingNumberEmptiesTheBoxes)
{
    const int ano = insertTokui(fullCustomer());
    auto form = openForm(ano);
    const QMap<QString, QString> c = fullCustomer();
    EXPECT_EQ(boxes(*form),
              (QStringList{QString::number(ano), c["TKCODE"], c["TKNAME"], c["TKNAMEK"], c["TKZIP"],
                           c["TKADDR1"], c["TKADDR2"], c["TKTEL"], c["TKFAX"], c["KEITAI"],
                           c["TKBIKO"], c["SYSDAY"], c["KUBUN1"]}));
    form->GetTokui(ano + 100);
    EXPECT_EQ(boxes(*form), QStringList(13, QString()));
    const int sparse = insertTokui({{"TKNAME", "名前だけ"}});
    form->GetTokui(sparse);
    EXPECT_EQ(form->Edit12->text(), QString()) << "NULL reads as empty text";
    EXPECT_EQ(form->Edit13->text(), QString());
}

TEST_F(RecordTest, SavingALoadedCustomerUpdatesItsRow)
{
    const int ano = insertTokui(fullCustomer());
    auto form = openForm(ano);
    typeInto(form->Edit8, QStringLiteral("03-9999-0000"));
    typeInto(form->Edit12, QStringLiteral("2025/1/5"));
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{kSaved});
    EXPECT_EQ(row(ano)["TKTEL"], QStringLiteral("03-9999-0000"));
    EXPECT_EQ(row(ano)["SYSDAY"], QStringLiteral("2025/01/05"));
    EXPECT_EQ(row(ano)["TKNAME"], QStringLiteral("㈱髙橋商店"));
    EXPECT_EQ(form->Edit1->text(), QString::number(ano));
    EXPECT_EQ(tokuiCount(), 1);
    EXPECT_TRUE(form->isVisible()) << "saving keeps the form open";
    EXPECT_FALSE(form->hasUnsavedChanges());
}

// Mended: the new customer's number was not read back, so a second 保存 stored the customer
// a second time.
TEST_F(RecordTest, NewCustomerShowsItsNumberAndTheNextSaveUpdatesIt)
{
    auto form = std::make_unique<TInTokui>();
    // As the slip form's 名簿に登録 fills it.
    form->Edit3->setText(QStringLiteral("山田商店"));
    form->Edit5->setText(QStringLiteral("100-0001"));
    form->Edit6->setText(QStringLiteral("東京都千代田区千代田"));
    form->Edit7->setText(QStringLiteral("1-1"));
    form->Edit8->setText(QStringLiteral("03-1111-2222"));
    showActive(form.get());
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(messages, QStringList{kSaved});
    ASSERT_EQ(tokuiCount(), 1);
    const int ano = form->Edit1->text().toInt();
    ASSERT_GT(ano, 0) << "the number is shown";
    QMap<QString, QString> stored = row(ano);
    EXPECT_EQ(stored["TKNAME"], QStringLiteral("山田商店"));
    EXPECT_EQ(stored["TKCODE"], QString()) << "untouched text boxes store empty text";
    EXPECT_EQ(stored["SYSDAY"], QStringLiteral("<null>"));
    EXPECT_EQ(stored["KUBUN1"], QStringLiteral("<null>"));

    typeInto(form->Edit2, QStringLiteral("Y-01"));
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(messages, (QStringList{kSaved, kSaved}));
    EXPECT_EQ(tokuiCount(), 1) << "the second save updates the same customer";
    EXPECT_EQ(row(ano)["TKCODE"], QStringLiteral("Y-01"));
}

TEST_F(RecordTest, NewRecordEmptiesEveryBoxAndTheCaretGoesToTheCode)
{
    const int ano = insertTokui(fullCustomer());
    auto form = openForm(ano);
    QTest::mouseClick(form->BitBtn3, Qt::LeftButton);
    settle();
    EXPECT_EQ(boxes(*form), QStringList(13, QString()));
    EXPECT_EQ(focused(), form->Edit2);
    typeText(QStringLiteral("NEW"));
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(tokuiCount(), 2) << "after 新規登録, 保存 inserts";
    EXPECT_NE(form->Edit1->text(), QString::number(ano));
}

// Refused values: 失敗しました, the boxes as typed, the register unchanged, and the next save
// with corrected values goes through.
TEST_F(RecordTest, RefusedValuesLeaveTheFormAndTheRegisterAsTheyWere)
{
    const struct
    {
        int box; // 12 編集日, 13 区分, 3 得意先名
        QString text;
    } cases[] = {
        {12, QStringLiteral("2024/13/01")}, {12, QStringLiteral("2024/02/30")},
        {12, QStringLiteral("abc")},        {13, QStringLiteral("x")},
        {13, QStringLiteral("99999")},
    };
    const int ano = insertTokui(fullCustomer());
    for (bool existing : {true, false}) {
        for (const auto &c : cases) {
            SCOPED_TRACE((existing ? "update " : "insert ") + c.text.left(12).toStdString());
            messages.clear();
            const QMap<QString, QString> before = row(ano);
            auto form = openForm(existing ? ano : -1);
            QLineEdit *box = form->findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(c.box));
            typeInto(box, c.text);
            const QStringList typed = boxes(*form);
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
            EXPECT_EQ(messages, QStringList{kFailed});
            EXPECT_EQ(boxes(*form), typed);
            EXPECT_EQ(tokuiCount(), 1);
            EXPECT_EQ(row(ano), before);
            EXPECT_TRUE(testsupport::reportedErrors().isEmpty());

            typeInto(box, c.box == 3 ? QStringLiteral("直した") : QString());
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
            EXPECT_EQ(messages.last(), kSaved);
            EXPECT_EQ(tokuiCount(), existing ? 1 : 2);
            if (!existing)
                execOther(QStringLiteral("delete from TOKUI where ANO <> %1").arg(ano));
            form->reject();
        }
    }
}

// A text box holds what its column holds, so a long name is cut as it is typed instead of
// failing the save later.
TEST_F(RecordTest, TextBoxesHoldWhatTheirColumnsHold)
{
    auto form = openForm(-1);
    const struct
    {
        QLineEdit *box;
        int length;
    } boxes[] = {{form->Edit2, 20}, {form->Edit3, 50},  {form->Edit5, 10},
                 {form->Edit8, 20}, {form->Edit10, 20}, {form->Edit11, 30}};
    for (const auto &b : boxes) {
        typeInto(b.box, QString(b.length + 3, QChar(u'髙')));
        EXPECT_EQ(b.box->text().size(), b.length) << b.box->objectName().toStdString();
    }
    typeInto(form->Edit10, QStringLiteral("090-1234-5678")); // a mobile number with hyphens
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{kSaved});
    form->reject();
}

// Mended: an update that matched no customer was reported as stored.
TEST_F(RecordTest, SavingACustomerThatIsGoneFails)
{
    const int ano = insertTokui(fullCustomer());
    auto form = openForm(ano);
    execOther(QStringLiteral("delete from TOKUI"));
    typeInto(form->Edit8, QStringLiteral("03-0000-0000"));
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{kFailed});
    EXPECT_EQ(tokuiCount(), 0) << "nothing is inserted in its place";
    EXPECT_EQ(form->Edit1->text(), QString::number(ano));
}

TEST_F(RecordTest, AnUnreachableDatabaseGoesToTheStandardErrorBox)
{
    auto form = openForm();
    m_dmib->IBDatabase1.disconnect();
    m_dmib->IBDatabase1.setParams(
        store::ConnectionParams{m_dir.file(QStringLiteral("missing/ZORIKA"))});
    typeInto(form->Edit3, QStringLiteral("x"));
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(testsupport::reportedErrors().size(), 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Edit3->text(), QStringLiteral("x"));
    testsupport::reportedErrors().clear();
    EXPECT_THROW(form->GetTokui(1), std::exception) << "loading raises to the caller";
}

// Mended: 閉じる or Esc threw typed changes away without asking.
TEST_F(RecordTest, ClosingAsksOnlyWhenChangesAreUnsaved)
{
    const QString question = TInTokui::unsavedChangesQuestion();
    const int ano = insertTokui(fullCustomer());
    enum Way { Button, Esc, CloseBox };
    auto closeBy = [](TInTokui &form, Way way) {
        if (way == Button)
            QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
        else if (way == Esc)
            pressKey(Qt::Key_Escape);
        else
            form.close();
        settle();
    };
    for (Way way : {Button, Esc, CloseBox}) {
        SCOPED_TRACE(way);
        questions.clear();
        {
            auto form = openForm(ano);
            closeBy(*form, way);
            EXPECT_FALSE(form->isVisible());
            EXPECT_EQ(form->result(), QDialog::Rejected);
            EXPECT_TRUE(questions.isEmpty());
        }
        auto form = openForm(ano);
        typeInto(form->Edit8, QStringLiteral("03-0000-0000"));
        answer = false; // いいえ: stay
        closeBy(*form, way);
        EXPECT_EQ(questions, QStringList{question});
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->Edit8->text(), QStringLiteral("03-0000-0000"));
        answer = true; // はい: close
        closeBy(*form, way);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->result(), QDialog::Rejected);
    }
    {
        // Filled in by the slip form and closed untouched: nothing of the user's is lost.
        questions.clear();
        TInTokui form;
        form.Edit3->setText(QStringLiteral("山田"));
        showActive(&form);
        form.reject();
        EXPECT_FALSE(form.isVisible());
        EXPECT_TRUE(questions.isEmpty());
    }
    {
        // A refused save keeps the changes unsaved.
        questions.clear();
        auto form = openForm(ano);
        typeInto(form->Edit13, QStringLiteral("x"));
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        answer = true;
        form->reject();
        EXPECT_EQ(questions, QStringList{question});
    }
}

} // namespace
