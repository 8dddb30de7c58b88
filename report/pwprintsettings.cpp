#include <report/pwprintsettings.h>

#include <report/pwreport.h>
#include <report/pwsize.h>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

struct BinCode
{
    TPWBin bin;
    int code;
};

// In enumeration order, so that a code two bins share reads back as the first of them.
constexpr BinCode BinCodes[] = {
    {TPWBin::First, 1},       {TPWBin::Upper, 1},        {TPWBin::Lower, 2},
    {TPWBin::Middle, 3},      {TPWBin::Manual, 4},       {TPWBin::Envelope, 5},
    {TPWBin::EnvManual, 6},   {TPWBin::Auto, 7},         {TPWBin::Tractor, 8},
    {TPWBin::SmallFormat, 9}, {TPWBin::LargeFormat, 10}, {TPWBin::LargeCapacity, 11},
    {TPWBin::Cassette, 14},   {TPWBin::Last, 14},
};

constexpr int CustomPaperCode = 256;
// Named sizes a recorded page is matched against: Letter to ESheet.
constexpr int FirstRecognised = 1;
constexpr int LastRecognised = 26;
constexpr double RecognitionToleranceMm = 2.0;

int tenths(double millimetres)
{
    return roundEven(millimetres * 10.0);
}

} // namespace

int binCode(TPWBin bin)
{
    for (const BinCode &b : BinCodes) {
        if (b.bin == bin)
            return b.code;
    }
    return 1;
}

std::optional<TPWBin> binFromCode(int code)
{
    for (const BinCode &b : BinCodes) {
        if (b.code == code)
            return b.bin;
    }
    return std::nullopt;
}

int paperCode(TPWPaperSize size)
{
    if (size == TPWPaperSize::Custom)
        return CustomPaperCode;
    return static_cast<int>(size); // Default is 0, the named sizes their Windows codes
}

TPWPaperSize paperFromCode(int code)
{
    if (code == CustomPaperCode)
        return TPWPaperSize::Custom;
    if (code >= 1 && code < static_cast<int>(TPWPaperSize::Custom))
        return static_cast<TPWPaperSize>(code);
    return TPWPaperSize::Default;
}

RecognisedPaper recognisePaper(QSize pixels, double factor)
{
    RecognisedPaper result;
    if (factor <= 0 || pixels.isEmpty())
        return result;
    const double w = pixels.width() / factor / 10.0;
    const double l = pixels.height() / factor / 10.0;
    const auto near = [](double a, double b) {
        return std::abs(a - b) <= RecognitionToleranceMm;
    };
    bool found = false;
    for (int i = FirstRecognised; i <= LastRecognised; ++i) {
        const auto size = static_cast<TPWPaperSize>(i);
        const PaperInfo &p = paperInfo(size);
        if (near(w, p.widthMM) && near(l, p.lengthMM)) {
            result = {size, TPWOrientation::poPortrait, tenths(p.widthMM), tenths(p.lengthMM)};
            found = true;
        } else if (near(w, p.lengthMM) && near(l, p.widthMM)) {
            result = {size, TPWOrientation::poLandscape, tenths(p.lengthMM), tenths(p.widthMM)};
            found = true;
        }
    }
    if (!found) {
        result = {TPWPaperSize::Custom,
                  l < w ? TPWOrientation::poLandscape : TPWOrientation::poPortrait, tenths(w),
                  tenths(l)};
    }
    return result;
}

void TPrinterSettings::readFrom(PrinterDevice &device)
{
    if (OnGetPrinterSettings) {
        OnGetPrinterSettings(*this, device);
        return;
    }
    m_driver = device.settings();
    const DeviceSettings &s = m_driver;
    Device = device.printerName();
    PrinterIndex = device.printerIndex();

    // Raw queues for dot-matrix printers report neither a resolution nor a paper.
    const QSize dpi = device.dotsPerInch();
    PixelsPerInchX = dpi.width() > 0 ? dpi.width() : ScreenPixelsPerInch;
    PixelsPerInchY = dpi.height() > 0 ? dpi.height() : ScreenPixelsPerInch;

    Copies = s.copies.value_or(1);
    OutputBin =
        s.defaultSource ? binFromCode(*s.defaultSource).value_or(TPWBin::First) : TPWBin::First;
    Duplex = s.duplex && *s.duplex != 1;
    ExtendedDuplex = s.duplex.value_or(0);
    if (s.orientation)
        Orientation =
            *s.orientation == 2 ? TPWOrientation::poLandscape : TPWOrientation::poPortrait;

    const QPoint offset = device.physicalOffset();
    LeftOffset = roundEven(offset.x() / double(PixelsPerInchX) * 254.0);
    TopOffset = roundEven(offset.y() / double(PixelsPerInchY) * 254.0);
    const QSize paper = device.paperDots();
    m_driverHasPaper = !paper.isEmpty();
    if (m_driverHasPaper) {
        int w = roundEven(paper.width() / double(PixelsPerInchX) * 254.0);
        int l = roundEven(paper.height() / double(PixelsPerInchY) * 254.0);
        // Held upright, like the paper of a report.
        if (Orientation == TPWOrientation::poLandscape)
            std::swap(w, l);
        PaperWidth = w;
        PaperLength = l;
        PaperSize = s.paperCode ? paperFromCode(*s.paperCode) : TPWPaperSize::Default;
    } else {
        // Without a paper of its own the printer prints on the paper held so far.
        LeftOffset = TopOffset = 0;
    }

    SupportedPapers.clear();
    for (const DevicePaper &p : device.papers()) {
        const TPWPaperSize size = paperFromCode(p.code);
        if (size != TPWPaperSize::Default && !SupportedPapers.contains(size))
            SupportedPapers.append(size);
    }
    if (device.offersCustomPaper() && !SupportedPapers.contains(TPWPaperSize::Custom))
        SupportedPapers.append(TPWPaperSize::Custom);
    PrintQuality = s.printQuality.value_or(0);
    Collate = s.collate.value_or(0);
    ColorOption = s.color.value_or(0);
}

bool TPrinterSettings::supports(TPWPaperSize size) const
{
    return size == TPWPaperSize::Default || SupportedPapers.contains(size);
}

void TPrinterSettings::takeFrom(const TPWReport &report)
{
    const TPWReportPrinterSettings &r = report.PrinterSettings();
    const TPWPage &page = report.Page();
    PrinterIndex = r.PrinterIndex;
    const TPWPaperSize size = page.PaperSize();
    // A printer that knows no paper of its own prints on the report's.
    if (supports(size) || !m_driverHasPaper) {
        PaperSize = size;
        if (size == TPWPaperSize::Custom) {
            int w = roundEven(page.nativeValue(TPWPage::WidthIndex));
            int l = roundEven(page.nativeValue(TPWPage::LengthIndex));
            if (page.Orientation() == TPWOrientation::poLandscape)
                std::swap(w, l);
            PaperWidth = w;
            PaperLength = l;
        } else if (size != TPWPaperSize::Default) {
            const PaperInfo &p = paperInfo(size);
            PaperWidth = tenths(p.widthMM);
            PaperLength = tenths(p.lengthMM);
        }
    }
    if (m_driver.orientation)
        Orientation = page.Orientation();
    if (m_driver.copies)
        Copies = r.Copies;
    if (m_driver.duplex) {
        Duplex = r.Duplex;
        ExtendedDuplex = r.ExtendedDuplex;
    }
    if (m_driver.defaultSource)
        OutputBin = r.OutputBin;
    UseCustomBinCode = r.UseCustomBinCode;
    CustomBinCode = r.CustomBinCode;
    UseCustomPaperCode = r.UseCustomPaperCode;
    CustomPaperCode = r.CustomPaperCode;
    PrintQuality = r.PrintQuality;
    Collate = r.Collate;
    ColorOption = r.ColorOption;
    MemoryLimit = r.MemoryLimit;
}

QSize TPrinterSettings::portraitPaper() const
{
    if (PaperSize != TPWPaperSize::Default && PaperSize != TPWPaperSize::Custom) {
        const PaperInfo &p = paperInfo(PaperSize);
        return {tenths(p.widthMM), tenths(p.lengthMM)};
    }
    return {PaperWidth, PaperLength};
}

int TPrinterSettings::paperWidth() const
{
    const QSize paper = portraitPaper();
    return Orientation == TPWOrientation::poLandscape ? paper.height() : paper.width();
}

int TPrinterSettings::paperLength() const
{
    const QSize paper = portraitPaper();
    return Orientation == TPWOrientation::poLandscape ? paper.width() : paper.height();
}

DeviceSettings TPrinterSettings::deviceSettings() const
{
    DeviceSettings s;
    s.paperWidth = PaperWidth;
    s.paperLength = PaperLength;
    if (m_driver.paperCode && PaperSize != TPWPaperSize::Default)
        s.paperCode = UseCustomPaperCode ? CustomPaperCode : paperCode(PaperSize);
    s.copies = Copies;
    if (m_driver.duplex)
        s.duplex = ExtendedDuplex != 0 ? ExtendedDuplex : (Duplex ? 3 : 1);
    s.defaultSource = UseCustomBinCode ? CustomBinCode : binCode(OutputBin);
    s.orientation = Orientation == TPWOrientation::poLandscape ? 2 : 1;
    if (m_driver.collate)
        s.collate = Collate;
    // 0 leaves the driver's own choice.
    if (PrintQuality != 0)
        s.printQuality = PrintQuality;
    if (ColorOption != 0)
        s.color = ColorOption;
    return s;
}

void TPrinterSettings::applyTo(PrinterDevice &device) const
{
    if (OnApplyPrinterSettings) {
        OnApplyPrinterSettings(*this, device);
        return;
    }
    device.applySettings(deviceSettings());
}

} // namespace report
