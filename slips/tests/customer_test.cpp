// The slip form's customer block with the windows it opens: the customer list, the record
// form and the postal-code lookup, each driven as a user would.
#include "slipfixture.h"

#include <customers/intokui.h>
#include <customers/litokui.h>
#include <postal/zipfind.h>
#include <store/query.h>
#include <testsupport/modal.h>
#include <testsupport/testmain.h>
#include <ui/dbgrid.h>
#include <ui/maskedit.h>
#include <ui/widgets.h>

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace slipstest;
using customers::TInTokui;
using customers::TLiTokui;
using postal::TZIPFIND;

namespace {

class CustomerFieldsTest : public SlipTest
{
protected:
    int insertTokui(const QMap<QString, QString> &values)
    {
        store::Database &db = m_dmib->IBDatabase1;
        store::Query q(db);
        QStringList params;
        for (const QString &n : values.keys())
            params << QLatin1Char(':') + n;
        q.sql().add(QStringLiteral("insert into TOKUI (%1) values (%2) returning ANO")
                        .arg(values.keys().join(QLatin1Char(',')), params.join(QLatin1Char(','))));
        for (auto it = values.begin(); it != values.end(); ++it)
            q.paramByName(it.key()).setAsString(it.value());
        if (!db.inTransaction())
            db.startTransaction();
        q.execSql();
        const int ano = int(q.fieldByName(QStringLiteral("ANO")).asInteger());
        q.close();
        db.commitRetaining();
        return ano;
    }

    int tokuiCount()
    {
        store::Query q(m_dmib->IBDatabase1);
        q.sql().add(QStringLiteral("select count(*) as N from TOKUI"));
        q.open();
        return int(q.fieldByName(QStringLiteral("N")).asInteger());
    }

    // A small dictionary in Japan Post's layout, UTF-8, stored as the dictionary setting.
    void useDictionary()
    {
        const QString path = m_dir.file(QStringLiteral("KEN_ALL.CSV"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("13101,\"100  \",\"1000001\",\"ﾄｳｷｮｳﾄ\",\"ﾁﾖﾀﾞｸ\",\"ﾁﾖﾀﾞ\",\"東京都\","
                "\"千代田区\",\"千代田\",0,0,0,0,0,0\r\n"
                "27128,\"540  \",\"5400002\",\"ｵｵｻｶﾌ\",\"ｵｵｻｶｼﾁｭｳｵｳｸ\",\"ｵｵｻｶｼﾞｮｳ\",\"大阪府\","
                "\"大阪市中央区\",\"大阪城\",0,0,0,0,0,0\r\n");
        f.close();
        m_dmib->WrRed(QStringLiteral("ZipFileName"), path);
    }

    // The date and rate a clerk typed before pressing a button; they must survive it.
    void typeDateAndRate(slips::TDenpyo &form)
    {
        typeInto(form.YMD, QStringLiteral("20240229"));
        typeInto(form.TXRITU, QStringLiteral("10"));
    }
    void expectDateAndRate(slips::TDenpyo &form)
    {
        // The window becomes active again when a window opened from it closes; on a desktop
        // with a window manager that happens for certain, so it happens here too.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&form, &activate);
        settle();
        EXPECT_EQ(form.YMD->maskedText(), QStringLiteral("2024/02/29"));
        EXPECT_EQ(form.TXRITU->text(), QStringLiteral("10"));
    }
};

TEST_F(CustomerFieldsTest, CustomerChosenInTheListEntersTheSlipOnOkOnly)
{
    insertTokui({{"TKNAME", "山田商店"}, {"TKZIP", "100-0001"}, {"TKTEL", "03-1111-2222"}});
    const int hanako = insertTokui({{"TKNAME", "山田花子"},
                                    {"TKZIP", "〒５４０－０００２"},
                                    {"TKADDR1", "大阪府大阪市中央区大阪城"},
                                    {"TKADDR2", "1-1"},
                                    {"TKTEL", "06-1234-5678"}});
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "キャンセル");
        auto form = openForm();
        typeDateAndRate(*form);
        typeInto(form->NAME1, QStringLiteral("手入力"));
        bool buttonsShown = false;
        testsupport::whenModalShows<TLiTokui>([&](TLiTokui *list) {
            buttonsShown = list->BitBtn4->isVisible() && list->BitBtn4->isEnabled() &&
                           list->BitBtn5->isVisible() && list->BitBtn5->isEnabled();
            list->LabeledEdit1->setText(QStringLiteral("山田"));
            QTest::mouseClick(list->BitBtn1, Qt::LeftButton); // 検索実行
            list->DBGrid1->setFocus();
            QTest::keyClick(list->DBGrid1, Qt::Key_Down); // the second match: 山田花子
            QTest::mouseClick(ok ? list->BitBtn4 : list->BitBtn5, Qt::LeftButton);
        });
        QTest::mouseClick(form->BitBtn7, Qt::LeftButton);
        settle();
        EXPECT_TRUE(buttonsShown);
        EXPECT_FALSE(m_dmib->QTokui.isOpen()) << "closed in every case";
        expectDateAndRate(*form);
        if (!ok) {
            EXPECT_EQ(form->NAME1->text(), QStringLiteral("手入力"));
            EXPECT_EQ(form->TKANO->text(), QString());
            continue;
        }
        EXPECT_EQ(form->TKANO->text(), QString::number(hanako));
        EXPECT_EQ(form->NAME1->text(), QStringLiteral("山田花子"));
        EXPECT_EQ(form->TEL->text(), QStringLiteral("06-1234-5678"));
        EXPECT_EQ(form->ZIP->maskedText(), QStringLiteral("540-0002")); // its digits in place
        EXPECT_EQ(form->ADDR1->text(), QStringLiteral("大阪府大阪市中央区大阪城"));
        EXPECT_EQ(form->ADDR2->text(), QStringLiteral("1-1"));
    }
}

TEST_F(CustomerFieldsTest, RegisteringShowsSimilarNamesOnlyWhenThereAreAny)
{
    insertTokui({{"TKNAME", "株式会社山田商店"}});
    const struct
    {
        const char *name;
        bool listFirst;
    } cases[] = {{"鈴木", false}, {"山田", true}, {"", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto form = openForm();
        typeDateAndRate(*form);
        form->NAME1->setText(QString::fromUtf8(c.name));
        form->ZIP->setMaskedText(QStringLiteral("100-0001"));
        form->ADDR1->setText(QStringLiteral("東京都千代田区"));
        form->ADDR2->setText(QStringLiteral("千代田1-1"));
        form->TEL->setText(QStringLiteral("03-1234-5678"));
        form->TKANO->setText(QStringLiteral("7"));
        bool listShown = false;
        QStringList filled;
        auto fillRecord = [&](TInTokui *record) {
            filled =
                QStringList{record->Edit1->text(), record->Edit3->text(), record->Edit5->text(),
                            record->Edit6->text(), record->Edit7->text(), record->Edit8->text()};
            QTest::mouseClick(record->BitBtn1, Qt::LeftButton); // 保存
            settle();
            record->reject();
        };
        if (c.listFirst) {
            testsupport::whenModalShows<TLiTokui>([&](TLiTokui *list) {
                listShown = !list->BitBtn4->isVisible() && !list->BitBtn5->isVisible() &&
                            list->DBGrid1->model()->rowCount() > 0;
                testsupport::whenModalShows<TInTokui>(fillRecord);
                list->reject();
            });
        } else {
            testsupport::whenModalShows<TInTokui>(fillRecord);
        }
        const int before = tokuiCount();
        QTest::mouseClick(form->BitBtn8, Qt::LeftButton);
        settle();
        EXPECT_EQ(listShown, c.listFirst);
        EXPECT_EQ(filled, (QStringList{QString(), QString::fromUtf8(c.name), "100-0001",
                                       "東京都千代田区", "千代田1-1", "03-1234-5678"}));
        EXPECT_EQ(tokuiCount(), before + 1) << "the record form saved a new customer";
        EXPECT_EQ(form->TKANO->text(), QStringLiteral("7")) << "the slip is not linked";
        expectDateAndRate(*form);
    }
}

TEST_F(CustomerFieldsTest, LookupFromThePostalCodeOrTheAddressFillsBothOnOk)
{
    useDictionary();
    const struct
    {
        QPushButton *slips::TDenpyo::*button;
        const char *zip;
        const char *addr1;
        const char *searchText;
        bool ok;
    } cases[] = {
        {&slips::TDenpyo::BitBtn1, "100-0001", "", "1000001", true},
        {&slips::TDenpyo::BitBtn1, "", "", "       ", false}, // seven blanks
        {&slips::TDenpyo::BitBtn2, "", "大阪城", "大阪城", true},
        {&slips::TDenpyo::BitBtn2, "123-4567", "大阪城", "大阪城", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.searchText);
        auto form = openForm();
        typeDateAndRate(*form);
        form->ZIP->setMaskedText(QString::fromUtf8(c.zip));
        form->ADDR1->setText(QString::fromUtf8(c.addr1));
        QString searchText;
        testsupport::whenModalShows<TZIPFIND>([&](TZIPFIND *lookup) {
            searchText = lookup->ZIP->text();
            if (!c.ok) {
                QTest::mouseClick(lookup->BitBtn4, Qt::LeftButton); // キャンセル
                return;
            }
            QTest::mouseClick(lookup->BitBtn1, Qt::LeftButton); // 検索開始
            lookup->ListBox1->setCurrentRow(0);
            QTest::mouseClick(lookup->BitBtn3, Qt::LeftButton); // 決定
        });
        QPushButton *button = (*form).*(c.button);
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
        EXPECT_EQ(searchText, QString::fromUtf8(c.searchText));
        expectDateAndRate(*form);
        if (!c.ok) {
            EXPECT_EQ(form->ZIP->maskedText(), QString::fromUtf8(*c.zip ? c.zip : "   -    "));
            EXPECT_EQ(form->ADDR1->text(), QString::fromUtf8(c.addr1));
            continue;
        }
        const bool fromCode = c.button == &slips::TDenpyo::BitBtn1;
        EXPECT_EQ(form->ZIP->maskedText(), fromCode ? "100-0001" : "540-0002");
        EXPECT_EQ(form->ADDR1->text(),
                  fromCode ? "東京都千代田区千代田" : "大阪府大阪市中央区大阪城");
        EXPECT_EQ(form->focusWidget(), form->ADDR2) << "the caret goes on to the block number";
    }
}

} // namespace
