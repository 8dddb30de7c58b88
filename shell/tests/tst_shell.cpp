#include <shell/issuerdialog.h>
#include <shell/mmenu.h>
#include <shell/startup.h>
#include <shell/utility.h>
#include <store/dmib.h>
#include <testsupport/modal.h>
#include <testsupport/tempdir.h>
#include <testsupport/testmain.h>
#include <ui/handler.h>
#include <ui/imemode.h>
#include <ui/zdapplication.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace shell;
using namespace ui;
using testsupport::TempDir;

namespace {

/// A data module on a temporary settings file and database, installed as DMIB, with the
/// messages of the message boxes recorded.
class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dm = std::make_unique<store::TDMIB>(
            store::SettingsStore(dir.file(QStringLiteral("Velmora/ZORIKADESK.ini"))),
            store::ConnectionParams::withEnvironment(dir.file(QStringLiteral("ZORIKA"))));
        store::DMIB = dm.get();
        m_previousMessages =
            ZdApplication::setMessageHandler([this](const QString &m) { messages.append(m); });
    }
    void TearDown() override
    {
        ZdApplication::setMessageHandler(m_previousMessages);
        store::DMIB = nullptr;
    }

    static void typeText(QWidget *w, const QString &text)
    {
        w->setFocus();
        QInputMethodEvent ev;
        ev.setCommitString(text);
        QApplication::sendEvent(w, &ev);
    }

    static QStringList focusChain(QWidget *first, int steps)
    {
        QStringList names{first->objectName()};
        for (QWidget *w = first; steps-- > 0;) {
            w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus))
                w = w->nextInFocusChain();
            names << w->objectName();
        }
        return names;
    }

    // Closes the next modal window as soon as it shows.
    static void rejectNextModal()
    {
        QTimer::singleShot(0, [] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                d->reject();
        });
    }

    TempDir dir;
    std::unique_ptr<store::TDMIB> dm;
    QStringList messages;
    ZdApplication::MessageHandler m_previousMessages;
};

TEST_F(ShellTest, MainMenuLooksAndTabsAsDesigned)
{
    TMmenu menu;
    EXPECT_EQ(menu.windowTitle(), QStringLiteral("Mmenu"));
    EXPECT_EQ(menu.size(), QSize(213, 234));
    EXPECT_EQ(menu.BitBtn2->geometry(), QRect(27, 180, 160, 30));
    EXPECT_EQ(focusChain(menu.BitBtn1, 4),
              (QStringList{"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5"}));
}

TEST_F(ShellTest, EscInTheMainMenuPressesClose)
{
    TMmenu menu;
    menu.show();
    QSignalSpy clicked(menu.BitBtn2, &QPushButton::clicked);
    QTest::keyClick(&menu, Qt::Key_Escape);
    EXPECT_EQ(clicked.count(), 1);
}

// A clerk presses the focused button with Return (or Space); Return presses nothing else.
TEST_F(ShellTest, ReturnPressesTheFocusedButton)
{
    TMmenu menu;
    menu.show();
    QSignalSpy settings(menu.BitBtn5, &QPushButton::clicked);
    QSignalSpy slips(menu.BitBtn1, &QPushButton::clicked);
    testsupport::whenModalShows<QDialog>([](QDialog *d) { d->reject(); });
    menu.BitBtn5->setFocus();
    QTest::keyClick(menu.BitBtn5, Qt::Key_Return);
    EXPECT_EQ(settings.count(), 1);
    EXPECT_EQ(slips.count(), 0);
}

TEST_F(ShellTest, ActivationPublishesTheProgramFolderWhereverItIsStartedFrom)
{
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    TMmenu menu;
    menu.show();
    menu.activateWindow();
    QApplication::setActiveWindow(&menu);
    QDir::setCurrent(cwd);
    const QString stored = dm->ReReg(QStringLiteral("ExeFilePass"));
    EXPECT_EQ(stored, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    EXPECT_TRUE(stored.endsWith(QDir::separator()));
}

TEST_F(ShellTest, ClosingAWindowFromTheMenuClosesTheConnection)
{
    ASSERT_EQ(prepareDatabase(*dm), QString());
    TMmenu menu;
    menu.show();
    dm->IBDatabase1.connect();
    rejectNextModal();
    menu.BitBtn5Click();
    EXPECT_FALSE(dm->IBDatabase1.connected());
    dm->IBDatabase1.connect(); // and the next query reconnects
    EXPECT_TRUE(dm->IBDatabase1.connected());
}

TEST_F(ShellTest, ListButtonsOpenTheirListsAndCloseTheConnectionAfterwards)
{
    ASSERT_EQ(prepareDatabase(*dm), QString());
    TMmenu menu;
    menu.show();
    for (QPushButton *button : {menu.BitBtn3, menu.BitBtn4}) {
        dm->IBDatabase1.connect();
        QString opened;
        bool okShown = true;
        auto *poll = new QTimer(&menu);
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, [&, poll] {
            auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!d || !d->isVisible())
                return;
            poll->stop();
            opened = d->objectName();
            if (auto *ok = d->findChild<QPushButton *>(QStringLiteral("BitBtn4")))
                okShown =
                    opened == QStringLiteral("LiTokui") && (ok->isVisible() || ok->isEnabled());
            d->reject();
        });
        poll->start();
        QTest::mouseClick(button, Qt::LeftButton);
        delete poll;
        EXPECT_EQ(opened,
                  button == menu.BitBtn3 ? QStringLiteral("LiDenpyo") : QStringLiteral("LiTokui"));
        if (button == menu.BitBtn4) {
            EXPECT_FALSE(okShown) << "お客様名簿 opens the list for browsing";
        }
        EXPECT_FALSE(dm->IBDatabase1.connected());
    }
}

TEST_F(ShellTest, SettingsFormSavesAndShowsTheShopDetails)
{
    const QStringList values = {QStringLiteral("㈱髙﨑商店"),
                                QStringLiteral("100-0001"),
                                QStringLiteral("東京都千代田区千代田1-1"),
                                QStringLiteral("03-1234-5678"),
                                QStringLiteral("03-1234-5679"),
                                QStringLiteral("8%"),
                                QStringLiteral("/data/KEN_ALL.CSV")};
    {
        TUtility form;
        form.show();
        form.FormActivate();
        const QList<LabeledEdit *> boxes = {form.LabeledEdit1, form.LabeledEdit2, form.LabeledEdit3,
                                            form.LabeledEdit4, form.LabeledEdit5, form.LabeledEdit6,
                                            form.LabeledEdit7};
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            // At first start only the tax rate has a value: the standard rate.
            EXPECT_EQ(boxes[i]->text(),
                      boxes[i] == form.LabeledEdit6 ? QStringLiteral("10") : QString())
                << "first start";
            boxes[i]->clear();
            typeText(boxes[i], values[i]);
        }
        QTest::mouseClick(form.BitBtn3, Qt::LeftButton);
        EXPECT_EQ(messages, QStringList{QStringLiteral("設定を保存しました")});
        EXPECT_TRUE(form.isVisible()) << "saving keeps the window open";
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        EXPECT_EQ(dm->ReReg(TUtility::settingNames()[i]), values[i]);

    TUtility again;
    again.show();
    again.FormActivate();
    EXPECT_EQ(again.LabeledEdit1->text(), values[0]);
    EXPECT_EQ(again.LabeledEdit6->text(), values[5]);
}

TEST_F(ShellTest, IssuerLinesAreSavedBesideTheSettings)
{
    const QStringList values = {QStringLiteral("大阪市北区梅田4-5-6"),
                                QStringLiteral("06-9876-5432"),
                                QStringLiteral("みずほ銀行 渋谷支店 (普通) 1234567"), QString()};
    {
        TIssuerDialog dialog;
        dialog.show();
        const QList<LabeledEdit *> boxes = {dialog.edADDR2, dialog.edTEL2, dialog.edBANK1,
                                            dialog.edBANK2};
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(boxes[i]->text(), QString());
            typeText(boxes[i], values[i]);
        }
        QTest::mouseClick(dialog.btSave, Qt::LeftButton);
        EXPECT_EQ(messages, QStringList{QStringLiteral("設定を保存しました")});
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        EXPECT_EQ(dm->ReReg(store::TDMIB::issuerSettingNames()[i]), values[i]);
    // As the shop's other details: the data module of this run keeps what it read at start,
    // the next start reads the new lines.
    EXPECT_EQ(dm->mADDR2, QString());
    store::TDMIB next(dm->settings(), store::ConnectionParams{});
    EXPECT_EQ(next.mADDR2, values[0]);
    EXPECT_EQ(next.mTEL2, values[1]);
    EXPECT_EQ(next.mBANK1, values[2]);
    TIssuerDialog again;
    EXPECT_EQ(again.edBANK1->text(), values[2]);
}

TEST_F(ShellTest, ClosingTheSettingsFormDiscardsEdits)
{
    dm->WrRed(QStringLiteral("TEL"), QStringLiteral("old"));
    TUtility form;
    form.show();
    form.FormActivate();
    form.LabeledEdit4->setText(QStringLiteral("new"));
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(dm->ReReg(QStringLiteral("TEL")), QStringLiteral("old"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ShellTest, SettingsFormTellsWhenTheStoreCannotBeWritten)
{
    QFile blocker(dir.file(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    store::TDMIB broken(store::SettingsStore(dir.file(QStringLiteral("blocker/x.ini"))),
                        store::ConnectionParams{});
    store::DMIB = &broken;
    TUtility form;
    form.show();
    form.FormActivate();
    form.BitBtn3Click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("設定の保存に失敗しました！")});
}

TEST_F(ShellTest, SettingsFormTabOrderAndInputModes)
{
    TUtility form;
    EXPECT_EQ(form.size(), QSize(413, 389));
    EXPECT_EQ(
        focusChain(form.LabeledEdit1, 9),
        (QStringList{"LabeledEdit1", "LabeledEdit2", "LabeledEdit3", "LabeledEdit4", "LabeledEdit5",
                     "LabeledEdit6", "LabeledEdit7", "BitBtn1", "BitBtn2", "BitBtn3"}));
    EXPECT_EQ(imeModeOf(form.LabeledEdit1), ImeMode::Hiragana);
    EXPECT_EQ(imeModeOf(form.LabeledEdit3), ImeMode::Hiragana);
    for (QWidget *w :
         {static_cast<QWidget *>(form.LabeledEdit2), static_cast<QWidget *>(form.LabeledEdit6)})
        EXPECT_EQ(imeModeOf(w), ImeMode::Off);
    // The caption sits on the box's left side.
    EXPECT_LT(form.LabeledEdit1->label()->geometry().right(), form.LabeledEdit1->x());
}

TEST(StandardErrorText, AppendsAPeriodAfterCharactersBeyondIt)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("abc"), QStringLiteral("abc.")},
        {QStringLiteral("end."), QStringLiteral("end.")},
        {QStringLiteral("x-"), QStringLiteral("x-")}, // '-' comes before '.'
        {QStringLiteral("失敗"), QStringLiteral("失敗.")},
        {QString(), QString()},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(standardErrorText(in), out) << in.toStdString();
}

// A handler that throws ends there: the error reaches the standard error box, the button is
// left in its normal state and the program goes on. Qt's own code is never unwound: the
// wrapper catches at the handler, and the application object is only the last resort.
TEST(ErrorsInHandlers, AreShownAndTheProgramGoesOn)
{
    QStringList &seen = testsupport::reportedErrors();
    seen.clear();
    QPushButton guarded, unguarded;
    QObject::connect(&guarded, &QPushButton::clicked, &guarded,
                     ui::handler([] { throw std::runtime_error("データベースに接続できません"); }));
    QObject::connect(&unguarded, &QPushButton::clicked,
                     [] { throw std::runtime_error("最後の砦"); });
    guarded.show();
    unguarded.show();
    QTest::mouseClick(&guarded, Qt::LeftButton);
    QTest::mouseClick(&guarded, Qt::LeftButton);
    EXPECT_FALSE(guarded.isDown());
    QTest::mouseClick(&unguarded, Qt::LeftButton);
    EXPECT_EQ(seen, QStringList({QStringLiteral("データベースに接続できません"),
                                 QStringLiteral("データベースに接続できません"),
                                 QStringLiteral("最後の砦")}));
    seen.clear();
}

TEST(CommandLine, Options)
{
    struct Case
    {
        QStringList args;
        QString database;
        bool check, help, error;
    } cases[] = {
        {{"zorikadesk"}, {}, false, false, false},
        {{"zorikadesk", "--database", "/tmp/x/ZORIKA"}, "/tmp/x/ZORIKA", false, false, false},
        {{"zorikadesk", "--database=localhost:/srv/ZORIKA", "--check"},
         "localhost:/srv/ZORIKA",
         true,
         false,
         false},
        {{"zorikadesk", "--help"}, {}, false, true, false},
        {{"zorikadesk", "--database"}, {}, false, false, true},
        {{"zorikadesk", "--nope"}, {}, false, false, true},
        {{"zorikadesk", "stray"}, {}, false, false, true},
    };
    for (const Case &c : cases) {
        const StartupOptions o = parseCommandLine(c.args);
        EXPECT_EQ(o.database, c.database) << c.args.join(' ').toStdString();
        EXPECT_EQ(o.check, c.check);
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(!o.error.isEmpty(), c.error) << c.args.join(' ').toStdString();
    }
    const QString help = parseCommandLine({"/opt/zd/zorikadesk"}).helpText;
    EXPECT_TRUE(help.contains("--database"));
    EXPECT_TRUE(help.startsWith("Usage: zorikadesk ")) << help.toStdString();
}

TEST_F(ShellTest, StartupCreatesTheDatabaseOrSaysWhyItCannot)
{
    EXPECT_EQ(prepareDatabase(*dm), QString());
    EXPECT_TRUE(QFile::exists(dir.file(QStringLiteral("ZORIKA"))));
    EXPECT_FALSE(dm->IBDatabase1.connected());

    store::TDMIB unreachable(
        store::SettingsStore(dir.file(QStringLiteral("k.ini"))),
        store::ConnectionParams::withEnvironment(QStringLiteral("127.0.0.1/1:/nowhere/ZORIKA")));
    EXPECT_TRUE(prepareDatabase(unreachable)
                    .startsWith(QStringLiteral("データベースサーバーに接続できません")));
}

} // namespace
