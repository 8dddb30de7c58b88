#pragma once

#include <report/printerdevice.h>

#include <QDialog>

class QComboBox;
class QPushButton;
class QRadioButton;

namespace printing {

/// The printer-setup dialog: printer, paper and orientation of a printer device, with the
/// driver's own page setup behind "プロパティ..." for a CUPS printer. OK keeps the choice for the
/// current printer; Cancel puts back what was there.
class PrinterSetupDialog : public QDialog
{
    Q_OBJECT
public:
    PrinterSetupDialog(report::PrinterDevice &printer, QWidget *parent = nullptr);

    QComboBox *cbPrinter;
    QComboBox *cbPaper;
    QRadioButton *rbPortrait;
    QRadioButton *rbLandscape;
    QPushButton *btProperties;
    QPushButton *btOK;
    QPushButton *btCancel;

public slots:
    void accept() override;
    void reject() override;

private:
    void printerChosen(int row);
    void fillPapers();
    void showProperties();

    report::PrinterDevice &m_printer;
    int m_originalIndex;
    report::DeviceSettings m_originalSettings;
};

} // namespace printing
