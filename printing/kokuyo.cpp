#include <printing/kokuyo.h>

#include <report/printerdevice.h>

namespace printing {

namespace {

const QString &faceName()
{
    static const QString face = QStringLiteral("ＭＳ Ｐゴシック");
    return face;
}

// "%9s " and "%12s": right-aligned in a field of that many characters; a longer text is
// printed whole.
QString field(const QString &text, int width, bool trailingSpace = false)
{
    QString s = text.rightJustified(width, QLatin1Char(' '));
    if (trailingSpace)
        s += QLatin1Char(' ');
    return s;
}

QString joined(const QString &label, const QString &value)
{
    return value.trimmed().isEmpty() ? QString() : label + value;
}

} // namespace

QStringList issuerLines(const Issuer &issuer)
{
    QString address = issuer.addr;
    if (!issuer.zip.trimmed().isEmpty() && !address.trimmed().isEmpty())
        address = QStringLiteral("〒") + issuer.zip + QLatin1Char(' ') + address;
    QString tel = joined(QStringLiteral("TEL "), issuer.tel);
    const QString fax = joined(QStringLiteral("FAX "), issuer.fax);
    if (!fax.isEmpty())
        tel = tel.isEmpty() ? fax : tel + QStringLiteral("  ") + fax;
    return {
        issuer.name,  address,     tel, issuer.addr2, joined(QStringLiteral("TEL "), issuer.tel2),
        issuer.bank1, issuer.bank2};
}

KokuyoSlip::KokuyoSlip(const SlipTexts &slip, const Issuer &issuer)
    : m_slip(slip)
    , m_issuer(issuer)
{}

QString KokuyoSlip::dateText(const QString &ymd)
{
    const QString gap(8, QLatin1Char(' '));
    return ymd.mid(0, 4) + gap + ymd.mid(5, 2) + gap + ymd.mid(8, 2);
}

QList<PrintItem> KokuyoSlip::layout(QSize dpi, QPoint offset) const
{
    const auto x = [&](int hmm) {
        return hmmToDots(hmm, dpi.width()) + offset.x();
    };
    const auto y = [&](int hmm) {
        return hmmToDots(hmm, dpi.height()) + offset.y();
    };
    const int line9 = emHeight(9, dpi.height());
    QList<PrintItem> items;
    const auto add = [&](const QString &text, double points, int px, int py) {
        items.append({text, pointFont(faceName(), points), QPoint(px, py)});
    };

    add(dateText(m_slip.ymd), 10, x(5000), y(200));
    add(m_slip.name, 15, x(1500), y(2200));

    const QStringList issuer = issuerLines(m_issuer);
    const int issuerX = x(9200);
    const int bankX = issuerX - hmmToDots(200, dpi.width());
    const auto addIssuer = [&](int index, double points, int px, int py) {
        if (!issuer[index].isEmpty())
            add(issuer[index], points, px, py);
    };
    addIssuer(0, 15, issuerX, y(900));
    int lineY = y(1550);
    addIssuer(1, 9, issuerX, lineY);
    for (int i = 2; i <= 4; ++i)
        addIssuer(i, 9, issuerX, lineY += line9);
    for (int i = 5; i <= 6; ++i)
        addIssuer(i, 9, bankX, lineY += line9);

    const int rowStep = hmmToDots(800, dpi.height());
    int rowOffset = 0;
    for (const SlipLine &row : m_slip.lines) {
        const int rowY = y(4400) + rowOffset;
        add(row.hinmei, 10, x(1500), rowY);
        add(row.tekiyo, 9, x(1500), rowY + line9);
        add(field(row.suryo, 9, true), 10, x(7200), rowY);
        add(field(row.tanka, 12), 10, x(8500), rowY);
        add(field(row.kingaku, 12), 10, x(12000), rowY);
        rowOffset += rowStep;
    }

    add(field(m_slip.gokei, 12), 10, x(12000), y(10000));
    add(field(m_slip.tax, 12), 10, x(8500), y(10800));
    add(field(m_slip.total, 12), 10, x(14000), y(10800));
    return items;
}

bool KokuyoSlip::print(report::PrinterDevice &printer, QWidget *parent) const
{
    if (!printer.setupDialog(parent))
        return false;
    // Resolution and offset of the printer as chosen, read once before the job.
    return printPage(printer, title(), layout(printer.dotsPerInch(), printer.physicalOffset()));
}

} // namespace printing
