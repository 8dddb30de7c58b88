#include "slipfixture.h"

#include <slips/denpyo.h>
#include <slips/lidenpyo.h>
#include <slips/slipsearch.h>
#include <store/query.h>
#include <testsupport/testmain.h>
#include <ui/dbgrid.h>
#include <ui/imemode.h>
#include <ui/zdapplication.h>

#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace slipstest;
using slips::SearchInputError;
using slips::SlipSearch;
using slips::TLiDenpyo;

namespace {

const QString kNotInteger = QStringLiteral("''%1'' は整数ではありません");
const QString kNoDate = QStringLiteral("日付に変換できない値が渡されました");

TEST(SlipSearchRules, MonthBoundsFollowTheGregorianCalendar)
{
    const struct
    {
        int year, month, lastDay;
    } cases[] = {{2012, 2, 29}, {2014, 2, 28},  {1900, 2, 28}, {2000, 2, 29},
                 {2024, 4, 30}, {2024, 12, 31}, {1, 1, 31},    {9999, 12, 31}};
    for (const auto &c : cases) {
        const auto [first, last] = SlipSearch::monthBounds(c.year, c.month);
        EXPECT_EQ(first, QDate(c.year, c.month, 1));
        EXPECT_EQ(last, QDate(c.year, c.month, c.lastDay)) << c.year << "/" << c.month;
    }
    for (auto [year, month] : {std::pair{2024, 0}, {2024, 13}, {0, 1}, {10000, 1}, {-5, 3}}) {
        try {
            SlipSearch::monthBounds(year, month);
            ADD_FAILURE() << year << "/" << month;
        } catch (const SearchInputError &e) {
            EXPECT_EQ(e.message(), kNoDate);
        }
    }
}

TEST(SlipSearchRules, BoxesConvertAsWholeNumbersOnly)
{
    const struct
    {
        const char *text;
        int value;
    } good[] = {{"2024", 2024}, {"07", 7}, {" 7 ", 7}, {"-1", -1}, {"+3", 3}};
    for (const auto &c : good)
        EXPECT_EQ(SlipSearch::toInteger(QString::fromUtf8(c.text)), c.value) << c.text;
    for (const char *bad : {"abcd", "", "7a", "１２", "0x10", "1.5", "-", "99999999999"}) {
        try {
            SlipSearch::toInteger(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const SearchInputError &e) {
            EXPECT_EQ(e.message(), kNotInteger.arg(QString::fromUtf8(bad)));
        }
    }
    EXPECT_EQ(SlipSearch::literalPrefix(QStringLiteral("山田")), QStringLiteral("山田"));
    EXPECT_EQ(SlipSearch::literalPrefix(QStringLiteral("山%田")), QStringLiteral("山"));
    EXPECT_EQ(SlipSearch::literalPrefix(QStringLiteral("5_0")), QStringLiteral("5"));
    EXPECT_EQ(SlipSearch::literalPrefix(QStringLiteral("_x")), QString());
    EXPECT_EQ(SlipSearch::nameMessage(QStringLiteral("山田")),
              QStringLiteral("山田　で始まる名前"));
}

// Runs `action` on the slip form as soon as it shows, from inside its modal loop.
void whenSlipFormShows(std::function<void(slips::TDenpyo *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action, ticks] {
        auto *form = qobject_cast<slips::TDenpyo *>(QApplication::activeModalWidget());
        if ((!form || !form->isVisible()) && ++*ticks < 2000)
            return;
        timer->stop();
        timer->deleteLater();
        if (form)
            action(form);
        else
            ADD_FAILURE() << "the slip form never showed";
    });
    timer->start();
}

class ListTest : public SlipTest
{
protected:
    void SetUp() override
    {
        SlipTest::SetUp();
        ui::ZdApplication::setMessageHandler([this](const QString &m) {
            // What the grid shows at the moment the name message appears.
            messages << m;
            rowsAtMessage << (list ? list->DBGrid1->model()->rowCount() : -1);
        });
    }
    void TearDown() override
    {
        list.reset();
        ui::ZdApplication::setMessageHandler({});
        SlipTest::TearDown();
    }

    void slip(const char *date, const char *name, int gokei = 1000)
    {
        insertSlip({{"YMD", QString::fromLatin1(date)},
                    {"TKNAME", QString::fromUtf8(name)},
                    {"GOKEI", QString::number(gokei)},
                    {"TAX", QString::number(gokei / 10)},
                    {"TOTAL", QString::number(gokei + gokei / 10)}});
    }

    void openList()
    {
        list = std::make_unique<TLiDenpyo>();
        list->open();
        QApplication::setActiveWindow(list.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(list.get()));
        settle();
    }

    // Types into the three boxes as a user does and presses 検索開始.
    void search(const QString &year, const QString &month, const QString &name)
    {
        list->BitBtn2->click(); // クリア
        if (!year.isEmpty())
            typeInto(list->Y1, year);
        if (!month.isEmpty())
            typeInto(list->M1, month);
        if (!name.isEmpty())
            typeInto(list->Edit1, name);
        QTest::mouseClick(list->BitBtn1, Qt::LeftButton);
        settle();
    }

    QStringList column(int c)
    {
        QAbstractItemModel *m = list->DBGrid1->model();
        while (m->canFetchMore({}))
            m->fetchMore({});
        QStringList texts;
        for (int r = 0; r < m->rowCount(); ++r)
            texts << m->index(r, c).data().toString();
        return texts;
    }
    QStringList dates() { return column(1); }
    QStringList names() { return column(2); }

    std::unique_ptr<TLiDenpyo> list;
    QStringList messages;
    QList<int> rowsAtMessage;
};

TEST_F(ListTest, ListStandsAndTabsAsDesigned)
{
    slip("2024/03/05", "山田商店", 1234567);
    openList();
    EXPECT_EQ(list->windowTitle(), QStringLiteral("LiDenpyo"));
    EXPECT_EQ(list->size(), QSize(1134, 629));
    EXPECT_EQ(list->Panel1->height(), 151);
    EXPECT_EQ(list->Panel2->height(), 41);
    EXPECT_EQ(list->DBGrid1->geometry(), QRect(0, 151, 1134, 629 - 151 - 41));
    EXPECT_EQ(list->GroupBox1->geometry(), QRect(20, 9, 326, 131));
    EXPECT_EQ(list->Y1->geometry(), QRect(45, 29, 48, 27));
    EXPECT_EQ(list->M1->geometry(), QRect(112, 29, 28, 27));
    EXPECT_EQ(list->Edit1->geometry(), QRect(45, 64, 271, 27));
    EXPECT_EQ(list->BitBtn4->geometry(), QRect(360, 105, 100, 30));
    EXPECT_EQ(list->BitBtn3->geometry(), QRect(980, 20, 100, 30));
    EXPECT_EQ(ui::imeModeOf(list->Edit1), ui::ImeMode::Hiragana);
    EXPECT_EQ(ui::imeModeOf(list->Y1), ui::ImeMode::Off);
    EXPECT_EQ(list->DBGrid1->model()->rowCount(), 0) << "empty until the first search";

    EXPECT_EQ(focused(), list->Y1);
    QStringList walk;
    for (int i = 0; i < 8; ++i) {
        pressKey(Qt::Key_Tab);
        walk << focused()->objectName();
    }
    EXPECT_EQ(walk, (QStringList{"M1", "Edit1", "BitBtn2", "BitBtn1", "BitBtn3", "BitBtn4",
                                 "DBGrid1", "Y1"}));

    search({}, {}, {});
    QStringList titles;
    for (int c = 0; c < 6; ++c)
        titles << list->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles,
              (QStringList{"伝票ID", "年月日", "お客様名", "小計金額", "消費税", "合計金額"}));
    for (int c = 3; c < 6; ++c)
        EXPECT_EQ(list->DBGrid1->columnWidth(c), 80);
    EXPECT_EQ(column(1), QStringList{"2024/03/05"});
    EXPECT_EQ(column(3), QStringList{"1,234,567"});
    EXPECT_EQ(column(4), QStringList{"123,456"});
    EXPECT_EQ(column(5), QStringList{"1,358,023"});
}

TEST_F(ListTest, AMonthListsEveryDayOfItAndNothingElse)
{
    for (const char *d : {"2012/01/31", "2012/02/01", "2012/02/29", "2012/03/01", "2014/02/01",
                          "2014/02/28", "2014/03/01", "1900/02/28", "1900/03/01", "2000/02/29",
                          "2000/03/01", "2024/12/31", "2025/01/01"})
        slip(d, "客");
    openList();
    const struct
    {
        const char *year, *month;
        QStringList dates;
    } cases[] = {
        {"2012", "2", {"2012/02/01", "2012/02/29"}},
        {"2014", "02", {"2014/02/01", "2014/02/28"}},
        {"1900", "2", {"1900/02/28"}},
        {"2000", "2", {"2000/02/29"}},
        {"2024", "12", {"2024/12/31"}},
        {"2012", "4", {}},
    };
    for (const auto &c : cases) {
        search(QString::fromLatin1(c.year), QString::fromLatin1(c.month), {});
        EXPECT_EQ(dates(), c.dates) << c.year << "/" << c.month;
        EXPECT_EQ(list->DBGrid1->currentIndex().row(), c.dates.isEmpty() ? -1 : 0);
    }
    // A year without a month (or a month without a year) sets no date condition.
    search(QStringLiteral("2012"), {}, {});
    EXPECT_EQ(dates().size(), 13);
    EXPECT_EQ(dates().first(), QStringLiteral("1900/02/28")) << "in date order";
    search({}, QStringLiteral("2"), {});
    EXPECT_EQ(dates().size(), 13);
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
}

TEST_F(ListTest, ANameMatchesTheBeginningAndItsMessageComesBeforeTheGridFills)
{
    slip("2024/03/02", "山田商店");
    slip("2024/03/01", "山田花子");
    slip("2024/04/01", "山田一郎");
    slip("2024/03/03", "小山田");
    slip("2024/03/04", "田中");
    slip("2024/03/05", "50%引き");
    slip("2024/03/06", "5X0");
    openList();
    search({}, {}, QStringLiteral("山田"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("山田　で始まる名前")});
    EXPECT_EQ(rowsAtMessage, QList<int>{0});
    EXPECT_EQ(names(), (QStringList{"山田花子", "山田商店", "山田一郎"}));

    const struct
    {
        const char *year, *month, *name;
        QStringList names;
    } cases[] = {
        {"", "", "田", {"田中"}}, // the beginning only
        {"",
         "",
         "%田",
         {"山田花子", "山田商店", "小山田", "田中", "山田一郎"}}, // typed wildcards act
        {"", "", "_田", {"山田花子", "山田商店", "山田一郎"}},
        {"", "", "5_0", {"5X0"}},
        {"", "", "50%", {"50%引き"}},
        {"2024", "3", "山田", {"山田花子", "山田商店"}},
        {"", "", "やまだ", {}},
    };
    for (const auto &c : cases) {
        search(QString::fromUtf8(c.year), QString::fromUtf8(c.month), QString::fromUtf8(c.name));
        EXPECT_EQ(names(), c.names) << c.name;
    }
}

TEST_F(ListTest, SearchesUseTheIndexes)
{
    store::Query q(m_dmib->IBDatabase1);
    SlipSearch::prepare(q, {}, {}, QStringLiteral("山田"));
    EXPECT_TRUE(q.plan().contains(QStringLiteral("IX_DENPYO_TKNAME"))) << q.plan().toStdString();
    EXPECT_FALSE(q.plan().contains(QStringLiteral("NATURAL"))) << q.plan().toStdString();
    SlipSearch::prepare(q, QStringLiteral("2024"), QStringLiteral("2"), {});
    EXPECT_TRUE(q.plan().contains(QStringLiteral("IX_DENPYO_YMD"))) << q.plan().toStdString();
    EXPECT_FALSE(q.plan().contains(QStringLiteral("NATURAL"))) << q.plan().toStdString();
}

TEST_F(ListTest, BadYearsAndMonthsAreShownAndTheGridStaysEmpty)
{
    slip("2024/03/05", "山田商店");
    openList();
    const struct
    {
        const char *year, *month;
        QString error;
    } cases[] = {
        {"abcd", "3", kNotInteger.arg(QStringLiteral("abcd"))},
        {"2024", "13", kNoDate},
        {"2024", "0", kNoDate},
        {"0", "3", kNoDate},
        {"2024", "a", kNotInteger.arg(QStringLiteral("a"))}, // left by the click: shown once
    };
    for (const auto &c : cases) {
        search({}, {}, {});
        ASSERT_EQ(list->DBGrid1->model()->rowCount(), 1);
        testsupport::reportedErrors().clear();
        search(QString::fromLatin1(c.year), QString::fromLatin1(c.month), {});
        EXPECT_EQ(testsupport::reportedErrors(), QStringList{c.error}) << "shown once";
        EXPECT_EQ(list->DBGrid1->model()->rowCount(), 0) << c.year << "/" << c.month;
        EXPECT_TRUE(list->isVisible());
    }
    testsupport::reportedErrors().clear();
    search(QStringLiteral("2024"), QStringLiteral("3"), {});
    EXPECT_EQ(names(), QStringList{"山田商店"}) << "the list stays usable";
}

TEST_F(ListTest, FullYearAndMonthMoveTheCaretOnAndTheMonthGetsTwoDigits)
{
    openList();
    QTest::mouseClick(list->Y1, Qt::LeftButton);
    typeText(QStringLiteral("202"));
    EXPECT_EQ(focused(), list->Y1);
    typeText(QStringLiteral("4"));
    EXPECT_EQ(focused(), list->M1);
    typeText(QStringLiteral("7"));
    EXPECT_EQ(focused(), list->M1);
    pressKey(Qt::Key_Tab);
    EXPECT_EQ(list->M1->text(), QStringLiteral("07"));
    EXPECT_EQ(focused(), list->Edit1);
    QTest::mouseClick(list->M1, Qt::LeftButton);
    list->M1->selectAll();
    typeText(QStringLiteral("12"));
    EXPECT_EQ(focused(), list->Edit1) << "a full month moves on to the name";
    EXPECT_EQ(list->M1->text(), QStringLiteral("12"));
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());

    // Full-width digits from an input method arrive half-width and move on the same way.
    list->BitBtn2Click();
    QTest::mouseClick(list->Y1, Qt::LeftButton);
    typeText(QStringLiteral("２０２４"));
    EXPECT_EQ(list->Y1->text(), QStringLiteral("2024"));
    EXPECT_EQ(focused(), list->M1);
    typeText(QStringLiteral("５"));
    pressKey(Qt::Key_Tab);
    EXPECT_EQ(list->M1->text(), QStringLiteral("05"));
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
}

TEST_F(ListTest, AMonthLeftWithABadTextIsReportedOncePerLeaving)
{
    openList();
    // The error box is a real modal window here: it takes the focus and gives it back.
    int shown = 0;
    ui::ZdApplication::setErrorHandler([&](const QString &message) {
        testsupport::reportedErrors() << message;
        ++shown;
        QDialog box(QApplication::activeWindow());
        QTimer::singleShot(20, &box, &QDialog::reject);
        box.exec();
    });
    QTest::mouseClick(list->M1, Qt::LeftButton);
    typeText(QStringLiteral("x"));
    pressKey(Qt::Key_Tab);
    settle();
    for (int i = 0; i < 10; ++i)
        QTest::qWait(10);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(list->M1->text(), QStringLiteral("x")) << "the text stays as typed";

    // Back into the box while another window comes and goes: no leaving, no message.
    QTest::mouseClick(list->M1, Qt::LeftButton);
    {
        QDialog other(list.get());
        other.show();
        QApplication::setActiveWindow(&other);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
    }
    QApplication::setActiveWindow(list.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(list.get()));
    settle();
    EXPECT_EQ(shown, 1);
    pressKey(Qt::Key_Tab); // the next leaving is reported again
    for (int i = 0; i < 10; ++i)
        QTest::qWait(10);
    EXPECT_EQ(shown, 2);
    ui::ZdApplication::setErrorHandler(
        [](const QString &message) { testsupport::reportedErrors().append(message); });
    EXPECT_TRUE(list->isVisible());
}

TEST_F(ListTest, ClearEmptiesTheBoxesAndLeavesTheGrid)
{
    slip("2024/03/05", "山田商店");
    openList();
    search(QStringLiteral("2024"), QStringLiteral("3"), QStringLiteral("山"));
    QTest::mouseClick(list->BitBtn2, Qt::LeftButton);
    EXPECT_EQ(list->Y1->text(), QString());
    EXPECT_EQ(list->M1->text(), QString());
    EXPECT_EQ(list->Edit1->text(), QString());
    EXPECT_EQ(names(), QStringList{"山田商店"});
}

TEST_F(ListTest, OpenSlipShowsTheCurrentRowsSlipOrNumberZero)
{
    slip("2024/03/01", "一番");
    slip("2024/03/02", "二番");
    openList();
    QString shownNumber, shownName;
    auto readSlipWhenShown = [&] {
        whenSlipFormShows([&](slips::TDenpyo *form) {
            EXPECT_EQ(slips::Denpyo, form);
            shownNumber = form->ANO->text();
            shownName = form->NAME1->text();
            form->reject();
        });
    };
    // No search yet: number 0, an empty slip.
    readSlipWhenShown();
    QTest::mouseClick(list->BitBtn4, Qt::LeftButton);
    settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(slips::Denpyo, nullptr) << "released after it closed";
    EXPECT_EQ(shownNumber, QString());
    // The window system gives the list back the activation (offscreen does not by itself).
    QApplication::setActiveWindow(list.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(list.get()));
    EXPECT_EQ(shownName, QString());

    search({}, {}, {});
    list->DBGrid1->setFocus();
    pressKey(Qt::Key_Down);
    const QString second = column(0).at(1);
    readSlipWhenShown();
    pressKey(Qt::Key_Tab); // 伝票開く is reached by the keyboard too
    EXPECT_EQ(focused(), list->Y1);
    list->BitBtn4->setFocus();
    pressKey(Qt::Key_Space);
    settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(shownNumber, second);
    EXPECT_EQ(shownName, QStringLiteral("二番"));
    EXPECT_EQ(slips::Denpyo, nullptr) << "released after it closed";
    EXPECT_EQ(list->DBGrid1->currentIndex().row(), 1);
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());

    QApplication::setActiveWindow(list.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(list.get()));
    pressKey(Qt::Key_Escape);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->result(), QDialog::Rejected);
}

} // namespace
