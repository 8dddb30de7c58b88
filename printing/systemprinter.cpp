#include <printing/systemprinter.h>

#include <printing/setupdialog.h>

#include <report/paintercanvas.h>

#include <QFileDialog>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <ui/zdapplication.h>

#include <cmath>

namespace printing {

namespace {

constexpr int kUserPaper = report::PdfPrinter::kUserPaper;

// A paper code for a page size: its Windows code where it has one, codes of our own from 257
// up (by its place in the driver's list) otherwise.
int codeFor(const QPageSize &size, const QList<QPageSize> &list)
{
    if (const int id = size.windowsId(); id > 0 && id != kUserPaper)
        return id;
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].isEquivalentTo(size))
            return kUserPaper + 1 + int(i);
    return kUserPaper;
}

int tenths(double mm)
{
    return int(std::nearbyint(mm * 10));
}

QString askPdfFileName(QWidget *parent, const QString &title)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("PDFファイルに印刷"),
                                        title + QStringLiteral(".pdf"),
                                        QStringLiteral("PDF (*.pdf)"));
}

report::PrinterError printerError(const QString &text)
{
    return report::PrinterError(text.toStdString());
}

} // namespace

SystemPrinter::SystemPrinter()
    : m_names(QPrinterInfo::availablePrinterNames())
{
    m_pdf.setFileNameRequest([](const QString &title) { return askPdfFileName(nullptr, title); });
    openPrinter();
}

SystemPrinter::~SystemPrinter()
{
    if (printing())
        abortDoc();
}

void SystemPrinter::setFileNameRequest(report::PdfPrinter::FileNameRequest request)
{
    m_pdf.setFileNameRequest(std::move(request));
}

QString SystemPrinter::defaultSystemPrinter() const
{
    const QString name = QPrinterInfo::defaultPrinterName();
    if (m_names.contains(name))
        return name;
    return m_names.isEmpty() ? QString() : m_names.first();
}

bool SystemPrinter::isPdf() const
{
    if (m_index == -1)
        return m_names.isEmpty();
    return m_index >= m_names.size();
}

QStringList SystemPrinter::printers() const
{
    return m_names + QStringList{report::PdfPrinter::deviceName()};
}

void SystemPrinter::setPrinterIndex(int index)
{
    if (printing())
        return;
    if (index < -1 || index > m_names.size())
        index = -1;
    m_index = index;
    openPrinter();
}

QString SystemPrinter::printerName() const
{
    if (isPdf())
        return m_pdf.printerName();
    return m_index == -1 ? defaultSystemPrinter() : m_names[m_index];
}

void SystemPrinter::openPrinter()
{
    if (isPdf()) {
        m_printer.reset();
        return;
    }
    // A fresh QPrinter starts from the driver's defaults of that printer.
    m_printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(printerName()),
                                           QPrinter::HighResolution);
    m_printer->setFullPage(false);
}

bool SystemPrinter::offersCustomPaper() const
{
    return isPdf() ? m_pdf.offersCustomPaper() : QPrinterInfo(*m_printer).supportsCustomPageSizes();
}

bool SystemPrinter::setupDialog(QWidget *parent)
{
    // Said once: the user who prints into PDF files knows it after the first print.
    static bool told = false;
    if (m_names.isEmpty() && !told) {
        told = true;
        ui::showMessage(parent, QStringLiteral("プリンターがインストールされていません。"
                                               "PDFファイルに印刷できます。"));
    }
    PrinterSetupDialog dialog(*this, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool SystemPrinter::printDialog(QWidget *parent, report::PrintDialogChoice &choice)
{
    if (isPdf())
        return m_pdf.printDialog(parent, choice);
    QPrintDialog dialog(m_printer.get(), parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(choice.minPage, choice.maxPage);
    if (choice.fromPage > 0 || choice.toPage > 0)
        m_printer->setFromTo(choice.fromPage, choice.toPage);
    m_printer->setCopyCount(choice.copies);
    m_printer->setPageOrientation(choice.orientation == 2 ? QPageLayout::Landscape
                                                          : QPageLayout::Portrait);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // The dialog may have switched to another printer.
    const int chosen = int(m_names.indexOf(m_printer->printerName()));
    m_index = chosen;
    switch (m_printer->printRange()) {
    case QPrinter::PageRange:
        choice.range = report::PrintDialogChoice::PageRange;
        break;
    case QPrinter::Selection:
        choice.range = report::PrintDialogChoice::Selection;
        break;
    default:
        choice.range = report::PrintDialogChoice::AllPages;
        break;
    }
    choice.fromPage = m_printer->fromPage();
    choice.toPage = m_printer->toPage();
    choice.copies = m_printer->copyCount();
    choice.orientation = m_printer->pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    choice.printerIndex = m_index;
    choice.settings = settings();
    return true;
}

report::DeviceSettings SystemPrinter::settings() const
{
    if (isPdf())
        return m_pdf.settings();
    report::DeviceSettings s;
    const QPageLayout layout = m_printer->pageLayout();
    const QPageSize size = layout.pageSize();
    const QSizeF mm = size.size(QPageSize::Millimeter);
    s.paperCode = codeFor(size, QPrinterInfo(*m_printer).supportedPageSizes());
    s.paperWidth = tenths(mm.width());
    s.paperLength = tenths(mm.height());
    s.orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
    s.copies = m_printer->copyCount();
    switch (m_printer->duplex()) {
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto:
        s.duplex = 2;
        break;
    case QPrinter::DuplexShortSide:
        s.duplex = 3;
        break;
    default:
        s.duplex = 1;
        break;
    }
    s.collate = m_printer->collateCopies() ? 1 : 0;
    s.color = m_printer->colorMode() == QPrinter::Color ? 2 : 1;
    s.printQuality = m_printer->resolution();
    return s;
}

void SystemPrinter::applySettings(const report::DeviceSettings &s)
{
    if (isPdf()) {
        m_pdf.applySettings(s);
        return;
    }
    const QList<QPageSize> sizes = QPrinterInfo(*m_printer).supportedPageSizes();
    if (s.paperCode && *s.paperCode != kUserPaper) {
        for (const QPageSize &size : sizes) {
            if (codeFor(size, sizes) == *s.paperCode) {
                m_printer->setPageSize(size);
                break;
            }
        }
    } else if (s.paperCode && s.paperWidth && s.paperLength && *s.paperWidth > 0 &&
               *s.paperLength > 0 && offersCustomPaper()) {
        m_printer->setPageSize(
            QPageSize(QSizeF(*s.paperWidth / 10.0, *s.paperLength / 10.0), QPageSize::Millimeter));
    }
    if (s.orientation)
        m_printer->setPageOrientation(*s.orientation == 2 ? QPageLayout::Landscape
                                                          : QPageLayout::Portrait);
    if (s.copies && *s.copies > 0)
        m_printer->setCopyCount(*s.copies);
    if (s.duplex)
        m_printer->setDuplex(*s.duplex == 2   ? QPrinter::DuplexLongSide
                             : *s.duplex == 3 ? QPrinter::DuplexShortSide
                                              : QPrinter::DuplexNone);
    if (s.collate)
        m_printer->setCollateCopies(*s.collate != 0);
    if (s.color)
        m_printer->setColorMode(*s.color == 2 ? QPrinter::Color : QPrinter::GrayScale);
}

void SystemPrinter::resetToDefaults()
{
    if (isPdf())
        m_pdf.resetToDefaults();
    else if (!printing())
        openPrinter();
}

QList<report::DevicePaper> SystemPrinter::papers() const
{
    if (isPdf())
        return m_pdf.papers();
    QList<report::DevicePaper> out;
    const QList<QPageSize> sizes = QPrinterInfo(*m_printer).supportedPageSizes();
    for (const QPageSize &size : sizes)
        out.append({codeFor(size, sizes), size.name(), size.size(QPageSize::Millimeter)});
    return out;
}

QSize SystemPrinter::dotsPerInch() const
{
    if (isPdf())
        return m_pdf.dotsPerInch();
    return {m_printer->logicalDpiX(), m_printer->logicalDpiY()};
}

QPoint SystemPrinter::physicalOffset() const
{
    if (isPdf())
        return m_pdf.physicalOffset();
    const QPageLayout layout = m_printer->pageLayout();
    return layout.paintRectPixels(m_printer->resolution()).topLeft();
}

QSize SystemPrinter::paperDots() const
{
    if (isPdf())
        return m_pdf.paperDots();
    return m_printer->pageLayout().fullRectPixels(m_printer->resolution()).size();
}

QSize SystemPrinter::pageDots() const
{
    if (isPdf())
        return m_pdf.pageDots();
    return m_printer->pageLayout().paintRectPixels(m_printer->resolution()).size();
}

void SystemPrinter::beginDoc(const QString &title)
{
    if (isPdf()) {
        m_pdf.beginDoc(title);
        return;
    }
    if (printing())
        throw report::PrinterError("前の印刷がまだ終わっていません");
    m_printer->setDocName(title);
    if (!m_printer->isValid() || !m_painter.begin(m_printer.get()))
        throw printerError(
            QStringLiteral("プリンター「%1」で印刷を始められません").arg(printerName()));
    m_canvas = std::make_unique<report::PainterCanvas>(&m_painter, dotsPerInch());
}

void SystemPrinter::newPage()
{
    if (isPdf()) {
        m_pdf.newPage();
        return;
    }
    if (printing() && (!m_printer->newPage() || m_printer->printerState() == QPrinter::Error))
        throw printerError(
            QStringLiteral("プリンター「%1」で次のページに進めません").arg(printerName()));
}

void SystemPrinter::endDoc()
{
    if (isPdf()) {
        m_pdf.endDoc();
        return;
    }
    if (!printing())
        return;
    m_canvas.reset();
    const bool ended = m_painter.end();
    if (!ended || m_printer->printerState() == QPrinter::Error ||
        m_printer->printerState() == QPrinter::Aborted)
        throw printerError(
            QStringLiteral("プリンター「%1」に印刷を渡せませんでした").arg(printerName()));
}

void SystemPrinter::abortDoc()
{
    if (isPdf()) {
        m_pdf.abortDoc();
        return;
    }
    if (!printing())
        return;
    m_canvas.reset();
    // Abort first: the pages drawn so far are dropped, not sent when the painter ends.
    m_printer->abort();
    if (m_painter.isActive())
        m_painter.end();
}

bool SystemPrinter::printing() const
{
    return isPdf() ? m_pdf.printing() : m_painter.isActive();
}

report::Canvas *SystemPrinter::canvas()
{
    if (isPdf())
        return m_pdf.canvas();
    return m_canvas.get();
}

void installSystemPrinter()
{
    report::setPrinterFactory([] { return std::make_unique<SystemPrinter>(); });
}

} // namespace printing
