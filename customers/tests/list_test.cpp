#include "customerfixture.h"

#include <testsupport/modal.h>

#include <customers/intokui.h>
#include <customers/litokui.h>
#include <testsupport/testmain.h>
#include <ui/dbgrid.h>
#include <ui/imemode.h>
#include <ui/widgets.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace customerstest;
using customers::TInTokui;
using customers::TLiTokui;

namespace {

class ListTest : public CustomerTest
{
protected:
    void SetUp() override
    {
        CustomerTest::SetUp();
        for (const char *name :
             {"山田商店", "田中工務店", "山田花子", "ｱｲｳ商事", "abc", "ABC", "50%引き", "山_田"})
            ano[QString::fromUtf8(name)] = insertTokui({{"TKNAME", QString::fromUtf8(name)},
                                                        {"TKTEL", QStringLiteral("03-0000-0000")},
                                                        {"TKZIP", QStringLiteral("100-0001")}});
        insertTokui({{"TKCODE", QStringLiteral("no name")}}); // TKNAME NULL
        m_dmib->IBDatabase1.disconnect();                     // as the main menu leaves it
    }

    std::unique_ptr<TLiTokui> openList(bool picking)
    {
        auto list = std::make_unique<TLiTokui>();
        if (picking)
            for (QPushButton *b : {list->BitBtn4, list->BitBtn5}) {
                b->setVisible(true);
                b->setEnabled(true);
            }
        list->open(); // modal, as the callers show it
        QApplication::setActiveWindow(list.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(list.get()));
        settle();
        return list;
    }

    static void search(TLiTokui &list, const QString &text)
    {
        typeInto(list.LabeledEdit1, text);
        QTest::mouseClick(list.BitBtn1, Qt::LeftButton);
        settle();
    }

    static QStringList gridNames(TLiTokui &list)
    {
        QAbstractItemModel *m = list.DBGrid1->model();
        while (m->canFetchMore({}))
            m->fetchMore({});
        QStringList names;
        for (int r = 0; r < m->rowCount(); ++r)
            names << m->index(r, 1).data().toString();
        return names;
    }

    QString currentName()
    {
        return m_dmib->QTokui.fieldByName(QStringLiteral("TKNAME")).asString();
    }

    QMap<QString, int> ano;
};

TEST_F(ListTest, ListStandsAndTabsAsDesigned)
{
    auto list = openList(false);
    EXPECT_EQ(list->windowTitle(), QStringLiteral("LiTokui"));
    EXPECT_EQ(list->size(), QSize(1134, 629));
    EXPECT_EQ(list->Panel1->height(), 71);
    EXPECT_EQ(list->Panel2->geometry(), QRect(0, 629 - 41, 1134, 41));
    EXPECT_EQ(list->DBGrid1->geometry(), QRect(0, 71, 1134, 629 - 71 - 41));
    EXPECT_EQ(list->LabeledEdit1->geometry(), QRect(35, 25, 166, 27));
    EXPECT_EQ(list->LabeledEdit1->label()->text(), QStringLiteral("得意先名"));
    EXPECT_LT(list->LabeledEdit1->label()->geometry().bottom(), 25) << "label above the box";
    EXPECT_EQ(ui::imeModeOf(list->LabeledEdit1), ui::ImeMode::Hiragana);
    EXPECT_EQ(list->BitBtn3->geometry(), QRect(995, 22, 100, 30));
    EXPECT_EQ(list->BitBtn4->geometry(), QRect(35, 6, 100, 30));
    EXPECT_EQ(list->BitBtn5->geometry(), QRect(235, 6, 100, 30));

    QHeaderView *titles = list->DBGrid1->horizontalHeader();
    QStringList shown;
    for (int c = 0; c < titles->count(); ++c)
        shown << list->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(shown, (QStringList{"ANO", "得意先名", "郵便番号", "住所01", "住所02", "電話番号"}));
    EXPECT_EQ(list->DBGrid1->columnWidth(1), 231);
    EXPECT_EQ(list->DBGrid1->columnWidth(3), 273);

    // Browsing: OK and キャンセル are neither shown nor reachable.
    EXPECT_FALSE(list->BitBtn4->isVisible());
    EXPECT_FALSE(list->BitBtn4->isEnabled());
    EXPECT_FALSE(list->BitBtn5->isVisible());
    EXPECT_FALSE(list->BitBtn5->isEnabled());
    EXPECT_EQ(focused(), list->LabeledEdit1);
    EXPECT_EQ(tabWalk(5),
              (QStringList{"BitBtn1", "BitBtn2", "BitBtn3", "DBGrid1", "LabeledEdit1"}));
    list->reject();
    auto picking = openList(true);
    EXPECT_EQ(tabWalk(7), (QStringList{"BitBtn1", "BitBtn2", "BitBtn3", "DBGrid1", "BitBtn4",
                                       "BitBtn5", "LabeledEdit1"}));
}

TEST_F(ListTest, SearchListsNamesContainingTheTextInNameOrder)
{
    auto list = openList(false);
    EXPECT_EQ(list->DBGrid1->model()->rowCount(), 0) << "empty until the first search";
    search(*list, QStringLiteral("田"));
    EXPECT_EQ(gridNames(*list), (QStringList{"山_田", "山田商店", "山田花子", "田中工務店"}));
    EXPECT_EQ(list->DBGrid1->currentIndex().row(), 0);
    EXPECT_EQ(currentName(), QStringLiteral("山_田"));

    const struct
    {
        const char *typed;
        QStringList names;
    } cases[] = {
        {"", {"50%引き", "ABC", "abc", "山_田", "山田商店", "山田花子", "田中工務店", "ｱｲｳ商事"}},
        {"abc", {"abc"}}, // case-sensitive
        {"%", {"50%引き", "ABC", "abc", "山_田", "山田商店", "山田花子", "田中工務店", "ｱｲｳ商事"}},
        {"山_", {"山_田", "山田商店", "山田花子"}}, // "_" is any one character
        {"該当なし", {}},
    };
    for (const auto &c : cases) {
        search(*list, QString::fromUtf8(c.typed));
        EXPECT_EQ(gridNames(*list), c.names) << c.typed;
    }
    // Return in the name box searches too.
    typeInto(list->LabeledEdit1, QStringLiteral("工務"));
    pressKey(Qt::Key_Return);
    EXPECT_EQ(gridNames(*list), QStringList{"田中工務店"});
    EXPECT_TRUE(list->isVisible());
}

TEST_F(ListTest, EveryWayOutButOkGivesTheCancelResult)
{
    enum Way { Ok, Cancel, Close, Esc, CloseBox };
    for (Way way : {Ok, Cancel, Close, Esc, CloseBox}) {
        SCOPED_TRACE(way);
        auto list = openList(true);
        search(*list, QStringLiteral("山田"));
        list->DBGrid1->setFocus();
        pressKey(Qt::Key_Down); // the user picks the second match
        QSignalSpy finished(list.get(), &QDialog::finished);
        switch (way) {
        case Ok:
            QTest::mouseClick(list->BitBtn4, Qt::LeftButton);
            break;
        case Cancel:
            QTest::mouseClick(list->BitBtn5, Qt::LeftButton);
            break;
        case Close:
            QTest::mouseClick(list->BitBtn3, Qt::LeftButton);
            break;
        case Esc:
            pressKey(Qt::Key_Escape);
            break;
        case CloseBox:
            list->close();
            break;
        }
        settle();
        ASSERT_EQ(finished.count(), 1);
        EXPECT_EQ(list->result(), way == Ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_TRUE(m_dmib->QTokui.isOpen()) << "the list leaves QTokui to its caller";
        // What the slip form reads after OK.
        EXPECT_EQ(currentName(), QStringLiteral("山田花子"));
        EXPECT_EQ(m_dmib->QTokui.fieldByName(QStringLiteral("ANO")).asInteger(),
                  ano[QStringLiteral("山田花子")]);
        EXPECT_EQ(m_dmib->QTokui.fieldByName(QStringLiteral("TKZIP")).asString(),
                  QStringLiteral("100-0001"));
    }
}

TEST_F(ListTest, OkWithoutASearchGivesOkAndEmptyTexts)
{
    auto list = openList(true);
    QTest::mouseClick(list->BitBtn4, Qt::LeftButton);
    EXPECT_EQ(list->result(), QDialog::Accepted);
    for (const char *column : {"ANO", "TKNAME", "TKTEL", "TKZIP", "TKADDR1", "TKADDR2"})
        EXPECT_EQ(m_dmib->QTokui.fieldByName(QString::fromLatin1(column)).asString(), QString())
            << column;
}

TEST_F(ListTest, ListShowsWhatTheSharedQueryHoldsWhenItOpens)
{
    // The slip form's similar names: QTokui opened before the list is created.
    store::Query &q = m_dmib->QTokui;
    q.close();
    q.sql().clear();
    q.sql().add(QStringLiteral("select * from TOKUI where TKNAME like :mTKNAME"));
    q.paramByName(QStringLiteral("mTKNAME")).setAsString(QStringLiteral("%商%"));
    q.open();
    auto list = openList(false);
    QStringList names = gridNames(*list);
    names.sort();
    EXPECT_EQ(names, (QStringList{"山田商店", "ｱｲｳ商事"}));
}

TEST_F(ListTest, CustomerInfoOpensTheCurrentRowsCustomer)
{
    auto list = openList(true);
    search(*list, QStringLiteral("山田"));
    list->DBGrid1->setFocus();
    pressKey(Qt::Key_Down);
    QString shownNumber, shownName;
    testsupport::whenModalShows<TInTokui>([&](TInTokui *form) {
        EXPECT_EQ(customers::InTokui, form);
        shownNumber = form->Edit1->text();
        shownName = form->Edit3->text();
        typeInto(form->Edit3, QStringLiteral("山田花子（改）"));
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
    });
    QTest::mouseClick(list->BitBtn2, Qt::LeftButton);
    settle();
    EXPECT_EQ(shownNumber, QString::number(ano[QStringLiteral("山田花子")]));
    EXPECT_EQ(shownName, QStringLiteral("山田花子"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("登録しました")});
    EXPECT_EQ(customers::InTokui, nullptr) << "released after it closed";
    // The grid is not searched again, and the current row is still the one picked.
    EXPECT_EQ(gridNames(*list), (QStringList{"山田商店", "山田花子"}));
    EXPECT_EQ(currentName(), QStringLiteral("山田花子"));
    EXPECT_EQ(list->DBGrid1->currentIndex().row(), 1);
    showActive(list.get()); // the record form has closed over it
    search(*list, QStringLiteral("山田"));
    EXPECT_EQ(gridNames(*list), (QStringList{"山田商店", "山田花子（改）"}));
}

TEST_F(ListTest, CustomerInfoWithoutARowOpensNumberZero)
{
    for (const char *text : {static_cast<const char *>(nullptr), "該当なし"}) {
        auto list = openList(false);
        if (text)
            search(*list, QString::fromUtf8(text));
        QStringList boxes;
        testsupport::whenModalShows<TInTokui>([&](TInTokui *form) {
            for (QLineEdit *e : form->findChildren<QLineEdit *>())
                boxes << e->text();
            // A new customer saved from here is inserted.
            typeInto(form->Edit3, QStringLiteral("新しいお客様"));
            QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
            form->reject();
        });
        QTest::mouseClick(list->BitBtn2, Qt::LeftButton);
        settle();
        EXPECT_EQ(boxes, QStringList(13, QString())) << (text ? text : "no search");
    }
    EXPECT_EQ(tokuiCount(), 11);
}

TEST_F(ListTest, DatabaseErrorsAreShownAndTheListStaysUsable)
{
    auto list = openList(false);
    m_dmib->IBDatabase1.setParams(
        store::ConnectionParams{m_dir.file(QStringLiteral("missing/ZORIKA"))});
    search(*list, QStringLiteral("山田"));
    EXPECT_EQ(testsupport::reportedErrors().size(), 1);
    QTest::mouseClick(list->BitBtn2, Qt::LeftButton); // the record form fails to load
    EXPECT_EQ(testsupport::reportedErrors().size(), 2);
    settle();
    EXPECT_EQ(customers::InTokui, nullptr) << "the form that failed to load is released";
    EXPECT_TRUE(list->isVisible());
    m_dmib->IBDatabase1.setParams(store::ConnectionParams{m_dir.file(QStringLiteral("ZORIKA"))});
    search(*list, QStringLiteral("山田"));
    EXPECT_EQ(gridNames(*list), (QStringList{"山田商店", "山田花子"}));
}

} // namespace

namespace {

// Writes the list in picking mode, after a search, to $ZD_CUSTOMER_SNAPSHOT (to look at).
TEST_F(ListTest, Snapshot)
{
    const QString path = qEnvironmentVariable("ZD_CUSTOMER_SNAPSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "set ZD_CUSTOMER_SNAPSHOT to a PNG path";
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("IPAPGothic"));
    auto list = openList(true);
    search(*list, QStringLiteral("田"));
    EXPECT_TRUE(list->grab().save(path));
}

} // namespace
