#include <slips/slipprint.h>

#include <printing/dlgfutoprint.h>
#include <printing/kokuyo.h>
#include <report/printerdevice.h>
#include <slips/denpyo.h>
#include <store/dmib.h>

#include <QLineEdit>

namespace slips {

printing::Issuer issuerFromSettings(const store::TDMIB *dm)
{
    if (!dm)
        return {};
    return {dm->mSYANAME, dm->mZIP,  dm->mADDR,  dm->mTEL,  dm->mFAX,
            dm->mADDR2,   dm->mTEL2, dm->mBANK1, dm->mBANK2};
}

bool printKokuyo(QWidget *owner, const printing::SlipTexts &slip)
{
    return printing::KokuyoSlip(slip, issuerFromSettings(store::DMIB))
        .print(report::sharedPrinter(), owner);
}

bool printEnvelope(QWidget *owner, const QString &caption, const printing::SlipTexts &slip)
{
    return printing::printEnvelope(owner, caption, slip, report::sharedPrinter());
}

std::optional<printing::SlipTexts> loadStoredSlip(int ANO)
{
    TDenpyo form;
    form.GetDenpyo(ANO);
    if (form.ANO->text().isEmpty())
        return std::nullopt;
    return form.printTexts();
}

} // namespace slips
