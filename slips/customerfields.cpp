// The slip form's customer block: taking a customer from the register, registering the
// slip's customer, and the postal-code lookup in both directions.
#include <slips/denpyo.h>

#include <customers/intokui.h>
#include <customers/litokui.h>
#include <customers/tokuirecord.h>
#include <postal/zipfind.h>
#include <store/dmib.h>
#include <ui/maskedit.h>

#include <QLineEdit>
#include <QPushButton>

#include <stdexcept>

namespace slips {

namespace {

store::TDMIB &dataModule()
{
    if (!store::DMIB)
        throw std::runtime_error("no data module");
    return *store::DMIB;
}

// Runs a window modally and has it released once control returns to the event loop; its
// result and controls can still be read until then.
int showAndRelease(QDialog *form)
{
    const int result = form->exec();
    form->deleteLater();
    return result;
}

} // namespace

void TDenpyo::BitBtn7Click()
{
    store::TDMIB &dm = dataModule();
    struct CloseQuery
    {
        store::Query &q;
        ~CloseQuery() { q.close(); }
    } closeAfter{dm.QTokui}; // in every case, also when the list fails to open
    customers::LiTokui = new customers::TLiTokui(this);
    customers::TLiTokui *list = customers::LiTokui;
    for (QPushButton *b : {list->BitBtn4, list->BitBtn5}) {
        b->setVisible(true);
        b->setEnabled(true);
    }
    if (showAndRelease(list) != QDialog::Accepted)
        return;
    auto field = [&dm](const char *name) {
        return dm.QTokui.fieldByName(QString::fromLatin1(name)).asString();
    };
    const QString ano = field("ANO"), name = field("TKNAME"), tel = field("TKTEL"),
                  zip = field("TKZIP"), addr1 = field("TKADDR1"), addr2 = field("TKADDR2");
    TKANO->setText(ano);
    NAME1->setText(name);
    TEL->setText(tel);
    // A register code in another shape (seven plain digits, full-width, a leading 〒) enters
    // the masked box as its digits in the mask's places.
    ZIP->setMaskedText(customers::TokuiRecord::zipForMask(zip));
    ADDR1->setText(addr1);
    ADDR2->setText(addr2);
}

void TDenpyo::BitBtn8Click()
{
    store::TDMIB &dm = dataModule();
    // Similar names: every customer whose name contains the slip's (an empty name, all).
    auto GetTokui = [&dm](const QString &name) {
        store::Query &q = dm.QTokui;
        q.close();
        q.sql().clear();
        q.sql().add(QStringLiteral("select * from TOKUI"));
        q.sql().add(QStringLiteral("where TKNAME like :mTKNAME"));
        q.paramByName(QStringLiteral("mTKNAME"))
            .setAsString(QLatin1Char('%') + name + QLatin1Char('%'));
        q.open();
        return !q.eof() && !q.fieldByName(QStringLiteral("ANO")).isNull();
    };
    if (GetTokui(NAME1->text())) {
        customers::LiTokui = new customers::TLiTokui(this);
        showAndRelease(customers::LiTokui);
    }
    customers::InTokui = new customers::TInTokui(this);
    customers::TInTokui *form = customers::InTokui;
    form->Edit3->setText(NAME1->text());
    form->Edit5->setText(ZIP->maskedText());
    form->Edit6->setText(ADDR1->text());
    form->Edit7->setText(ADDR2->text());
    form->Edit8->setText(TEL->text());
    showAndRelease(form);
}

void TDenpyo::lookUpAddress(const QString &searchText)
{
    postal::ZIPFIND = new postal::TZIPFIND(this);
    postal::TZIPFIND *lookup = postal::ZIPFIND;
    lookup->ZIP->setText(searchText);
    if (showAndRelease(lookup) != QDialog::Accepted)
        return;
    const QString z = lookup->fZIP;
    ZIP->setMaskedText(z.left(3) + QLatin1Char('-') + z.mid(3, 4));
    ADDR1->setText(lookup->fADDR);
    ADDR2->setFocus(Qt::OtherFocusReason);
}

void TDenpyo::BitBtn1Click()
{
    // 123-4567 searches for 1234567; an empty code for seven blanks.
    const QString zip = ZIP->maskedText();
    lookUpAddress(zip.mid(0, 3) + zip.mid(4, 4));
}

void TDenpyo::BitBtn2Click()
{
    lookUpAddress(ADDR1->text());
}

} // namespace slips
