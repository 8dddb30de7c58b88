#include <report/pagepaint.h>

#include <report/emfpage.h>
#include <report/pagestoreerror.h>
#include <report/pwprinter.h>

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace report {

namespace {

// Dots per inch of a written PDF's page coordinates: fine enough that nothing a page holds
// moves by a visible amount.
constexpr int PdfResolution = 1200;

} // namespace

// Qt writes a page's box in whole points (595 x 420 for 210 x 148 mm). The box is written
// with six decimals, so the exact figures take as many bytes wherever the whole part keeps
// its digits, and the file's offsets stay right.
void exactPdfPageBoxes(QByteArray &pdf, QSizeF points)
{
    const auto box = [](double w, double h) {
        return QByteArray("/MediaBox [0 0 ") + QByteArray::number(w, 'f', 6) + ' ' +
               QByteArray::number(h, 'f', 6) + ']';
    };
    const QByteArray rounded = box(std::round(points.width()), std::round(points.height()));
    const QByteArray exact = box(points.width(), points.height());
    if (rounded.size() == exact.size())
        pdf.replace(rounded, exact);
}

void paintPageImage(QPainter &painter, const QRect &rect, const EmfPage *page)
{
    const int l = rect.left();
    const int t = rect.top();
    const int w = rect.width();
    const int h = rect.height();
    if (w < 5 || h < 5)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The sheet inside the outline; the recording fills it, so that at 100 % a page pixel is
    // a screen pixel.
    const QRect sheet(l + 1, t + 1, w - 4, h - 4);
    painter.fillRect(sheet, Qt::white);
    if (page)
        page->play(painter, QRectF(sheet));
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(l, t, w - 3, h - 3)); // through (l, t) .. (l + w - 3, t + h - 3)
    painter.fillRect(QRect(QPoint(l + w - 2, t + 2), rect.bottomRight()), Qt::black);
    painter.fillRect(QRect(QPoint(l + 2, t + h - 2), rect.bottomRight()), Qt::black);
    painter.restore();
}

void writePdf(TPWPrinter &printer, const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw PageStoreError("Cannot create file \"" + fileName.toStdString() +
                             "\": " + file.errorString().toStdString());
    const QSizeF paperMm(printer.paperWidth() / 10.0, printer.paperLength() / 10.0);
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(paperMm, QPageSize::Millimeter),
                                         QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setResolution(PdfResolution);
        writer.setCreator(QStringLiteral("ZorikaDesk"));
        writer.setTitle(printer.Title);
        QPainter painter;
        if (!painter.begin(&writer))
            throw PageStoreError("Cannot write file \"" + fileName.toStdString() + "\"");
        const QRectF target(0, 0, paperMm.width() / 25.4 * PdfResolution,
                            paperMm.height() / 25.4 * PdfResolution);
        const int count = printer.PageCount();
        for (int n = 1; n <= count; ++n) {
            if (n > 1)
                writer.newPage();
            if (const std::unique_ptr<EmfPage> page = printer.GetPage(n))
                page->play(painter, target);
        }
        painter.end();
    }
    exactPdfPageBoxes(pdf, paperMm / 25.4 * 72.0);
    if (file.write(pdf) != pdf.size() || !file.commit())
        throw PageStoreError("Cannot write file \"" + fileName.toStdString() +
                             "\": " + file.errorString().toStdString());
}

} // namespace report
