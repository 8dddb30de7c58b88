#include <slips/slipa4.h>

#include <slips/denpyo.h>
#include <slips/slipgrid.h>
#include <store/dmib.h>
#include <ui/maskedit.h>

#include <QComboBox>
#include <QLineEdit>

namespace slips {

printing::SlipTexts a4Texts(const TDenpyo &form)
{
    // A cell being typed into counts with what it shows.
    form.StringGrid1->commitEdit();
    printing::SlipTexts t;
    t.kind = form.ComboBox1->currentText();
    t.ymd = form.YMD->maskedText();
    t.name = form.NAME1->text();
    t.zip = form.ZIP->maskedText();
    t.addr1 = form.ADDR1->text();
    t.addr2 = form.ADDR2->text();
    t.tel = form.TEL->text();
    for (int r = 1; r < SlipGrid::kRows; ++r) {
        const SlipGrid &g = *form.StringGrid1;
        t.lines[size_t(r - 1)] = {g.cell(1, r), g.cell(2, r), g.cell(3, r), g.cell(4, r),
                                  g.cell(5, r)};
    }
    t.gokei = form.GOKEI->text();
    t.tax = form.TAX->text();
    t.total = form.TOTAL->text();
    return t;
}

printing::Issuer a4Issuer()
{
    const store::TDMIB *dm = store::DMIB;
    if (!dm)
        return {};
    printing::Issuer issuer;
    issuer.name = dm->mSYANAME;
    issuer.zip = dm->mZIP;
    issuer.addr = dm->mADDR;
    issuer.tel = dm->mTEL;
    issuer.fax = dm->mFAX;
    return issuer;
}

} // namespace slips
