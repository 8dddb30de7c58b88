#include <printing/setupdialog.h>

#include <printing/systemprinter.h>

#include <ui/handler.h>
#include <ui/widgets.h>

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace printing {

PrinterSetupDialog::PrinterSetupDialog(report::PrinterDevice &printer, QWidget *parent)
    : QDialog(parent)
    , m_printer(printer)
    , m_originalIndex(printer.printerIndex())
    , m_originalSettings(printer.settings())
{
    setObjectName(QStringLiteral("PrinterSetupDialog"));
    setWindowTitle(QStringLiteral("プリンターの設定"));
    setFont(ui::baseFont());

    cbPrinter = new QComboBox(this);
    cbPrinter->setObjectName(QStringLiteral("cbPrinter"));
    cbPaper = new QComboBox(this);
    cbPaper->setObjectName(QStringLiteral("cbPaper"));
    rbPortrait = new QRadioButton(QStringLiteral("縦"), this);
    rbPortrait->setObjectName(QStringLiteral("rbPortrait"));
    rbLandscape = new QRadioButton(QStringLiteral("横"), this);
    rbLandscape->setObjectName(QStringLiteral("rbLandscape"));
    btProperties = new QPushButton(QStringLiteral("プロパティ..."), this);
    btProperties->setObjectName(QStringLiteral("btProperties"));
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));

    auto *form = new QFormLayout;
    auto *printerRow = new QHBoxLayout;
    printerRow->addWidget(cbPrinter, 1);
    printerRow->addWidget(btProperties);
    form->addRow(QStringLiteral("プリンター名:"), printerRow);
    form->addRow(QStringLiteral("用紙サイズ:"), cbPaper);
    auto *orientation = new QHBoxLayout;
    orientation->addWidget(rbPortrait);
    orientation->addWidget(rbLandscape);
    orientation->addStretch();
    form->addRow(QStringLiteral("印刷の向き:"), orientation);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    const QStringList names = printer.printers();
    cbPrinter->addItems(names);
    const int current = printer.printerIndex();
    const int row = current >= 0 ? current : int(names.indexOf(printer.printerName()));
    cbPrinter->setCurrentIndex(std::max(0, row));
    fillPapers();

    connect(cbPrinter, &QComboBox::activated, this,
            ui::handler(this, &PrinterSetupDialog::printerChosen));
    connect(btProperties, &QPushButton::clicked, this,
            ui::handler([this](bool) { showProperties(); }));
    connect(btOK, &QPushButton::clicked, this, &PrinterSetupDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &PrinterSetupDialog::reject);
}

void PrinterSetupDialog::printerChosen(int row)
{
    if (row != m_printer.printerIndex())
        m_printer.setPrinterIndex(row);
    fillPapers();
}

void PrinterSetupDialog::fillPapers()
{
    const report::DeviceSettings s = m_printer.settings();
    cbPaper->clear();
    for (const report::DevicePaper &p : m_printer.papers())
        cbPaper->addItem(p.name, p.code);
    const int row = s.paperCode ? cbPaper->findData(*s.paperCode) : -1;
    cbPaper->setCurrentIndex(std::max(0, row));
    (s.orientation.value_or(1) == 2 ? rbLandscape : rbPortrait)->setChecked(true);
    auto *system = dynamic_cast<SystemPrinter *>(&m_printer);
    btProperties->setEnabled(system && system->qprinter());
}

void PrinterSetupDialog::showProperties()
{
    auto *system = dynamic_cast<SystemPrinter *>(&m_printer);
    if (!system || !system->qprinter())
        return;
    QPageSetupDialog dialog(system->qprinter(), this);
    if (dialog.exec() == QDialog::Accepted)
        fillPapers();
}

void PrinterSetupDialog::accept()
{
    ui::guarded([&] {
        if (cbPrinter->currentIndex() != m_printer.printerIndex())
            m_printer.setPrinterIndex(cbPrinter->currentIndex());
        report::DeviceSettings s;
        if (cbPaper->currentIndex() >= 0)
            s.paperCode = cbPaper->currentData().toInt();
        s.orientation = rbLandscape->isChecked() ? 2 : 1;
        m_printer.applySettings(s);
        QDialog::accept();
    });
}

void PrinterSetupDialog::reject()
{
    ui::guarded([&] {
        if (m_printer.printerIndex() != m_originalIndex) {
            m_printer.setPrinterIndex(m_originalIndex);
            m_printer.applySettings(m_originalSettings);
        }
        QDialog::reject();
    });
}

} // namespace printing
