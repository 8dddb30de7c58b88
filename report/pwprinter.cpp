#include <report/pwprinter.h>

#include <report/emfcanvas.h>
#include <report/emfpage.h>
#include <report/pwpagelist.h>
#include <report/pwreport.h>
#include <report/pwwindows.h>
#include <report/reporterror.h>

#include <QCoreApplication>
#include <QFileInfo>

#include <cmath>

namespace report {

namespace {

constexpr double ScreenFactor = double(ScreenPixelsPerInch) / 254.0;

// Device pixels per tenth of a millimetre for a resolution; a printer that reports less than
// 25.4 dots per inch (raw queues report 0) is taken as a screen, so that nothing divides by
// zero and controls still land on the page.
double factorFor(int dotsPerInch)
{
    const double factor = dotsPerInch / 254.0;
    return factor < 0.1 ? ScreenFactor : factor;
}

} // namespace

TPWPrinter::TPWPrinter(TPWReport *parentReport, std::unique_ptr<PrinterDevice> device)
    : m_parentReport(parentReport)
    , m_ownDevice(std::move(device))
    , m_pages(std::make_unique<TPWPageList>())
{
    if (!m_ownDevice) {
        if (parentReport && parentReport->PrinterSettings().UseStandardprinter)
            m_device = &sharedPrinter();
        else
            m_ownDevice = makePrinter();
    }
    if (m_ownDevice)
        m_device = m_ownDevice.get();
    if (parentReport) {
        const int index = parentReport->PrinterSettings().PrinterIndex;
        if (index != m_device->printerIndex())
            m_device->setPrinterIndex(index);
    }
    m_settings.readFrom(*m_device);
}

TPWPrinter::TPWPrinter(TPWReport *parentReport, PrinterDevice &device)
    : m_parentReport(parentReport)
    , m_device(&device)
    , m_pages(std::make_unique<TPWPageList>())
{
    m_settings.readFrom(device);
}

TPWPrinter::~TPWPrinter()
{
    // A job still open when the object goes is nothing anyone asked to print.
    if (m_jobBegun) {
        try {
            m_device->abortDoc();
        } catch (...) {
        }
    }
}

int TPWPrinter::PageCount() const
{
    return m_pageCount;
}

bool TPWPrinter::PrinterOK() const
{
    return !m_device->printers().isEmpty();
}

void TPWPrinter::setPrinterIndex(int index)
{
    m_device->setPrinterIndex(index);
    m_settings.readFrom(*m_device);
}

void TPWPrinter::setClient(PrinterClient *client)
{
    m_client = client;
    m_clientObject = client ? client->clientObject() : nullptr;
}

void TPWPrinter::post(int availablePages)
{
    if (!m_client || !m_clientObject)
        return;
    PrinterClient *client = m_client;
    // Queued to the client object: dropped if the client is gone by then.
    QMetaObject::invokeMethod(
        m_clientObject.data(), [client, availablePages] { client->pageAvailable(availablePages); },
        Qt::QueuedConnection);
}

void TPWPrinter::postProgress(int percent)
{
    if (!m_client || !m_clientObject)
        return;
    PrinterClient *client = m_client;
    QMetaObject::invokeMethod(
        m_clientObject.data(), [client, percent] { client->progressUpdate(percent); },
        Qt::QueuedConnection);
}

void TPWPrinter::takeReportSettings(const TPWReport &report)
{
    const TPWReportPrinterSettings &r = report.PrinterSettings();
    if (r.PrinterIndex != m_device->printerIndex())
        setPrinterIndex(r.PrinterIndex);
    m_settings.takeFrom(report);
    FirstPage = r.FirstPage;
    LastPage = r.LastPage;
    PrintMetaFile = r.PrintMetaFile;
}

QSize TPWPrinter::pagePixels() const
{
    return QSize(roundEven(paperWidth() * ScreenFactor), roundEven(paperLength() * ScreenFactor));
}

bool TPWPrinter::inRange(int page) const
{
    return (FirstPage < 1 || page >= FirstPage) && (LastPage < 1 || page <= LastPage);
}

void TPWPrinter::readFactors()
{
    const QSize dpi = m_device->dotsPerInch();
    XFactor = factorFor(dpi.width());
    YFactor = factorFor(dpi.height());
}

void TPWPrinter::BeginDoc()
{
    if (m_status != TPWPrinterStatus::mpReady)
        throw ReportError(QStringLiteral("PWPrinter not ready"));
    m_cancelled = false;
    m_availablePages = 0;
    m_pageInHand = false;
    m_recording.reset();
    const bool toPrinter = Destination == TPWDestination::pwdPrinter;
    if (toPrinter) {
        m_settings.applyTo(*m_device);
        // The offsets follow the paper just handed to the driver.
        const QSize dpi = m_device->dotsPerInch();
        const QPoint offset = m_device->physicalOffset();
        const double px = dpi.width() > 0 ? dpi.width() : ScreenPixelsPerInch;
        const double py = dpi.height() > 0 ? dpi.height() : ScreenPixelsPerInch;
        m_settings.LeftOffset = roundEven(offset.x() / px * 254.0);
        m_settings.TopOffset = roundEven(offset.y() / py * 254.0);
    }
    LeftWaste = toPrinter ? m_settings.LeftOffset : 0;
    TopWaste = toPrinter ? m_settings.TopOffset : 0;
    m_pageNumber = 0;
    m_pageCount = 0;
    m_status = TPWPrinterStatus::mpBusy;
    if (toPrinter) {
        readFactors();
    } else {
        const bool compressed = m_pages->Compression();
        m_pages = std::make_unique<TPWPageList>(m_settings.MemoryLimit);
        m_pages->setCompression(compressed);
        XFactor = YFactor = ScreenFactor;
    }
}

void TPWPrinter::setCompression(bool on)
{
    m_pages->setCompression(on);
}

void TPWPrinter::closePage(bool advance)
{
    if (!m_pageInHand)
        return;
    m_pageInHand = false;
    if (Destination == TPWDestination::pwdMetafile) {
        const std::unique_ptr<EmfCanvas> page = std::move(m_recording);
        m_pages->AddPage(page->page());
    } else if (m_pageInRange) {
        if (advance && m_pageNumber != LastPage)
            m_device->newPage();
    } else {
        m_recording.reset(); // a page outside the range only ran its handlers
    }
    ++m_availablePages;
    post(m_availablePages);
}

void TPWPrinter::NewPage()
{
    if (m_status != TPWPrinterStatus::mpBusy)
        throw ReportError(QStringLiteral("Illegal call to NewPage"));
    closePage(true);
    ++m_pageCount;
    ++m_pageNumber;
    if (Destination == TPWDestination::pwdMetafile) {
        XFactor = YFactor = ScreenFactor;
        m_recording = std::make_unique<EmfCanvas>(pagePixels());
        m_pageInRange = true;
    } else if (inRange(m_pageCount)) {
        if (!m_jobBegun) {
            m_device->beginDoc(Title);
            m_jobBegun = true;
        }
        readFactors();
        m_recording.reset();
        m_pageInRange = true;
    } else {
        readFactors();
        const QSize dpi(roundEven(XFactor * 254.0), roundEven(YFactor * 254.0));
        m_recording = std::make_unique<EmfCanvas>(
            QSize(XSize(paperWidth()), YSize(paperLength())).expandedTo(QSize(1, 1)), dpi);
        m_pageInRange = false;
    }
    m_pageInHand = true;
}

Canvas *TPWPrinter::canvas()
{
    if (!m_pageInHand)
        return nullptr;
    if (m_recording)
        return m_recording.get();
    return m_device->printing() ? m_device->canvas() : nullptr;
}

void TPWPrinter::EndDoc()
{
    if (m_status != TPWPrinterStatus::mpBusy)
        return;
    m_status = TPWPrinterStatus::mpFinished;
    try {
        closePage(false);
        if (m_jobBegun) {
            m_jobBegun = false;
            m_device->endDoc();
        }
    } catch (...) {
        // A job that could not be finished is not handed on half-made.
        if (Destination == TPWDestination::pwdPrinter)
            m_device->abortDoc();
        throw;
    }
    // The client hears of the last page before the call returns.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (Destination == TPWDestination::pwdMetafile)
        m_pages->Finish();
    else if (AfterPrint)
        AfterPrint(*this);
}

void TPWPrinter::AbortDoc()
{
    if (m_status != TPWPrinterStatus::mpBusy)
        return;
    m_status = TPWPrinterStatus::mpFinished;
    if (Destination == TPWDestination::pwdPrinter) {
        m_recording.reset();
        m_pageInHand = false;
        if (m_jobBegun) {
            m_jobBegun = false;
            m_device->abortDoc();
        }
    } else {
        closePage(false);
        m_pages->Finish();
    }
}

std::unique_ptr<EmfPage> TPWPrinter::GetPage(int n)
{
    if (n < 1 || n > m_pages->PageCount())
        return nullptr;
    return m_pages->GetPage(n);
}

PrintResult TPWPrinter::Print()
{
    if (m_status == TPWPrinterStatus::mpFinished && m_master && !m_completeReport &&
        !PrintMetaFile) {
        TPWReport *master = m_master;
        QMetaObject::invokeMethod(
            this, [master] { master->Print(); }, Qt::QueuedConnection);
        return PrintResult::Delegated;
    }
    if (m_status != TPWPrinterStatus::mpFinished)
        return PrintResult::NotReady;
    if (!PrinterOK())
        return PrintResult::NoPrinter;

    // A range left from another report may lie beyond the pages there are.
    const int count = m_pages->PageCount();
    const int first = std::max(FirstPage, 1);
    const int last = LastPage < 1 ? count : std::min(LastPage, count);
    if (first > last)
        return PrintResult::NothingToPrint;

    m_settings.Title = Title;
    if (m_device->printing())
        m_device->abortDoc();
    m_settings.applyTo(*m_device);

    PrinterClient *const previousClient = m_client;
    std::unique_ptr<ProgressWindow> progressWindow;
    if (m_parentReport && m_parentReport->ShowProgress)
        progressWindow = makeProgressWindow(m_parentReport, *this);
    const auto restoreClient = [&] {
        progressWindow.reset();
        setClient(previousClient);
    };
    m_cancelled = false;
    try {
        const QSize dpi = m_device->dotsPerInch();
        const double px = dpi.width() > 0 ? dpi.width() : ScreenPixelsPerInch;
        const double py = dpi.height() > 0 ? dpi.height() : ScreenPixelsPerInch;
        const QPoint offset = m_device->physicalOffset();
        const double leftOffset = offset.x() / px * 254.0;
        const double topOffset = offset.y() / py * 254.0;
        QRect target(QPoint(0, 0), m_device->pageDots());
        if (m_parentReport) {
            const TPWPage &page = m_parentReport->Page();
            const double w = page.nativeValue(TPWPage::WidthIndex);
            const double l = page.nativeValue(TPWPage::LengthIndex);
            target = QRect(
                QPoint(-roundEven(leftOffset * px / 254.0), -roundEven(topOffset * py / 254.0)),
                QPoint(roundEven((w - leftOffset) * px / 254.0) - 1,
                       roundEven((l - topOffset) * py / 254.0) - 1));
        }

        m_device->beginDoc(Title);
        m_jobBegun = true;
        const int pages = last - first + 1;
        for (int n = first; n <= last; ++n) {
            if (n > first)
                m_device->newPage();
            const std::unique_ptr<EmfPage> page = GetPage(n);
            if (page && m_device->canvas())
                m_device->canvas()->stretchDraw(target, *page);
            postProgress(roundEven((n - first + 1) * 100.0 / pages));
            // The progress window shows the figure, and its Cancel button may be pressed; it
            // is modal, so nothing else takes input meanwhile.
            QCoreApplication::processEvents(progressWindow ? QEventLoop::AllEvents
                                                           : QEventLoop::ExcludeUserInputEvents);
            if (m_cancelled) {
                m_jobBegun = false;
                m_device->abortDoc();
                restoreClient();
                return PrintResult::Cancelled;
            }
        }
        m_jobBegun = false;
        m_device->endDoc();
    } catch (...) {
        if (m_jobBegun) {
            m_jobBegun = false;
            m_device->abortDoc();
        }
        restoreClient();
        throw;
    }
    restoreClient();
    if (m_parentReport && m_parentReport->AfterPrint)
        m_parentReport->AfterPrint(*m_parentReport);
    return PrintResult::Printed;
}

void TPWPrinter::Save(const QString &fileName)
{
    if (m_status != TPWPrinterStatus::mpFinished)
        throw ReportError(QStringLiteral("The report is not complete yet"));
    m_pages->SaveToFile(fileName);
}

void TPWPrinter::Load(const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        throw ReportError(QStringLiteral("File does not exist"));
    // Read into a list of its own: a file that is not a report leaves the pages shown.
    auto pages = std::make_unique<TPWPageList>(m_settings.MemoryLimit);
    pages->LoadFromFile(fileName);
    std::optional<RecognisedPaper> paper;
    if (pages->PageCount() > 0) {
        if (const std::unique_ptr<EmfPage> first = pages->GetPage(1))
            paper = recognisePaper(first->pixelSize(), ScreenFactor);
    }

    m_pages = std::move(pages);
    m_pageCount = m_pageNumber = m_availablePages = m_pages->PageCount();
    m_recording.reset();
    m_pageInHand = false;
    XFactor = YFactor = ScreenFactor;
    LeftWaste = TopWaste = 0;
    m_loadedPaper = paper;
    if (paper) {
        m_settings.PaperSize = paper->size;
        m_settings.Orientation = paper->orientation;
        const bool landscape = paper->orientation == TPWOrientation::poLandscape;
        m_settings.PaperWidth = landscape ? paper->length : paper->width;
        m_settings.PaperLength = landscape ? paper->width : paper->length;
    }
    m_status = TPWPrinterStatus::mpFinished;
    m_completeReport = true;
    m_reportLoaded = true;
    OnPrintSetup = nullptr;
}

bool TPWPrinter::PrintSetup()
{
    return OnPrintSetup ? OnPrintSetup(*this) : false;
}

void TPWPrinter::ClosePreview()
{
    const bool wasShowing = std::exchange(m_showingPreview, false);
    if (wasShowing) {
        if (m_status == TPWPrinterStatus::mpBusy)
            Cancel();
        if (AfterPreview)
            AfterPreview(*this);
    }
    if (m_master)
        m_master->printerObjectClosed(this);
}

} // namespace report
