#pragma once

#include <report/pwpage.h>

#include <QString>

namespace report {

enum class TPWBin {
    First,
    Upper,
    Lower,
    Middle,
    Manual,
    Envelope,
    EnvManual,
    Auto,
    Tractor,
    SmallFormat,
    LargeFormat,
    LargeCapacity,
    Cassette,
    Last
};

/// Printer settings stored with a report and copied into the printer object before a run.
struct TPWReportPrinterSettings
{
    int Copies = 1;
    TPWBin OutputBin = TPWBin::Auto;
    bool Duplex = false;
    int ExtendedDuplex = 0;
    int FirstPage = 0; // 0: from the first page
    int LastPage = 0;  // 0: to the last page
    bool UseStandardprinter = false;
    bool UseCustomBinCode = false;
    int CustomBinCode = 0;
    bool UseCustomPaperCode = false;
    int CustomPaperCode = 0;
    bool PrintMetaFile = false;
    int MemoryLimit = 250000;
    int PrintQuality = 0;
    int Collate = 0;
    int ColorOption = 0;
    int PrinterIndex = -1; // -1: the default printer
    QString Title;
    /// Follows the page's orientation.
    TPWOrientation Orientation = TPWOrientation::poPortrait;

    bool operator==(const TPWReportPrinterSettings &) const = default;
};

} // namespace report
