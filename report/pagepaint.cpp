#include <report/pagepaint.h>

#include <report/emfpage.h>
#include <report/pagestoreerror.h>
#include <report/pwprinter.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace report {

namespace {

// Dots per inch of a written PDF's page coordinates: fine enough that nothing a page holds
// moves by a visible amount.
constexpr int PdfResolution = 1200;

} // namespace

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
    {
        QPdfWriter writer(&file);
        const QSizeF paperMm(printer.paperWidth() / 10.0, printer.paperLength() / 10.0);
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
    if (!file.commit())
        throw PageStoreError("Cannot write file \"" + fileName.toStdString() +
                             "\": " + file.errorString().toStdString());
}

} // namespace report
