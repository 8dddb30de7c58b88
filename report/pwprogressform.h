#pragma once

#include <report/pwprinter.h>
#include <report/pwwindows.h>

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace report {

/// "Printing progress": a small window, always on top, showing how far a print has come,
/// with a Cancel button that stops it after the current sheet.
class TPWProgressForm : public QDialog, public PrinterClient, public ProgressWindow
{
    Q_OBJECT
public:
    TPWProgressForm(TPWReport *report, TPWPrinter *printer, QWidget *parent = nullptr);
    ~TPWProgressForm() override;

    QProgressBar *ProgressBar;
    QLabel *Info;
    QPushButton *CancelButton;

    // PrinterClient
    void pageAvailable(int) override {}
    void progressUpdate(int percent) override;
    QObject *clientObject() override { return this; }

private:
    void cancelClicked();

    TPWReport *m_report;
    QPointer<TPWPrinter> m_printer;
};

} // namespace report
