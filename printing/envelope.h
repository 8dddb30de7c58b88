#pragma once

#include <printing/layout.h>
#include <printing/sliptexts.h>

#include <stdexcept>

class QWidget;

namespace printing {

/// What the envelope options dialog returns, as its texts, and the join check box.
struct EnvelopeOptions
{
    QString FontSet = QStringLiteral("HG行書体");
    QString Keisyo = QStringLiteral("様");
    QString Biko;
    QString Name2;
    QString Topmg;
    QString LeftMg;
    bool join = true;
};

/// A margin text that is not a finite number within the paper.
class MarginError : public std::runtime_error
{
public:
    explicit MarginError(const QString &text);
};

/// A margin in millimetres from its text with the user's decimal separator; empty is 0.
/// Throws MarginError (with "'%s' は浮動小数点数ではありません") for anything that is not a
/// finite number.
double parseMargin(const QString &text);

/// The customer's postal code, address and name in vertical writing on a 長形4号 envelope,
/// one upright character per cell.
class Envelope
{
public:
    /// Margins are read (parseMargin) here, so a bad margin stops before anything else.
    Envelope(const SlipTexts &slip, const EnvelopeOptions &options);

    /// Every text of the page in printing order on a printable area of `page` dots.
    /// Throws MarginError when a margin moves the address off the printable area.
    QList<PrintItem> layout(QSize dpi, QSize page) const;

    /// SetPaper("長形4号"), the setup dialog, then one job of one page. False when the dialog
    /// or the file name was cancelled. Printer errors abort the job and are passed on.
    bool print(report::PrinterDevice &printer, QWidget *parent) const;

    static QString title() { return QStringLiteral("封筒"); }
    static QString paperName() { return QStringLiteral("長形4号"); }

private:
    SlipTexts m_slip;
    EnvelopeOptions m_options;
    double m_top = 0;
    double m_left = 0;
};

} // namespace printing
