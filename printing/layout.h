#pragma once

#include <report/canvas.h>

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

namespace report {
class PrinterDevice;
}

namespace printing {

/// One text of a printed page: drawn with its font, the top-left corner of its first cell at
/// `pos` (device dots from the printable area's corner).
struct PrintItem
{
    QString text;
    report::CanvasFont font;
    QPoint pos;

    bool operator==(const PrintItem &) const = default;
};

/// Rounds to the nearest whole dot, halves to even.
int roundEven(double value);
/// Hundredths of a millimetre to dots at a resolution.
int hmmToDots(int hundredths, int dpi);
/// The em height in dots of a font of this size at a vertical resolution (the line step of
/// the printed outputs); the same rounding as the canvas gives the font.
int emHeight(double points, int dpiY);

/// A font of the printed outputs: face and size in points, or a height in dots (positive: the
/// cell height).
report::CanvasFont pointFont(const QString &face, double points);
report::CanvasFont cellFont(const QString &face, int cellHeight);

/// Draws the items in order onto the canvas, transparent, aligned by the top-left corner.
void drawItems(report::Canvas &canvas, const QList<PrintItem> &items);

/// One job of one page with the items. A failure between its beginning and its end aborts the
/// job (no half page reaches the spooler, no partial file stays) and is passed on. Returns
/// false when the job was cancelled before it began (no file name given).
bool printPage(report::PrinterDevice &printer, const QString &title, const QList<PrintItem> &items);

} // namespace printing
