#include <printing/envelope.h>

#include <report/fonts.h>

#include <printing/printerops.h>
#include <printing/textconv.h>

#include <report/printerdevice.h>

#include <QLocale>

#include <cmath>

namespace printing {

namespace {

// Cell height of a column of n cells: a tenth of the page width up to 16 cells, squeezed into
// half the page height from 17 on.
int cellHeight(int n, int hMax, int colLen)
{
    return n <= 16 ? hMax : colLen / n;
}

} // namespace

MarginError::MarginError(const QString &text)
    : std::runtime_error(
          QStringLiteral("'%1' は浮動小数点数ではありません").arg(text).toStdString())
{}

double parseMargin(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    QLocale user = QLocale::system();
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    double v = user.toDouble(t, &ok);
    if (!ok && user.decimalPoint() == QStringLiteral(".")) {
        // The C form as well where it means the same (1e-1, no grouping).
        v = QLocale::c().toDouble(t, &ok);
    }
    if (!ok || !std::isfinite(v))
        throw MarginError(text);
    return v;
}

Envelope::Envelope(const SlipTexts &slip, const EnvelopeOptions &options)
    : m_slip(slip)
    , m_options(options)
    , m_top(parseMargin(options.Topmg))
    , m_left(parseMargin(options.LeftMg))
{}

QList<PrintItem> Envelope::layout(QSize dpi, QSize page) const
{
    const double kx = dpi.width() / 25.4;
    const double ky = dpi.height() / 25.4;
    const int W = page.width();
    const int H = page.height();
    const int hMax = roundEven(W / 10.0);
    const int colLen = roundEven(H / 2.0);
    // A margin that moves everything off the sheet is a typing error, not a layout.
    if (std::abs(kx * m_left) > W)
        throw MarginError(m_options.LeftMg);
    if (std::abs(ky * m_top) > H)
        throw MarginError(m_options.Topmg);
    const int mx = roundEven(kx * m_left);
    const int my = roundEven(ky * m_top);
    const QString &face = m_options.FontSet;

    QList<PrintItem> items;
    // Each cell in the chosen face, unless that face draws it as nothing.
    const auto cellItem = [](const QString &cell, report::CanvasFont font, QPoint at) {
        font.face = report::faceForText(font.face, cell);
        return PrintItem{cell, font, at};
    };
    const auto down = [&](const QStringList &cells, const report::CanvasFont &font, int x, int top,
                          int step) {
        int y = top;
        for (const QString &c : cells) {
            items.append(cellItem(c, font, QPoint(x, y)));
            y += step;
        }
    };
    const auto up = [&](const QStringList &cells, const report::CanvasFont &font, int x, int bottom,
                        int step) {
        int y = bottom;
        for (qsizetype i = cells.size() - 1; i >= 0; --i) {
            items.append(cellItem(cells[i], font, QPoint(x, y)));
            y -= step;
        }
    };

    // 1. Postal code across the top right, not converted.
    {
        const report::CanvasFont font = pointFont(face, 25);
        const int e = emHeight(25, dpi.height());
        double x = roundEven(W - 52 * kx) + mx;
        const int y = roundEven(8 * ky) + my;
        for (const QString &c : splitCells(QString(m_slip.zip).remove(QLatin1Char('-')))) {
            items.append(cellItem(c, font, QPoint(int(x), y)));
            x = roundEven(x + 0.8 * e);
        }
    }

    // 2. and 3. The address in the rightmost column, the second line beside it upwards.
    const int addrTop = roundEven(30 * ky) + my;
    const QStringList addr = splitCells(
        Get_TategakiKansuji(m_options.join ? m_slip.addr1 + m_slip.addr2 : m_slip.addr1));
    const int hAddr = cellHeight(int(addr.size()), hMax, colLen);
    const int xAddr = W - 2 * hAddr + mx;
    down(addr, cellFont(face, hAddr), xAddr, addrTop, hAddr);
    if (!m_options.join) {
        const QStringList addr2 = splitCells(Get_TategakiKansuji(m_slip.addr2));
        if (!addr2.isEmpty()) {
            // Squeezed whenever its cells would not fit between the first column's top and
            // its bottom level, so it never climbs above where the first column starts.
            const int n = int(addr2.size());
            const int hAddr2 = qint64(n) * hMax > colLen ? colLen / n : hMax;
            const int xAddr2 = xAddr - hAddr2;
            up(addr2, cellFont(face, hAddr2), xAddr2, addrTop + colLen, hAddr2);
        }
    }

    // 4. The name down the middle, an empty cell, the honorific.
    const QStringList name =
        splitCells(Get_TategakiKansuji(m_slip.name) + QLatin1Char(' ') + m_options.Keisyo);
    const int nName = int(name.size());
    const int hName = cellHeight(nName, hMax, colLen);
    const int xName = W / 2 - hName / 2 + mx;
    const int nameTop = roundEven(40 * ky) + my;
    down(name, cellFont(face, hName), xName, nameTop, hName);

    // 5. The extra name to its left, ending level with the name's third-last cell.
    int xNote = xName;
    if (!m_options.Name2.isEmpty()) {
        const int xExtra = xName - hName;
        up(splitCells(Get_TategakiKansuji(m_options.Name2)), cellFont(face, hName), xExtra,
           nameTop + (nName - 3) * hName, hName);
        xNote = xExtra;
    }

    // 6. The enclosure note, small, from halfway down.
    if (!m_options.Biko.isEmpty())
        down(splitCells(Get_TategakiKansuji(m_options.Biko)),
             cellFont(QStringLiteral("ＭＳ ゴシック"), hName / 2), xNote - 2 * hName, H / 2 + my,
             hName);
    return items;
}

bool Envelope::print(report::PrinterDevice &printer, QWidget *parent) const
{
    SetPaper(printer, paperName());
    if (!printer.setupDialog(parent))
        return false;
    return printPage(printer, title(), layout(printer.dotsPerInch(), printer.pageDots()));
}

} // namespace printing
