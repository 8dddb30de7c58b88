#include <printing/layout.h>

#include <report/pdfprinter.h>
#include <report/printerdevice.h>

#include <cmath>

namespace printing {

int roundEven(double value)
{
    return int(std::nearbyint(value));
}

int hmmToDots(int hundredths, int dpi)
{
    return roundEven(double(hundredths) * dpi / 2540.0);
}

int emHeight(double points, int dpiY)
{
    return roundEven(points * dpiY / 72.0);
}

report::CanvasFont pointFont(const QString &face, double points)
{
    report::CanvasFont f;
    f.face = face;
    f.charset = 128;
    f.pointSize = points;
    f.height = 0;
    return f;
}

report::CanvasFont cellFont(const QString &face, int cellHeight)
{
    report::CanvasFont f = pointFont(face, 0);
    f.height = std::max(1, cellHeight);
    return f;
}

void drawItems(report::Canvas &canvas, const QList<PrintItem> &items)
{
    canvas.setBackgroundTransparent(true);
    canvas.setTextAlign(report::taLeft | report::taTop);
    for (const PrintItem &item : items) {
        canvas.setFont(item.font);
        canvas.textOut(item.pos.x(), item.pos.y(), item.text);
    }
}

bool printPage(report::PrinterDevice &printer, const QString &title, const QList<PrintItem> &items)
{
    try {
        printer.beginDoc(title);
    } catch (const report::PrintCancelled &) {
        return false;
    }
    try {
        report::Canvas *canvas = printer.canvas();
        if (!canvas)
            throw report::PrinterError("プリンターに描画できません");
        drawItems(*canvas, items);
        printer.endDoc();
    } catch (...) {
        if (printer.printing())
            printer.abortDoc();
        throw;
    }
    return true;
}

} // namespace printing
