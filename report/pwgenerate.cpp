// Report generation: a run of the report onto its printer object, band by band and page by
// page, and the entry points that run it for the preview or the printer.

#include <report/pwreport.h>

#include <report/pwband.h>
#include <report/pwprintable.h>
#include <report/pwprinter.h>
#include <report/pwwindows.h>

#include <algorithm>
#include <utility>

namespace report {

namespace {

// Runs a clean-up when the scope ends, however it ends.
template <class F> class ScopeExit
{
public:
    explicit ScopeExit(F f)
        : m_f(std::move(f))
    {}
    ~ScopeExit() { m_f(); }
    ScopeExit(const ScopeExit &) = delete;
    ScopeExit &operator=(const ScopeExit &) = delete;

private:
    F m_f;
};

// Bands that never force a break of their own.
bool neverForcesBreak(TPWBandType t)
{
    return t == TPWBandType::rbTitle || t == TPWBandType::rbPageHeader ||
           t == TPWBandType::rbPageFooter || t == TPWBandType::rbOverlay;
}

} // namespace

// ---- printer objects

TPWPrinter *TPWReport::newPrinterObject()
{
    PrinterClient *client = m_printerObject ? m_printerObject->client() : nullptr;
    discardPrinterObject();
    auto *printer = new TPWPrinter(this);
    printer->setClient(client);
    printer->AfterPreview = [this](TPWPrinter &) {
        if (AfterPreview)
            AfterPreview(*this);
    };
    printer->AfterPrint = [this](TPWPrinter &) {
        if (AfterPrint)
            AfterPrint(*this);
    };
    m_printerObjects.removeAll(nullptr);
    m_printerObjects.append(printer);
    m_printerObject = printer;
    return printer;
}

void TPWReport::discardPrinterObject()
{
    if (!m_printerObject)
        return;
    if (m_printer == m_printerObject)
        m_printer = nullptr;
    // Deferred: the preview that closes may still be on the stack above us.
    m_printerObject->deleteLater();
    m_printerObject = nullptr;
}

void TPWReport::printerObjectClosed(TPWPrinter *printer)
{
    if (!Run.available) {
        Cancel();
        return;
    }
    if (printer == m_printerObject)
        discardPrinterObject();
}

// ---- entry points

bool TPWReport::generateIntoStore()
{
    if (!Run.available)
        return false;
    TPWPrinter *printer = newPrinterObject();
    if (printer->showingPreview())
        return false;
    printer->Destination = TPWDestination::pwdMetafile;
    printer->setMaster(this);
    printer->OnPrintSetup = [this](TPWPrinter &) {
        return PrinterSetup();
    };
    printer->Title = ReportTitle;
    printer->takeReportSettings(*this);
    Execute();
    printer->setCompleteReport(true);
    return true;
}

void TPWReport::runPreview(bool modal)
{
    if (BeforePreview)
        BeforePreview(*this);
    if (!generateIntoStore())
        return;
    if (AfterPreview)
        AfterPreview(*this);
    if (Run.cancelled) {
        discardPrinterObject();
        return;
    }
    if (OnPreview)
        OnPreview(*this);
    else
        showStandardPreview(*m_printerObject, modal);
}

void TPWReport::PreviewModal()
{
    runPreview(true);
}

void TPWReport::Preview()
{
    runPreview(false);
}

void TPWReport::Prepare()
{
    generateIntoStore();
}

PrintResult TPWReport::Print(PrinterDevice *device)
{
    if (!Run.available)
        return PrintResult::NotReady;
    // The preview's printer object keeps its pages; the print has an object of its own.
    TPWPrinter *const aside = std::exchange(m_printerObject, nullptr);
    PageOutput *const asideOutput = m_printer;
    std::unique_ptr<TPWPrinter> printer;
    const ScopeExit restore([&] {
        if (m_printer == printer.get())
            m_printer = asideOutput;
        m_printerObject = aside;
    });
    printer =
        device ? std::make_unique<TPWPrinter>(this, *device) : std::make_unique<TPWPrinter>(this);
    if (!printer->PrinterOK())
        return PrintResult::NoPrinter;
    printer->Destination = TPWDestination::pwdPrinter;
    printer->Title = ReportTitle;
    printer->AfterPrint = [this](TPWPrinter &) {
        if (AfterPrint)
            AfterPrint(*this);
    };
    m_printerObject = printer.get();
    std::unique_ptr<ProgressWindow> progress;
    if (ShowProgress)
        progress = makeProgressWindow(this, *printer);
    Execute();
    return Run.cancelled ? PrintResult::Cancelled : PrintResult::Printed;
}

bool TPWReport::PrinterSetup(QWidget *parent)
{
    std::unique_ptr<PrinterDevice> own;
    PrinterDevice *device = nullptr;
    if (m_printerObject) {
        device = &m_printerObject->device();
    } else {
        own = makePrinter();
        device = own.get();
        if (device->printerIndex() != m_printerSettings.PrinterIndex)
            device->setPrinterIndex(m_printerSettings.PrinterIndex);
    }
    PrintDialogChoice choice;
    const int pages = m_printerObject ? m_printerObject->PageCount() : 0;
    if (pages > 0) {
        choice.minPage = 1;
        choice.maxPage = pages;
        choice.fromPage = 1;
        choice.toPage = pages;
    }
    choice.orientation = m_page.Orientation() == TPWOrientation::poLandscape ? 2 : 1;
    choice.copies = m_printerSettings.Copies;
    choice.printerIndex = m_printerSettings.PrinterIndex;
    if (!device->printDialog(parent, choice))
        return false;
    m_printerSettings.Copies = choice.copies;
    m_printerSettings.PrinterIndex = choice.printerIndex;
    m_page.setOrientation(choice.orientation == 2 ? TPWOrientation::poLandscape
                                                  : TPWOrientation::poPortrait);
    PrintChoices kept{choice, 0, 0};
    if (choice.range == PrintDialogChoice::PageRange) {
        kept.firstPage = choice.fromPage;
        kept.lastPage = choice.toPage;
    }
    m_printChoices = kept;
    return true;
}

void TPWReport::Cancel()
{
    if (Run.available)
        return;
    Run.cancelled = true;
    if (m_printerObject)
        m_printerObject->Cancel();
}

// ---- the run

double TPWReport::paperLength() const
{
    return m_printerObject ? m_printerObject->paperLength()
                           : m_page.nativeValue(TPWPage::LengthIndex);
}

int TPWReport::availableSpace() const
{
    if (Run.available || Run.currentY < 0)
        return 0;
    return roundEven(paperLength() - m_page.nativeValue(TPWPage::BottomMarginIndex) -
                     Run.pageFooterHeight - Run.currentY);
}

void TPWReport::Execute()
{
    if (!Run.available || !m_printerObject)
        return;
    TPWPrinter &printer = *m_printerObject;

    // Margins that leave no room are dropped rather than failing the run.
    if (m_page.nativeValue(TPWPage::WidthIndex) - m_page.nativeValue(TPWPage::LeftMarginIndex) -
            m_page.nativeValue(TPWPage::RightMarginIndex) <
        0) {
        m_page.setNativeValue(TPWPage::LeftMarginIndex, 0);
        m_page.setNativeValue(TPWPage::RightMarginIndex, 0);
    }
    if (m_page.nativeValue(TPWPage::LengthIndex) - m_page.nativeValue(TPWPage::TopMarginIndex) -
            m_page.nativeValue(TPWPage::BottomMarginIndex) <
        0) {
        m_page.setNativeValue(TPWPage::TopMarginIndex, 0);
        m_page.setNativeValue(TPWPage::BottomMarginIndex, 0);
    }

    Run.available = false;
    Run.cancelled = false;
    Run.lastPage = false;
    Run.forceNewPage = Run.forceNewColumn = false;
    Run.userCancelled = false;
    {
        // The report is available again however the run ends.
        const ScopeExit available([this] { Run.available = true; });
        bool printReport = true;
        if (BeforePrint)
            BeforePrint(*this, printReport);
        if (!printReport)
            return;

        const TPWUnit savedUnits = m_units;
        std::vector<TPWPrintable *> prepared;
        bool failed = true;
        {
            const ScopeExit cleanUp([&] {
                setUnits(savedUnits);
                for (TPWPrintable *p : prepared)
                    p->UnPrepare();
                for (const auto &band : m_bands)
                    band->canExpandHandler = nullptr;
                if (failed || Run.cancelled) {
                    // A job that failed half-way is discarded, not sent as if complete. The
                    // run's own error is the one to report.
                    try {
                        printer.AbortDoc();
                    } catch (...) {
                    }
                }
            });
            setUnits(TPWUnit::Native);
            printer.takeReportSettings(*this);
            printer.Title = ReportTitle;
            printer.setCompression(Options.Compression);
            setPrinter(&printer);
            printer.BeginDoc();
            Run.currentY = -1;
            Run.pageCount = 0;
            Run.currentColumn = m_page.Columns();

            Run.pageFooterHeight = 0;
            for (const auto &band : m_bands) {
                if (band->Enabled && band->BandType() == TPWBandType::rbPageFooter)
                    Run.pageFooterHeight += band->Size().nativeValue(TPWBandSize::HeightIndex);
            }
            for (const auto &band : m_bands) {
                band->setReport(this);
                band->canExpandHandler = [this](TPWBand &b, double h) {
                    return bandCanExpand(b, h);
                };
            }
            Run.currentX = roundEven(m_page.nativeValue(TPWPage::LeftMarginIndex));

            m_namedValues.insert(QStringLiteral("PAGENUMBER"), QStringLiteral("0"));
            m_namedValues.insert(QStringLiteral("COLUMNNUMBER"), QStringLiteral("0"));
            m_namedValues.insert(QStringLiteral("REPORTTITLE"), ReportTitle);
            for (TPWPrintable *p : allPrintables()) {
                p->Prepare();
                prepared.push_back(p);
            }

            printDetail();

            Run.currentX = roundEven(m_page.nativeValue(TPWPage::LeftMarginIndex));
            Run.lastPage = true;
            if (!Run.cancelled)
                EndPage();
            failed = false;
        }
        if (!Run.cancelled)
            printer.EndDoc();
    }
}

void TPWReport::printDetail()
{
    TPWBand *header = bandOfType(TPWBandType::rbTitle);
    TPWBand *detail = bandOfType(TPWBandType::rbDetail);
    TPWBand *footer = bandOfType(TPWBandType::rbSummary);
    if (OnNeedData) {
        if (header)
            header->Print();
        for (;;) {
            bool more = false;
            OnNeedData(*this, more);
            if (!more || Run.cancelled || Run.userCancelled)
                break;
            if (detail)
                detail->Print();
        }
        if (footer && !Run.cancelled)
            footer->Print();
        return;
    }
    if (!PrintIfEmpty)
        return;
    if (header)
        header->Print();
    if (detail)
        detail->Print();
    if (footer)
        footer->Print();
}

bool TPWReport::bandCanExpand(TPWBand &band, double h)
{
    if (Run.currentY < 0 || band.BandType() == TPWBandType::rbPageFooter)
        return false;
    const double height = band.Size().nativeValue(TPWBandSize::HeightIndex);
    const double grown = std::max(band.expansion, m_stretchAsked + h);
    if (Run.currentY + height + grown >
        paperLength() - m_page.nativeValue(TPWPage::BottomMarginIndex) - Run.pageFooterHeight)
        return false;
    m_stretchAsked += h;
    return true;
}

void TPWReport::makeRoom(TPWBand &band)
{
    const TPWBandType type = band.BandType();
    const bool pageExists = Run.currentY >= 0;
    if ((band.ForceNewPage || band.ForceNewColumn) && !neverForcesBreak(type) && pageExists) {
        if (band.ForceNewPage)
            NewPage();
        else
            NewColumn();
        return;
    }
    double h = band.Size().nativeValue(TPWBandSize::HeightIndex);
    if (!band.LinkBand.isEmpty()) {
        if (TPWBand *linked = findBand(band.LinkBand))
            h += linked->Size().nativeValue(TPWBandSize::HeightIndex);
    }
    const double printable =
        m_page.nativeValue(TPWPage::LengthIndex) - (m_page.nativeValue(TPWPage::TopMarginIndex) +
                                                    m_page.nativeValue(TPWPage::BottomMarginIndex));
    const bool fits = pageExists && (type == TPWBandType::rbPageFooter ||
                                     availableSpace() >= roundEven(h) || roundEven(h) > printable);
    if (fits)
        return;
    if (m_page.Continuous() && pageExists)
        return;
    NewColumn();
}

void TPWReport::printBand(TPWBand &band)
{
    if (band.AlignToBottom && Run.currentY >= 0) {
        const int height = roundEven(band.Size().nativeValue(TPWBandSize::HeightIndex));
        const int bottom = roundEven(
            paperLength() - m_page.nativeValue(TPWPage::BottomMarginIndex) - Run.pageFooterHeight);
        if (bottom - height >= Run.currentY)
            Run.currentY = bottom - height;
    }

    bool print = band.Enabled;
    if (print && band.BeforePrint)
        band.BeforePrint(band, print);
    if (print) {
        if (!(m_page.PrintOrder() == TPWPrintOrder::RowByRow && m_page.Columns() > 1))
            makeRoom(band);
        PageOutput *out = printer();
        const double width = band.Size().nativeValue(TPWBandSize::WidthIndex);
        const double height = band.Size().nativeValue(TPWBandSize::HeightIndex);
        band.expansion = 0;
        std::vector<TPWPrintable *> toPrint;
        for (const auto &c : band.controls()) {
            if (c->IsEnabled())
                toPrint.push_back(c.get());
        }
        for (;;) {
            const double x = Run.currentX;
            const double y = Run.currentY;
            if (out && out->canvas()) {
                band.printRect = QRect(QPoint(out->XPos(x), out->YPos(y)),
                                       QPoint(out->XPos(x + width) - 1, out->YPos(y + height) - 1));
            }
            std::vector<TPWPrintable *> unfinished;
            if (height != 0 && out && out->canvas()) {
                Canvas &canvas = *out->canvas();
                if (!band.TransparentBand) {
                    canvas.setBrush(CanvasBrush{band.Color, CanvasBrush::Solid});
                    canvas.fillRect(band.printRect);
                }
                double expansion = 0;
                for (TPWPrintable *c : toPrint) {
                    m_stretchAsked = 0;
                    c->Print(Run.currentX, Run.currentY);
                    expansion = std::max(expansion, c->GetExpandedHeight());
                    band.expansion = expansion;
                    if (!c->printFinished())
                        unfinished.push_back(c);
                }
                band.Frame.PaintIt(canvas, out->XPos(x), out->YPos(y), out->XPos(x + width),
                                   out->YPos(y + height + band.expansion + 1), out->XFactor,
                                   out->YFactor);
            }
            if (unfinished.empty() || Run.cancelled) {
                Run.currentY += roundEven(height + band.expansion);
                break;
            }
            // A stretching label has lines left: they go on in the next column or page.
            NewColumn();
            band.expansion = 0;
            toPrint = std::move(unfinished);
        }
    }
    if (band.AfterPrint)
        band.AfterPrint(band, print);
}

void TPWReport::NewColumn()
{
    if (Run.currentColumn >= m_page.Columns()) {
        Run.currentColumn = 1;
        Run.currentX = roundEven(m_page.nativeValue(TPWPage::LeftMarginIndex));
        NewPage();
    } else {
        ++Run.currentColumn;
        Run.currentX += roundEven(m_page.columnWidth()) +
                        roundEven(m_page.nativeValue(TPWPage::ColumnSpaceIndex));
        Run.currentY = Run.columnTop;
    }
    m_namedValues.insert(QStringLiteral("COLUMNNUMBER"), QString::number(Run.currentColumn));
    if (!(Run.currentColumn == 1 && Run.pageCount == 1)) {
        if (TPWBand *columnHeader = bandOfType(TPWBandType::rbColumnHeader))
            columnHeader->Print();
    }
}

void TPWReport::NewPage()
{
    if (!m_printerObject)
        return;
    EndPage();
    ++Run.pageCount;
    Run.pageNumber = Run.pageCount;
    m_namedValues.insert(QStringLiteral("PAGENUMBER"), QString::number(Run.pageCount));
    m_printerObject->NewPage();
    Run.currentY = roundEven(m_page.nativeValue(TPWPage::TopMarginIndex));
    if (OnStartPage)
        OnStartPage(*this);
    if (BackgroundColor != QColor(Qt::white)) {
        if (Canvas *canvas = m_printerObject->canvas()) {
            canvas->setBrush(CanvasBrush{BackgroundColor, CanvasBrush::Solid});
            canvas->fillRect(
                QRect(QPoint(m_printerObject->XPos(0), m_printerObject->YPos(0)),
                      QPoint(m_printerObject->XPos(m_page.nativeValue(TPWPage::WidthIndex)) - 1,
                             m_printerObject->YPos(m_page.nativeValue(TPWPage::LengthIndex)) - 1)));
        }
    }
    if (Run.pageCount > 1 || Options.FirstPageHeader) {
        if (TPWBand *header = bandOfType(TPWBandType::rbPageHeader))
            header->Print();
    }
    Run.columnTop = Run.currentY;
    Run.currentColumn = 1;
    if (Run.pageCount == 1) {
        if (TPWBand *title = bandOfType(TPWBandType::rbTitle))
            Run.columnTop += roundEven(title->Size().nativeValue(TPWBandSize::HeightIndex));
    }
}

void TPWReport::EndPage()
{
    if (Run.pageCount == 0 || !m_printerObject)
        return;
    Run.currentY = roundEven(m_page.nativeValue(TPWPage::LengthIndex) -
                             m_page.nativeValue(TPWPage::BottomMarginIndex) - Run.pageFooterHeight);
    Run.currentX = roundEven(m_page.nativeValue(TPWPage::LeftMarginIndex));
    if (!(Run.lastPage && !Options.LastPageFooter)) {
        for (const auto &band : m_bands) {
            if (band->BandType() == TPWBandType::rbPageFooter)
                band->Print();
        }
    }
    for (const auto &c : m_controls)
        c->Print(0, 0);
    if (Canvas *canvas = m_printerObject->canvas()) {
        TPWPrinter &p = *m_printerObject;
        Frame.PaintIt(*canvas, p.XPos(m_page.nativeValue(TPWPage::LeftMarginIndex)),
                      p.YPos(m_page.nativeValue(TPWPage::TopMarginIndex)),
                      p.XPos(m_page.nativeValue(TPWPage::WidthIndex) -
                             m_page.nativeValue(TPWPage::RightMarginIndex)),
                      p.YPos(m_page.nativeValue(TPWPage::LengthIndex) -
                             m_page.nativeValue(TPWPage::BottomMarginIndex)),
                      p.XFactor, p.YFactor);
    }
    if (OnEndPage)
        OnEndPage(*this);
}

} // namespace report
