#pragma once

#include <report/canvas.h>

#include <QList>
#include <QPoint>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class QWidget;

namespace report {

/// A printer error for the user: a Japanese sentence (the printer did not start, the PDF file
/// cannot be written, the job failed).
class PrinterError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// One paper the driver offers: its code (Windows paper codes where the size has one,
/// codes of the driver's own from 256 up otherwise), its name as the driver gives it, and its
/// size in millimetres (portrait).
struct DevicePaper
{
    int code = 0;
    QString name;
    QSizeF sizeMm;

    bool operator==(const DevicePaper &) const = default;
};

/// The driver's settings for the next job, field by field; a field the driver does not carry
/// is empty. Codes are those of a Windows device mode: orientation 1 portrait, 2 landscape;
/// duplex 1 simplex, 2 long edge, 3 short edge; collate 0/1; colour 1 mono, 2 colour;
/// paper sizes in tenths of a millimetre.
struct DeviceSettings
{
    std::optional<int> paperCode;
    std::optional<int> paperWidth;
    std::optional<int> paperLength;
    std::optional<int> orientation;
    std::optional<int> copies;
    std::optional<int> duplex;
    std::optional<int> defaultSource;
    std::optional<int> collate;
    std::optional<int> printQuality;
    std::optional<int> color;

    bool operator==(const DeviceSettings &) const = default;
};

/// What the print dialog starts with and what the user chose there.
struct PrintDialogChoice
{
    enum Range { AllPages, Selection, PageRange };
    Range range = AllPages;
    int minPage = 0;
    int maxPage = 9999;
    int fromPage = 0;
    int toPage = 0;
    int copies = 1;
    int orientation = 1;
    int printerIndex = -1;
    DeviceSettings settings; ///< the driver's settings after the dialog
};

/// The platform printer: the installed printers, the current one's driver settings and
/// capabilities, and one job at a time drawn through a Canvas. Coordinates are device dots
/// from the top-left corner of the printable area.
///
/// The canvas follows the printer's font conventions: a font's point size is scaled by the
/// vertical resolution; a positive height is the cell height, a negative one the em height,
/// and read back after a size was set the height is minus the em height. Text is placed by
/// the top-left corner of its cell (or the alignment point) with a transparent background.
class PrinterDevice
{
public:
    virtual ~PrinterDevice() = default;

    // ---- printers
    /// Names of the installed printers; empty when there is none.
    virtual QStringList printers() const = 0;
    /// Index of the current printer in printers(); -1 for the default printer.
    virtual int printerIndex() const = 0;
    virtual void setPrinterIndex(int index) = 0;
    /// Name of the current printer (the default one for index -1).
    virtual QString printerName() const = 0;
    /// The driver offers paper of a size the user defines.
    virtual bool offersCustomPaper() const = 0;

    // ---- dialogs (true when confirmed; the choice then holds for the current printer)
    /// Printer, paper and orientation.
    virtual bool setupDialog(QWidget *parent) = 0;
    /// Printer, page range and copies.
    virtual bool printDialog(QWidget *parent, PrintDialogChoice &choice) = 0;

    // ---- driver settings
    virtual DeviceSettings settings() const = 0;
    /// Writes the fields that are set; a field the driver does not carry is left alone.
    virtual void applySettings(const DeviceSettings &settings) = 0;
    /// Back to the driver's defaults for the current printer.
    virtual void resetToDefaults() = 0;
    /// The driver's papers, in the driver's order.
    virtual QList<DevicePaper> papers() const = 0;

    // ---- capabilities of the current printer with its current settings
    /// Dots per inch (LOGPIXELSX, LOGPIXELSY).
    virtual QSize dotsPerInch() const = 0;
    /// Dots from the paper's corner to the printable area (PHYSICALOFFSETX/Y).
    virtual QPoint physicalOffset() const = 0;
    /// The paper in dots (PHYSICALWIDTH/HEIGHT).
    virtual QSize paperDots() const = 0;
    /// The printable area in dots (PageWidth, PageHeight).
    virtual QSize pageDots() const = 0;

    // ---- the job
    /// Begins a job; throws PrinterError when the printer cannot start it.
    virtual void beginDoc(const QString &title) = 0;
    /// Advances to a new sheet of the open job.
    virtual void newPage() = 0;
    /// Ends the job and hands it to the spooler; throws PrinterError when that fails.
    virtual void endDoc() = 0;
    /// Discards the open job (a partial output file is removed).
    virtual void abortDoc() = 0;
    /// A job is open.
    virtual bool printing() const = 0;
    /// The canvas of the current sheet; only while printing().
    virtual Canvas *canvas() = 0;
};

/// Makes platform printers. The application installs its own at start; without one there
/// is no printer (printers() empty), and nothing can be printed.
using PrinterFactory = std::function<std::unique_ptr<PrinterDevice>()>;
void setPrinterFactory(PrinterFactory factory);
/// A new private printer object of the platform.
std::unique_ptr<PrinterDevice> makePrinter();
/// The application's shared current printer: what one print leaves set (a paper, a printer
/// chosen in a dialog) holds for the next until the program ends.
PrinterDevice &sharedPrinter();

} // namespace report
