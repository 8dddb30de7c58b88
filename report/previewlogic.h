#pragma once

// What the preview window decides, without the window: zoom figures, the page image's size,
// the go-to answer, the key table, text search, the file names of Save and the thumbnails'
// measures. The window only wires its controls to these.

#include <report/emfpage.h>

#include <QList>
#include <QLocale>
#include <QSize>
#include <QString>

namespace report {

/// Zoom limits of the preview, in percent.
constexpr int MinZoom = 2;
constexpr int MaxZoom = 2000;
inline bool zoomAccepted(int zoom)
{
    return zoom >= MinZoom && zoom <= MaxZoom;
}

/// Screen pixels of a paper measure (tenths of a millimetre) at a zoom.
int screenPixels(double tenths, int zoom = 100);
/// The page image of a paper at a zoom: the page plus 4 pixels for its outline and shadow.
QSize pageImageSize(double paperWidth, double paperLength, int zoom);
/// The zoom at which the page (its pixel size at 100 %) fits into the control (95 %).
int zoomToFit(QSize control, QSize page100);
/// The zoom at which the page fills the control's width (90 %).
int zoomToWidth(int controlWidth, int pageWidth100);
/// Offset that centres an image of `image` pixels in a control of `control` pixels.
int centredOffset(int control, int image);

/// The page a go-to answer selects: a decimal integer after optional spaces and a sign, read
/// up to the first character that is not a digit (no digit: 0). Anything below 1 or above the
/// page count, also a number too large for an integer, selects page 1.
int goToPage(const QString &answer, int pageCount);

/// What a key does in the preview.
enum class PreviewAction {
    None,
    PreviousPage,
    NextPage,
    FirstPage,
    LastPage,
    ScrollUp,
    ScrollDown,
    Close,
};
/// The key table: Page Up/Down (with Ctrl alone: first/last page), Home, End, Up, Down,
/// Escape.
PreviewAction previewKeyAction(int key, Qt::KeyboardModifiers modifiers);

/// A page matches when one of its text items contains the text: exactly with `matchCase`,
/// otherwise after both are upper-cased by the locale's rules.
bool pageMatches(const QList<EmfTextItem> &items, const QString &text, bool matchCase,
                 const QLocale &locale = QLocale());

/// The file types of the save dialog, in order.
enum class SaveType { DefaultType, ReportFile, Pdf };
/// The name filters of the save dialog, in the order of SaveType.
QStringList saveFilters();
/// The extension a saved file takes, upper case: the name's own, otherwise the chosen type's.
QString saveExtension(const QString &fileName, SaveType chosen);
/// The name to save under: a name without extension gets the chosen type's.
QString saveFileName(const QString &fileName, SaveType chosen);
/// A file name offered by the save dialog: `base` with the characters that no file name may
/// hold replaced, or "report" with the date when there is no base; never a wildcard.
QString presetSaveName(const QString &base, const QDate &date);

/// Measures of a thumbnail row.
struct ThumbMetrics
{
    int columnWidth = 0;
    int drawWidth = 0;
    int rowHeight = 0;
    int margin = 0;
};
ThumbMetrics thumbMetrics(int gridWidth, double paperWidth, double paperLength, bool landscape,
                          int textHeight);

} // namespace report
