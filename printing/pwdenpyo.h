#pragma once

#include <printing/sliptexts.h>

#include <QString>

#include <memory>

class QWidget;

namespace report {
class PrinterDevice;
class TPWLabel;
class TPWReport;
} // namespace report

namespace printing {

/// The A4 slip report's form: it holds the report PWReport1, a 210 x 148 mm page with the
/// document title, date, customer, the shop's details, seven item lines and the totals, and
/// is never shown itself. The report is read from its definition (pwdenpyo.json).
class TPwDenpyo
{
public:
    explicit TPwDenpyo(QWidget *owner = nullptr);
    ~TPwDenpyo();
    TPwDenpyo(const TPwDenpyo &) = delete;
    TPwDenpyo &operator=(const TPwDenpyo &) = delete;

    report::TPWReport *PWReport1 = nullptr;

    /// Sets the labels' captions from the slip as the form shows it and from the issuer.
    void fill(const SlipTexts &slip, const Issuer &issuer);
    /// The date label's OnPrint: "yyyy/mm/dd" prints as "yyyy年 mm月 dd日".
    void YMDPrint(report::TPWLabel &sender, QString &value);

    QWidget *owner() const { return m_owner; }

private:
    QWidget *m_owner;
    std::unique_ptr<report::TPWReport> m_report;
};

/// The report form while its preview is open.
extern TPwDenpyo *PwDenpyo;

/// The A4 button's work: the slip in the report preview, modally; the report form is released
/// when the preview closes, also after an error (which goes on to the caller).
void previewA4(QWidget *owner, const SlipTexts &slip, const Issuer &issuer);

/// The slip's A4 report printed through `printer` without any window, as the preview's Print
/// would make it (for the command line: a PDF printer). True when a page was printed.
bool printA4(const SlipTexts &slip, const Issuer &issuer, report::PrinterDevice &printer);

/// The file name the preview offers when saving the slip: its kind, customer and date.
QString a4SaveName(const SlipTexts &slip);

} // namespace printing
