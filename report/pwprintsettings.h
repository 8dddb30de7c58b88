#pragma once

#include <report/printerdevice.h>
#include <report/pwpage.h>
#include <report/pwprintersettings.h>

#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace report {

class TPWReport;

/// Windows code of a bin (DMBIN) and back; a code no bin carries gives nothing.
int binCode(TPWBin bin);
std::optional<TPWBin> binFromCode(int code);
/// Windows code of a paper (DMPAPER): n for the named sizes, 256 for Custom, 0 for Default.
int paperCode(TPWPaperSize size);
/// The paper of a Windows code; Default for a code of none.
TPWPaperSize paperFromCode(int code);

/// A paper recognised from a recorded page's size.
struct RecognisedPaper
{
    TPWPaperSize size = TPWPaperSize::Custom;
    TPWOrientation orientation = TPWOrientation::poPortrait;
    /// The page as it prints (landscape already crosswise), tenths of a millimetre.
    int width = 0;
    int length = 0;

    bool operator==(const RecognisedPaper &) const = default;
};

/// Which paper a recorded page of `pixels` at `factor` pixels per tenth of a millimetre was
/// made for: a named size from Letter to ESheet that matches within 2 mm on both sides, upright
/// or crosswise (the last one in table order when several do), otherwise Custom with the
/// page's own size, landscape when it is wider than long.
RecognisedPaper recognisePaper(QSize pixels, double factor);

/// The settings of the printer driver for a printer object: what the driver reports, what the
/// report asks of it, and what is handed back to the driver before a job.
class TPrinterSettings
{
public:
    QString Device;
    QString Driver;
    QString Port;
    int Copies = 1;
    TPWOrientation Orientation = TPWOrientation::poPortrait;
    TPWBin OutputBin = TPWBin::First;
    bool Duplex = false;
    int ExtendedDuplex = 0;
    TPWPaperSize PaperSize = TPWPaperSize::A4;
    /// Upright, tenths of a millimetre; used for Custom and Default.
    int PaperWidth = 2100;
    int PaperLength = 2970;
    int PrintQuality = 0;
    int Collate = 0;
    int ColorOption = 0;
    int PixelsPerInchX = 96;
    int PixelsPerInchY = 96;
    /// Unprintable margins, tenths of a millimetre.
    int TopOffset = 0;
    int LeftOffset = 0;
    QList<TPWPaperSize> SupportedPapers;
    bool UseCustomBinCode = false;
    int CustomBinCode = 0;
    bool UseCustomPaperCode = false;
    int CustomPaperCode = 0;
    int PrinterIndex = -1;
    QString Title;
    int MemoryLimit = 250000;
    /// Take over reading and writing the driver's settings.
    std::function<void(TPrinterSettings &, PrinterDevice &)> OnGetPrinterSettings;
    std::function<void(const TPrinterSettings &, PrinterDevice &)> OnApplyPrinterSettings;

    /// Reads the driver. A driver that reports no resolution counts as 96 dots per inch, and
    /// one that reports no paper keeps the paper held so far (the report's own), so that no
    /// figure derived from them divides by zero.
    void readFrom(PrinterDevice &device);
    /// Copies the report's printer values (before every run); the paper, copies, orientation,
    /// duplex and bin only where the driver takes them.
    void takeFrom(const TPWReport &report);
    /// The driver settings for the next job, only fields the driver carries where it matters.
    DeviceSettings deviceSettings() const;
    /// Hands the settings to the driver (at the start of a job).
    void applyTo(PrinterDevice &device) const;

    /// The paper as it prints (exchanged for landscape), tenths of a millimetre.
    int paperWidth() const;
    int paperLength() const;
    bool supports(TPWPaperSize size) const;

    /// The fields the driver's settings carry, as last read.
    const DeviceSettings &driverFields() const { return m_driver; }

private:
    /// The paper upright: the named size's, else the stored width and length.
    QSize portraitPaper() const;

    DeviceSettings m_driver;
    bool m_driverHasPaper = false;
};

} // namespace report
