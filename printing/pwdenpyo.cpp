#include <printing/pwdenpyo.h>

#include <report/definition.h>
#include <report/pwlabel.h>
#include <report/pwmessages.h>
#include <report/pwprinter.h>
#include <report/pwreport.h>
#include <ui/zdapplication.h>

#include <QDate>

namespace printing {

TPwDenpyo *PwDenpyo = nullptr;

namespace {

const QString DefinitionFile = QStringLiteral(":/printing/pwdenpyo.json");

void setCaption(report::TPWReport &r, const QString &name, const QString &text)
{
    if (auto *label = r.control<report::TPWLabel>(name))
        label->setCaption(text);
}

// The preview's messages and errors go to the application's own boxes.
void useStandardBoxes()
{
    report::setEngineMessageHandler(
        [](QWidget *parent, const QString &text) { ui::showMessage(parent, text); });
    report::setEngineErrorHandler(
        [](QWidget *, const QString &text) { ui::ZdApplication::reportError(text); });
}

} // namespace

TPwDenpyo::TPwDenpyo(QWidget *owner)
    : m_owner(owner)
{
    report::DefinitionHandlers handlers;
    handlers.labelPrint.insert(QStringLiteral("YMDPrint"),
                               [this](report::TPWLabel &l, QString &v) { YMDPrint(l, v); });
    m_report = report::loadDefinitionFile(DefinitionFile, handlers);
    PWReport1 = m_report.get();
}

TPwDenpyo::~TPwDenpyo() = default;

void TPwDenpyo::YMDPrint(report::TPWLabel &, QString &value)
{
    // Fixed places of the "yyyy/mm/dd" text: a blank date box prints its marks alone.
    value = value.mid(0, 4) + QStringLiteral("年 ") + value.mid(5, 2) + QStringLiteral("月 ") +
            value.mid(8, 2) + QStringLiteral("日");
}

void TPwDenpyo::fill(const SlipTexts &slip, const Issuer &issuer)
{
    report::TPWReport &r = *PWReport1;
    static const char *const remarks[] = {"PWLabel1",  "PWLabel3",  "PWLabel13", "PWLabel14",
                                          "PWLabel15", "PWLabel16", "PWLabel17"};
    for (int row = 0; row < 7; ++row) {
        const SlipLine &line = slip.lines.at(size_t(row));
        setCaption(r, QStringLiteral("HINMEI%1").arg(row + 1), line.hinmei);
        setCaption(r, QStringLiteral("PWLabel%1").arg(19 + row), line.suryo);
        setCaption(r, QStringLiteral("PWLabel%1").arg(26 + row), line.tanka);
        setCaption(r, QStringLiteral("PWLabel%1").arg(33 + row), line.kingaku);
        setCaption(r, QString::fromLatin1(remarks[row]), line.tekiyo);
    }
    setCaption(r, QStringLiteral("YMD"), slip.ymd);
    setCaption(r, QStringLiteral("TKCODE"), QString());
    setCaption(r, QStringLiteral("TKNAME"), slip.name + QStringLiteral("　様"));
    setCaption(r, QStringLiteral("SYANAME"), issuer.name);
    setCaption(r, QStringLiteral("ZIP"), issuer.zip);
    setCaption(r, QStringLiteral("ADDR"), issuer.addr);
    setCaption(r, QStringLiteral("TEL"), issuer.tel);
    setCaption(r, QStringLiteral("FAX"), issuer.fax);
    setCaption(r, QStringLiteral("TAITOL"), slip.kind);
    setCaption(r, QStringLiteral("SYOKEI"), slip.gokei);
    setCaption(r, QStringLiteral("TAX"), slip.tax);
    setCaption(r, QStringLiteral("GOUKEI"), slip.total);
    r.PreviewSaveName = a4SaveName(slip);
}

QString a4SaveName(const SlipTexts &slip)
{
    QStringList parts;
    QString kind = slip.kind;
    kind.remove(QLatin1Char(' '));
    kind.remove(QChar(0x3000));
    if (!kind.isEmpty())
        parts.append(kind);
    if (!slip.name.trimmed().isEmpty())
        parts.append(slip.name.trimmed());
    const QDate date = QDate::fromString(slip.ymd, QStringLiteral("yyyy/MM/dd"));
    if (date.isValid())
        parts.append(date.toString(QStringLiteral("yyyy-MM-dd")));
    return parts.join(QLatin1Char('_'));
}

void previewA4(QWidget *owner, const SlipTexts &slip, const Issuer &issuer)
{
    useStandardBoxes();
    // Released when the preview has closed, and when anything on the way fails.
    const auto form = std::make_unique<TPwDenpyo>(owner);
    PwDenpyo = form.get();
    struct Forget
    {
        ~Forget() { PwDenpyo = nullptr; }
    } forget;
    form->fill(slip, issuer);
    form->PWReport1->PreviewModal();
}

bool printA4(const SlipTexts &slip, const Issuer &issuer, report::PrinterDevice &printer)
{
    TPwDenpyo form;
    form.fill(slip, issuer);
    form.PWReport1->ShowProgress = false;
    return form.PWReport1->Print(&printer) == report::PrintResult::Printed;
}

} // namespace printing
