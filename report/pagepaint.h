#pragma once

#include <QByteArray>
#include <QSizeF>

#include <QRect>
#include <QString>

class QPainter;

namespace report {

class EmfPage;
class TPWPrinter;

/// Draws a page as the preview shows it into `rect`: the white sheet, the recorded page on it,
/// a one-pixel outline and a shadow along the right and bottom edges. Without a page (design
/// mode, a page that cannot be read) the empty sheet is drawn. The preview and its thumbnails
/// both draw through here, and the recording itself through EmfPage::play.
void paintPageImage(QPainter &painter, const QRect &rect, const EmfPage *page);

/// Writes the stored pages of a printer object as a PDF file, one page of its paper each; the
/// text stays text, with its fonts embedded. The file appears only once it is complete.
/// Throws PageStoreError when it cannot be written.
void writePdf(TPWPrinter &printer, const QString &fileName);

/// Qt writes a PDF page's box in whole points (595 x 420 for 210 x 148 mm): the boxes of
/// pages of this size in points get their exact figures, at the same length, so that the
/// file's offsets stay right.
void exactPdfPageBoxes(QByteArray &pdf, QSizeF points);

} // namespace report
