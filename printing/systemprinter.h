#pragma once

#include <report/pdfprinter.h>
#include <report/printerdevice.h>

#include <QPainter>

#include <memory>

class QPrinter;

namespace report {
class PainterCanvas;
}

namespace printing {

/// The platform printer: the CUPS printers through QPrinter, and "PDF" as a printer of its
/// own after them (a report::PdfPrinter; the file name is asked when the job begins). With
/// no CUPS printer installed the default printer is PDF.
///
/// Qt reports printer failures only through return values and the printer's state; every
/// failure here becomes a report::PrinterError with a Japanese sentence, and a failed job is
/// aborted.
class SystemPrinter final : public report::PrinterDevice
{
public:
    SystemPrinter();
    ~SystemPrinter() override;

    /// Asks for the PDF file's name (a save dialog unless replaced); empty cancels.
    void setFileNameRequest(report::PdfPrinter::FileNameRequest request);
    report::PdfPrinter &pdf() { return m_pdf; }
    /// The current printer is the PDF printer.
    bool isPdf() const;
    /// Names of the CUPS printers alone.
    QStringList systemPrinters() const { return m_names; }

    QStringList printers() const override;
    int printerIndex() const override { return m_index; }
    void setPrinterIndex(int index) override;
    QString printerName() const override;
    bool offersCustomPaper() const override;

    bool setupDialog(QWidget *parent) override;
    bool printDialog(QWidget *parent, report::PrintDialogChoice &choice) override;

    report::DeviceSettings settings() const override;
    void applySettings(const report::DeviceSettings &settings) override;
    void resetToDefaults() override;
    QList<report::DevicePaper> papers() const override;

    QSize dotsPerInch() const override;
    QPoint physicalOffset() const override;
    QSize paperDots() const override;
    QSize pageDots() const override;

    void beginDoc(const QString &title) override;
    void newPage() override;
    void endDoc() override;
    void abortDoc() override;
    bool printing() const override;
    report::Canvas *canvas() override;

    /// The QPrinter of the current CUPS printer (none for PDF).
    QPrinter *qprinter() const { return isPdf() ? nullptr : m_printer.get(); }

private:
    void openPrinter();
    QString defaultSystemPrinter() const;

    QStringList m_names;
    int m_index = -1;
    std::unique_ptr<QPrinter> m_printer;
    report::PdfPrinter m_pdf;
    QPainter m_painter;
    std::unique_ptr<report::PainterCanvas> m_canvas;
};

/// Installs SystemPrinter as the factory of report::makePrinter (at the application's start).
void installSystemPrinter();

} // namespace printing
