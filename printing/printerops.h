#pragma once

#include <QSizeF>
#include <QString>

#include <optional>

namespace report {
class PrinterDevice;
}

namespace printing {

/// The size in millimetres (portrait) of a JIS or Japanese envelope and postcard paper by its
/// Japanese name (長形4号, 角形2号, はがき, B5 ...); none for a name the table does not hold.
std::optional<QSizeF> japanesePaperSize(const QString &name);

/// Makes the named paper the current printer's paper, starting from the driver's defaults:
/// the first of the driver's papers with exactly that name, else, for a Japanese name, the
/// first in the driver's order whose size is within 1 mm of it. Never defines a size of its
/// own. False when no paper matched; the printer then keeps its default paper.
bool SetPaper(report::PrinterDevice &printer, const QString &paperName);

} // namespace printing
