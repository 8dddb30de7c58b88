#pragma once

#include <printing/layout.h>
#include <printing/sliptexts.h>

#include <QStringList>

class QWidget;

namespace printing {

/// The seven lines of the issuer block: name, address, telephone (with the fax), second
/// address, its telephone, two bank-account lines. A value that is not set gives an empty line.
QStringList issuerLines(const Issuer &issuer);

/// The slip printed onto the KOKUYO continuous preprinted form: only the variable texts, at
/// fixed places in hundredths of a millimetre from the printable area's corner.
class KokuyoSlip
{
public:
    KokuyoSlip(const SlipTexts &slip, const Issuer &issuer);

    /// Every text of the page in printing order, for a printer of this resolution and
    /// physical offset. Empty issuer lines are left out (their lines stay empty).
    QList<PrintItem> layout(QSize dpi, QPoint physicalOffset) const;

    /// The setup dialog, then one job of one page. False when the dialog or the file name
    /// was cancelled (nothing printed). Printer errors abort the job and are passed on.
    bool print(report::PrinterDevice &printer, QWidget *parent) const;

    /// The date as the form prints it: year, month and day from the fixed-width date text,
    /// eight spaces between them.
    static QString dateText(const QString &ymd);

    static QString title() { return QStringLiteral("ｺｸﾖ-ｳ334"); }

private:
    SlipTexts m_slip;
    Issuer m_issuer;
};

} // namespace printing
