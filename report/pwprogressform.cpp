#include <report/pwprogressform.h>

#include <report/pwreport.h>

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace report {

TPWProgressForm::TPWProgressForm(TPWReport *report, TPWPrinter *printer, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint)
    , m_report(report)
    , m_printer(printer)
{
    setObjectName(QStringLiteral("PWProgressForm"));
    setWindowTitle(QStringLiteral("Printing progress"));
    setFixedSize(149, 97);
    // Nothing but Cancel takes input while a print goes on.
    setWindowModality(Qt::ApplicationModal);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar->setGeometry(16, 18, 114, 16);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    Info = new QLabel(this);
    Info->setObjectName(QStringLiteral("Info"));
    Info->setGeometry(0, 44, 145, 16);
    Info->setAlignment(Qt::AlignCenter);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(36, 68, 75, 25);
    connect(CancelButton, &QPushButton::clicked, this, &TPWProgressForm::cancelClicked);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (printer)
        printer->setClient(this);
    show();
    raise();
}

TPWProgressForm::~TPWProgressForm()
{
    if (m_printer && m_printer->client() == this)
        m_printer->setClient(nullptr);
}

void TPWProgressForm::progressUpdate(int percent)
{
    if (percent % 5 != 0)
        return;
    ProgressBar->setValue(std::clamp(percent, 0, 100));
    Info->setText(QString::number(percent) + QStringLiteral("% ") + QStringLiteral(" Completed"));
}

void TPWProgressForm::cancelClicked()
{
    if (m_report)
        m_report->Run.userCancelled = true;
    if (m_printer)
        m_printer->Cancel();
}

std::unique_ptr<ProgressWindow> makeProgressWindow(TPWReport *report, TPWPrinter &printer)
{
    return std::make_unique<TPWProgressForm>(report, &printer);
}

} // namespace report
