#include "dictfixture.h"

#include <postal/zipfind.h>
#include <store/dmib.h>
#include <testsupport/tempdir.h>
#include <testsupport/testmain.h>
#include <ui/zdapplication.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace postaltest;
using postal::TZIPFIND;

namespace {

const QString kZipFileName = QStringLiteral("ZipFileName");

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

/// Acts on the next modal window of type T (the file dialog, a question) once it shows; a
/// window that follows another is awaited from the first one's action.
template <typename T> void whenModal(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->deleteLater();
            timer->stop();
            act(w);
            return;
        }
        if (++*tries > 3000) { // ten seconds: the first file dialog of a run is slow
            timer->deleteLater();
            timer->stop();
            ADD_FAILURE() << "the expected window did not open";
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        }
    });
    timer->start(10);
}

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton);
    settle();
}

/// Replaces a box's text by typing: keys for ASCII, an input-method commit otherwise.
void typeInto(QLineEdit *box, const QString &text)
{
    QTest::mouseClick(box, Qt::LeftButton);
    box->setFocus(Qt::MouseFocusReason);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QTest::keyClicks(box, text);
    } else {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(box, &event);
    }
    settle();
}

void clickItem(QListWidget *list, int row)
{
    QListWidgetItem *item = list->item(row);
    ASSERT_NE(item, nullptr);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    settle();
}

/// Chooses a file in the open dialog as a user would: enters its path and clicks Open. The
/// first dialog of a run is still filling its list when it shows and may pop up its
/// completion late; the user then closes that and clicks again.
void chooseFile(QFileDialog *dialog, const QString &path)
{
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    ASSERT_NE(name, nullptr);
    ASSERT_NE(buttons, nullptr);
    QPushButton *openButton = buttons->button(QDialogButtonBox::Open);
    ASSERT_NE(openButton, nullptr);
    for (int attempt = 0; attempt < 50 && dialog->isVisible(); ++attempt) {
        if (name->text() != path) {
            // Pasted in one piece: typed key by key, the name box completes each folder.
            name->setFocus();
            name->selectAll();
            QInputMethodEvent paste;
            paste.setCommitString(path);
            QApplication::sendEvent(name, &paste);
        }
        // The completion list, which may show late, would take the click.
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        if (openButton->isEnabled())
            QTest::mouseClick(openButton, Qt::LeftButton);
        if (dialog->isVisible())
            QTest::qWait(100);
    }
    EXPECT_FALSE(dialog->isVisible())
        << "the file dialog did not take " << path.toStdString() << " enabled "
        << openButton->isEnabled() << " text " << name->text().toStdString() << " selected "
        << dialog->selectedFiles().join(',').toStdString() << " modal "
        << (QApplication::activeModalWidget() == dialog);
}

/// The names the open dialog lists under its current filter, once it has read the folder.
QStringList namesShown(QFileDialog *dialog)
{
    auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
    if (!view)
        return {};
    QStringList names;
    for (int wait = 0; wait < 100 && names.isEmpty(); ++wait) {
        QTest::qWait(50);
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row)
            names << view->model()->index(row, 0, root).data().toString();
    }
    return names;
}

void answer(QMessageBox *box, const QString &button)
{
    for (QAbstractButton *b : box->buttons())
        if (b->text() == button) {
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
    ADD_FAILURE() << "no button " << button.toStdString();
    box->reject();
}

class ZipFindTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dictionary = m_dir.file(QStringLiteral("KEN_ALL.CSV"));
        writeDictionary({
            kenAllLine(QStringLiteral("1000001"), QStringLiteral("東京都"),
                       QStringLiteral("千代田区"), QStringLiteral("千代田")),
            kenAllLine(QStringLiteral("1000005"), QStringLiteral("東京都"),
                       QStringLiteral("千代田区"), QStringLiteral("丸の内（１～３丁目）")),
            kenAllLine(QStringLiteral("1006690"), QStringLiteral("東京都"),
                       QStringLiteral("千代田区"), QStringLiteral("丸の内ＪＰタワー（地階）")),
            kenAllLine(QStringLiteral("0600001"), QStringLiteral("北海道"),
                       QStringLiteral("札幌市中央区"), QStringLiteral("北一条西")),
        });
        useSettings(m_dir.file(QStringLiteral("ZORIKADESK.ini")));
        storePath(m_dictionary);
        ui::ZdApplication::setMessageHandler([this](const QString &m) { m_messages << m; });
        testsupport::reportedErrors().clear();
    }

    void TearDown() override
    {
        settle();
        ui::ZdApplication::setMessageHandler({});
        store::DMIB = nullptr;
        testsupport::reportedErrors().clear();
    }

    void useSettings(const QString &ini)
    {
        store::DMIB = nullptr;
        m_dmib = std::make_unique<store::TDMIB>(
            store::SettingsStore(ini),
            store::ConnectionParams{m_dir.file(QStringLiteral("ZORIKA"))});
        store::DMIB = m_dmib.get();
    }
    void storePath(const QString &path) { m_dmib->WrRed(kZipFileName, path); }
    QString stored() const { return m_dmib->ReReg(kZipFileName); }

    void writeDictionary(const QStringList &lines, const QString &path = {})
    {
        QByteArray bytes;
        for (const QString &l : lines)
            bytes += toCp932(l) + "\r\n";
        writeBytes(path.isEmpty() ? m_dictionary : path, bytes);
    }

    /// Creates the window as the slip form does, fills the search box and shows it.
    std::unique_ptr<TZIPFIND> open(const QString &search = {})
    {
        auto form = std::make_unique<TZIPFIND>();
        form->ZIP->setText(search);
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        settle();
        return form;
    }

    QStringList items(const TZIPFIND &form) const
    {
        QStringList list;
        for (int i = 0; i < form.ListBox1->count(); ++i)
            list << form.ListBox1->item(i)->text();
        return list;
    }

    /// The state every search leaves behind, whatever its outcome.
    void expectSearchEnded(const TZIPFIND &form)
    {
        EXPECT_EQ(form.Label1->text(), TZIPFIND::countText(form.ListBox1->count()));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(form.isEnabled());
        EXPECT_TRUE(form.ListBox1->hasFocus());
    }

    testsupport::TempDir m_dir;
    std::unique_ptr<store::TDMIB> m_dmib;
    QString m_dictionary;
    QStringList m_messages;
};

TEST_F(ZipFindTest, ControlsStandAsDesigned)
{
    auto form = open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ZIPFIND"));
    EXPECT_EQ(form->size(), QSize(652, 396));
    EXPECT_NE(form->minimumSize(), form->maximumSize()); // sizeable
    EXPECT_EQ(form->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(form->font().pixelSize(), 11);

    const struct
    {
        QWidget *widget;
        QRect rect;
        const char *caption;
    } controls[] = {
        {form->Panel1, {0, 0, 652, 61}, nullptr},
        {form->ListBox1, {0, 61, 652, 274}, nullptr},
        {form->Panel2, {0, 335, 652, 61}, nullptr},
        {form->BitBtn1, {252, 18, 75, 25}, "検索開始"},
        {form->ZIP, {15, 20, 231, 21}, nullptr},
        {form->BitBtn3, {406, 18, 75, 25}, "決定"},
        {form->BitBtn4, {560, 18, 75, 25}, "キャンセル"},
        {form->Label1, {15, 44, 48, 13}, "検索件数"},
        {form->BitBtn2, {15, 18, 75, 25}, "辞書の場所"},
        {form->KEN_ALL, {95, 20, 301, 21}, nullptr},
    };
    for (const auto &c : controls) {
        const std::string name = c.widget->objectName().toStdString();
        EXPECT_EQ(c.widget->geometry(), c.rect) << name;
        if (auto *b = qobject_cast<QPushButton *>(c.widget)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(c.caption)) << name;
        }
        if (auto *l = qobject_cast<QLabel *>(c.widget)) {
            EXPECT_EQ(l->text(), QString::fromUtf8(c.caption)) << name;
        }
    }
    for (QWidget *w : std::initializer_list<QWidget *>{form->BitBtn1, form->ZIP, form->BitBtn3,
                                                       form->BitBtn4, form->Label1})
        EXPECT_EQ(w->parentWidget(), form->Panel1) << w->objectName().toStdString();
    for (QWidget *w : std::initializer_list<QWidget *>{form->BitBtn2, form->KEN_ALL})
        EXPECT_EQ(w->parentWidget(), form->Panel2) << w->objectName().toStdString();
    EXPECT_FALSE(form->BitBtn3->icon().isNull()); // the green check mark
    EXPECT_EQ(form->OpenDialog1->nameFilters(),
              QStringList(
                  {QStringLiteral("郵便番号辞書 (*.csv)"), QStringLiteral("全てのファイル (*)")}));

    // Tab walks the controls in their order, starting on 検索開始.
    EXPECT_EQ(QApplication::focusWidget(), form->BitBtn1);
    QStringList order;
    for (int i = 0; i < 8; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, QStringList({"BitBtn1", "ZIP", "BitBtn3", "BitBtn4", "BitBtn2", "KEN_ALL",
                                  "ListBox1", "BitBtn1"}));

    // The list and its items, 13 pixels high.
    typeInto(form->ZIP, QStringLiteral("東京都"));
    click(form->BitBtn1);
    ASSERT_EQ(form->ListBox1->count(), 3);
    EXPECT_EQ(form->ListBox1->visualItemRect(form->ListBox1->item(0)).height(), 13);
}

struct OpeningCase
{
    const char *name;
    std::function<QString(const QString &dir, const QString &dictionary)> stored;
    bool filled;
};

class ZipFindOpening : public ZipFindTest, public ::testing::WithParamInterface<OpeningCase>
{
};

TEST_P(ZipFindOpening, TakesTheStoredDictionaryOnlyWhenAFileIsThere)
{
    const QString path = GetParam().stored(m_dir.path(), m_dictionary);
    storePath(path);
    auto form = open();
    if (GetParam().filled) {
        EXPECT_EQ(form->KEN_ALL->text(), path);
        EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(',').toStdString();
    } else {
        EXPECT_EQ(form->KEN_ALL->text(), QString());
        EXPECT_EQ(m_messages, QStringList{TZIPFIND::noDictionaryMessage()});
        // Searching then says the same.
        typeInto(form->ZIP, QStringLiteral("1000001"));
        click(form->BitBtn1);
        EXPECT_EQ(m_messages.size(), 2);
        EXPECT_EQ(m_messages.value(1), TZIPFIND::noDictionaryMessage());
        EXPECT_EQ(form->ListBox1->count(), 0);
    }
}

const OpeningCase kOpeningCases[] = {
    {"File", [](const QString &, const QString &d) { return d; }, true},
    {"NothingStored", [](const QString &, const QString &) { return QString(); }, false},
    {"Missing", [](const QString &dir, const QString &) { return dir + "/none.csv"; }, false},
    {"Folder", [](const QString &dir, const QString &) { return dir; }, false},
    {"LinkToAFile",
     [](const QString &dir, const QString &d) {
         QFile::link(d, dir + "/link.csv");
         return dir + "/link.csv";
     },
     true},
    {"LinkToNothing",
     [](const QString &dir, const QString &) {
         QFile::link(dir + "/gone.csv", dir + "/broken.csv");
         return dir + "/broken.csv";
     },
     false},
};

INSTANTIATE_TEST_SUITE_P(Stored, ZipFindOpening, ::testing::ValuesIn(kOpeningCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ZipFindTest, SettingsThatCannotBeReadCountAsNoDictionary)
{
    const QString folder = m_dir.file(QStringLiteral("settings-folder"));
    ASSERT_TRUE(QDir().mkdir(folder));
    useSettings(folder); // the key cannot be opened: "No Key"
    auto form = open();
    EXPECT_EQ(form->KEN_ALL->text(), QString());
    EXPECT_EQ(m_messages, QStringList{TZIPFIND::noDictionaryMessage()});
}

// The caller fills ZIP, shows the window modally and reads the fields after the loop.
TEST_F(ZipFindTest, SearchPickAndOkGiveTheCodeAndAddressToTheCaller)
{
    TZIPFIND form;
    postal::ZIPFIND = &form;
    form.ZIP->setText(QStringLiteral("1000001"));
    QTimer::singleShot(50, &form, [&] {
        click(form.BitBtn1);
        EXPECT_EQ(items(form), QStringList{QStringLiteral("1000001 東京都千代田区千代田")});
        EXPECT_EQ(form.Label1->text(), QStringLiteral("検索件数= 1"));
        EXPECT_TRUE(form.ListBox1->hasFocus());
        clickItem(form.ListBox1, 0);
        click(form.BitBtn3);
    });
    ASSERT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.fZIP, QStringLiteral("1000001"));
    EXPECT_EQ(form.fADDR, QStringLiteral("東京都千代田区千代田"));
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
}

TEST_F(ZipFindTest, AnAddressFragmentListsEveryTownAreaAndEachSearchStartsAfresh)
{
    auto form = open(QStringLiteral("東京都千代田区丸の内"));
    click(form->BitBtn1);
    EXPECT_EQ(items(*form),
              QStringList({QStringLiteral("1000005 東京都千代田区丸の内（１～３丁目）"),
                           QStringLiteral("1006690 東京都千代田区丸の内ＪＰタワー（地階）")}));
    EXPECT_EQ(form->Label1->text(), QStringLiteral("検索件数= 2"));
    typeInto(form->ZIP, QStringLiteral("北海道札幌"));
    click(form->BitBtn1);
    EXPECT_EQ(items(*form), QStringList{QStringLiteral("0600001 北海道札幌市中央区北一条西")});
    typeInto(form->ZIP, QStringLiteral("100-0001")); // the file has no hyphens
    click(form->BitBtn1);
    EXPECT_TRUE(items(*form).isEmpty());
    expectSearchEnded(*form);
}

TEST_F(ZipFindTest, OkWithoutAChoiceSaysSoAndStaysOpen)
{
    auto form = open(QStringLiteral("東京都"));
    click(form->BitBtn1);
    ASSERT_EQ(form->ListBox1->count(), 3);
    click(form->BitBtn3);
    EXPECT_EQ(m_messages, QStringList{TZIPFIND::noSelectionMessage()});
    EXPECT_TRUE(form->isVisible());
    EXPECT_NE(form->result(), QDialog::Accepted);
    EXPECT_EQ(form->fZIP, QString());
    // Still usable: a choice now closes it.
    clickItem(form->ListBox1, 1);
    click(form->BitBtn3);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(form->fZIP, QStringLiteral("1000005"));
}

TEST_F(ZipFindTest, CancelEscAndTheCloseBoxGiveTheCancelResult)
{
    const std::function<void(TZIPFIND &)> ways[] = {
        [](TZIPFIND &f) { click(f.BitBtn4); },
        [](TZIPFIND &f) { QTest::keyClick(f.ListBox1, Qt::Key_Escape); },
        [](TZIPFIND &f) { f.close(); },
    };
    for (const auto &way : ways) {
        TZIPFIND form;
        form.ZIP->setText(QStringLiteral("1000001"));
        QTimer::singleShot(50, &form, [&] {
            click(form.BitBtn1);
            clickItem(form.ListBox1, 0); // chosen, yet not taken
            way(form);
        });
        EXPECT_EQ(form.exec(), QDialog::Rejected);
        EXPECT_EQ(form.fZIP, QString());
        EXPECT_EQ(form.fADDR, QString());
    }
}

TEST_F(ZipFindTest, AnEmptySearchBoxDoesNothing)
{
    auto form = open(QStringLiteral("千代田"));
    click(form->BitBtn1);
    ASSERT_EQ(form->ListBox1->count(), 3);
    typeInto(form->ZIP, QString());
    QFile::remove(m_dictionary); // would be an error if it were searched
    click(form->BitBtn1);
    EXPECT_EQ(form->ListBox1->count(), 3);
    EXPECT_EQ(form->Label1->text(), QStringLiteral("検索件数= 3"));
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_TRUE(testsupport::reportedErrors().isEmpty());
}

TEST_F(ZipFindTest, DuringASearchTheCursorWaitsAndTheWindowTakesNoInput)
{
    auto form = open(QStringLiteral("1000001"));
    bool waiting = false, disabled = false;
    QTimer::singleShot(0, form.get(), [&] {
        waiting = QApplication::overrideCursor() &&
                  QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        disabled = !form->isEnabled();
    });
    click(form->BitBtn1);
    EXPECT_TRUE(waiting);
    EXPECT_TRUE(disabled);
    expectSearchEnded(*form);
}

TEST_F(ZipFindTest, AFileThatCannotBeOpenedKeepsTheListAndRestoresTheWindow)
{
    auto form = open(QStringLiteral("千代田"));
    click(form->BitBtn1);
    ASSERT_EQ(form->ListBox1->count(), 3);
    const QString missing = m_dir.file(QStringLiteral("typed.csv"));
    typeInto(form->KEN_ALL, missing);
    click(form->BitBtn1);
    EXPECT_EQ(testsupport::reportedErrors(), QStringList{postal::fileOpenError(missing)});
    EXPECT_EQ(form->ListBox1->count(), 3);
    expectSearchEnded(*form);
}

TEST_F(ZipFindTest, AMatchingLineWithoutAnAddressEndsTheSearchKeepingWhatCameBefore)
{
    writeDictionary({kenAllLine(QStringLiteral("1000001"), QStringLiteral("東京都"),
                                QStringLiteral("千代田区"), QStringLiteral("千代田")),
                     QStringLiteral("13101,\"100\",\"1000002\",\"東京都\""),
                     kenAllLine(QStringLiteral("1000003"), QStringLiteral("東京都"),
                                QStringLiteral("千代田区"), QStringLiteral("一ツ橋"))});
    auto form = open(QStringLiteral("東京都"));
    click(form->BitBtn1);
    EXPECT_EQ(items(*form), QStringList{QStringLiteral("1000001 東京都千代田区千代田")});
    EXPECT_EQ(testsupport::reportedErrors(), QStringList{postal::tooFewFieldsError(2, 4)});
    expectSearchEnded(*form);
}

// The code and address come from their fields, not from fixed places of the item's text.
TEST_F(ZipFindTest, ACodeOfAnotherLengthDoesNotShiftTheAddress)
{
    writeDictionary({kenAllLine(QStringLiteral("10001"), QStringLiteral("東京都"),
                                QStringLiteral("千代田区"), QStringLiteral("千代田")),
                     kenAllLine(QStringLiteral("1000005"), QStringLiteral("東京都"),
                                QStringLiteral("千代田区"), QString(120, u'町'))});
    const struct
    {
        int row;
        const char16_t *zip;
        QString address;
    } cases[] = {
        {0, u"10001", QStringLiteral("東京都千代田区千代田")},
        {1, u"1000005", QStringLiteral("東京都千代田区") + QString(93, u'町')}, // 100 characters
    };
    for (const auto &c : cases) {
        auto form = open(QStringLiteral("東京都"));
        click(form->BitBtn1);
        clickItem(form->ListBox1, c.row);
        click(form->BitBtn3);
        EXPECT_EQ(form->result(), QDialog::Accepted);
        EXPECT_EQ(form->fZIP, QString::fromUtf16(c.zip));
        EXPECT_EQ(form->fADDR, c.address);
    }
}

TEST_F(ZipFindTest, ChoosingTheDictionaryAndSavingIt)
{
    const QString other = m_dir.file(QStringLiteral("other.csv"));
    writeDictionary({kenAllLine(QStringLiteral("9071801"), QStringLiteral("沖縄県"),
                                QStringLiteral("八重山郡与那国町"), QStringLiteral("与那国"))},
                    other);
    auto form = open(QStringLiteral("与那国"));
    QString shownFolder;
    QStringList listed;
    whenModal<QFileDialog>([&](QFileDialog *d) {
        shownFolder = d->directory().absolutePath();
        listed = namesShown(d);
        whenModal<QMessageBox>([](QMessageBox *box) {
            EXPECT_EQ(box->text(), TZIPFIND::saveQuestion());
            answer(box, QStringLiteral("はい"));
        });
        chooseFile(d, other);
    });
    click(form->BitBtn2);
    EXPECT_EQ(shownFolder, QDir(m_dir.path()).absolutePath()); // where the current one lies
    // 郵便番号辞書 shows the .csv files, whatever the case of their names.
    listed.sort();
    EXPECT_EQ(listed, QStringList({QStringLiteral("KEN_ALL.CSV"), QStringLiteral("other.csv")}));
    EXPECT_EQ(form->KEN_ALL->text(), other);
    EXPECT_EQ(stored(), other);
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("設定を保存しました")});
    click(form->BitBtn1);
    EXPECT_EQ(items(*form), QStringList{QStringLiteral("9071801 沖縄県八重山郡与那国町与那国")});
}

// いいえ: the path serves this opening only, also after the window is activated again.
TEST_F(ZipFindTest, ADictionaryChosenWithoutSavingServesThisOpeningOnly)
{
    const QString other = m_dir.file(QStringLiteral("other.csv"));
    writeDictionary({kenAllLine(QStringLiteral("9071801"), QStringLiteral("沖縄県"),
                                QStringLiteral("八重山郡与那国町"), QStringLiteral("与那国"))},
                    other);
    auto form = open(QStringLiteral("与那国"));
    whenModal<QFileDialog>([&](QFileDialog *d) {
        whenModal<QMessageBox>([](QMessageBox *box) { answer(box, QStringLiteral("いいえ")); });
        chooseFile(d, other);
    });
    click(form->BitBtn2);
    EXPECT_EQ(form->KEN_ALL->text(), other);
    EXPECT_EQ(stored(), m_dictionary);
    EXPECT_TRUE(m_messages.isEmpty());

    // Another window takes the focus and gives it back.
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    settle();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    settle();
    EXPECT_EQ(form->KEN_ALL->text(), other);
    click(form->BitBtn1);
    EXPECT_EQ(form->ListBox1->count(), 1);
    form.reset();

    auto next = open();
    EXPECT_EQ(next->KEN_ALL->text(), m_dictionary);
}

TEST_F(ZipFindTest, CancellingTheFileDialogChangesNothing)
{
    auto form = open();
    whenModal<QFileDialog>([](QFileDialog *d) { d->reject(); });
    click(form->BitBtn2);
    EXPECT_EQ(form->KEN_ALL->text(), m_dictionary);
    EXPECT_EQ(stored(), m_dictionary);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(ZipFindTest, SettingsThatCannotBeWrittenAreReported)
{
    auto form = open();
    const QString folder = m_dir.file(QStringLiteral("settings-folder"));
    ASSERT_TRUE(QDir().mkdir(folder));
    useSettings(folder);
    whenModal<QFileDialog>([&](QFileDialog *d) {
        whenModal<QMessageBox>([](QMessageBox *box) { answer(box, QStringLiteral("はい")); });
        chooseFile(d, m_dictionary);
    });
    click(form->BitBtn2);
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("設定を保存出来ませんでした！")});
    EXPECT_EQ(form->KEN_ALL->text(), m_dictionary);
}

// The keyboard alone: Return on a button presses it, Return in the search box searches, and
// Return on a result (or a double click) confirms it as 決定 does.
TEST_F(ZipFindTest, ReturnSearchesAndConfirmsAsTheButtonsDo)
{
    auto form = open(QStringLiteral("1000001"));
    ASSERT_EQ(QApplication::focusWidget(), form->BitBtn1);
    QTest::keyClick(form->BitBtn1, Qt::Key_Return);
    settle();
    EXPECT_EQ(form->ListBox1->count(), 1);
    form->ListBox1->clear();
    form->ZIP->setFocus();
    QTest::keyClick(form->ZIP, Qt::Key_Return);
    settle();
    ASSERT_EQ(form->ListBox1->count(), 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(m_messages.isEmpty());
    form->KEN_ALL->setFocus();
    QTest::keyClick(form->KEN_ALL, Qt::Key_Return); // nothing in the dictionary box
    settle();
    EXPECT_TRUE(form->isVisible());

    form->ListBox1->setFocus();
    form->ListBox1->setCurrentRow(0);
    QTest::keyClick(form->ListBox1, Qt::Key_Return);
    settle();
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(form->fZIP, QStringLiteral("1000001"));

    auto again = open(QStringLiteral("1000001"));
    QTest::keyClick(again->BitBtn1, Qt::Key_Return);
    settle();
    ASSERT_EQ(again->ListBox1->count(), 1);
    const QRect item = again->ListBox1->visualItemRect(again->ListBox1->item(0));
    QTest::mouseClick(again->ListBox1->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(again->ListBox1->viewport(), Qt::LeftButton, {}, item.center());
    settle();
    EXPECT_EQ(again->result(), QDialog::Accepted);
    EXPECT_EQ(again->fZIP, QStringLiteral("1000001"));
}

// Bad dictionaries and a search of blanks end in a count or an error box, and the window
// stays usable.
TEST_F(ZipFindTest, BadDictionariesEndInACountOrAnError)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        const char *text;
    } cases[] = {
        {"garbage", QByteArray("\x00\xff\x81\n\x82\"\",,,,,,,,,,\xfc\xfc\n", 20), ","},
        {"cut", toCp932(kenAllLine("1000001", "東京都", "千代田区", "千代田")).left(60), "東京"},
        {"empty", QByteArray(), "1000001"},
        {"blank lines", QByteArray("\r\n\r\n   \r\n\t\r\n"), "1000001"},
        {"blanks searched", toCp932(kenAllLine("1000001", "東京都", "千代田区", "千代田")),
         "       "},
    };
    auto form = open();
    for (const auto &c : cases) {
        testsupport::reportedErrors().clear();
        writeBytes(m_dictionary, c.bytes);
        typeInto(form->ZIP, QString::fromUtf8(c.text));
        click(form->BitBtn1);
        expectSearchEnded(*form);
        EXPECT_LE(testsupport::reportedErrors().size(), 1) << c.name;
    }
    // Still usable with a good dictionary.
    writeDictionary({kenAllLine(QStringLiteral("1000001"), QStringLiteral("東京都"),
                                QStringLiteral("千代田区"), QStringLiteral("千代田"))});
    typeInto(form->ZIP, QStringLiteral("1000001"));
    click(form->BitBtn1);
    EXPECT_EQ(form->ListBox1->count(), 1);
}

TEST_F(ZipFindTest, TheFullDictionaryFindsTokyoChiyoda)
{
    const QString full = unpackFullDictionary(m_dir.path());
    if (full.isEmpty())
        GTEST_SKIP() << "KEN_ALL.CSV.gz not found: set ZD_KEN_ALL to the packed dictionary";
    storePath(full);
    auto form = open(QStringLiteral("1000001"));
    click(form->BitBtn1);
    ASSERT_EQ(items(*form), QStringList{QStringLiteral("1000001 東京都千代田区千代田")});
    clickItem(form->ListBox1, 0);
    click(form->BitBtn3);
    EXPECT_EQ(form->fZIP, QStringLiteral("1000001"));
    EXPECT_EQ(form->fADDR, QStringLiteral("東京都千代田区千代田"));
}

} // namespace
