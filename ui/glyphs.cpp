#include <ui/glyphs.h>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ui {

namespace {

void drawClose(QPainter &p)
{
    // An open door with an arrow leaving through it.
    p.setPen(QPen(QColor(0x60, 0x40, 0x20), 1));
    p.setBrush(QColor(0xC0, 0x90, 0x50));
    p.drawRect(2, 1, 9, 15);
    p.setBrush(QColor(0x80, 0x50, 0x20));
    p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(7, 3), QPoint(7, 17), QPoint(2, 16)}));
    p.setPen(QPen(QColor(0, 0x80, 0), 2));
    p.drawLine(9, 9, 16, 9);
    p.drawLine(13, 6, 16, 9);
    p.drawLine(13, 12, 16, 9);
}

void drawPrinter(QPainter &p)
{
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 8, 5); // paper in
    p.setBrush(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(1, 6, 14, 6); // body
    p.setBrush(Qt::white);
    p.drawRect(4, 10, 8, 5); // paper out
    p.setPen(QColor(0, 0xA0, 0));
    p.drawPoint(13, 8);
}

void drawEnvelope(QPainter &p)
{
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(QColor(0xFF, 0xF8, 0xE0));
    p.drawRect(1, 3, 14, 10);
    p.drawLine(1, 3, 8, 9);
    p.drawLine(15, 3, 8, 9);
}

void drawParcel(QPainter &p)
{
    p.setPen(QColor(0x60, 0x40, 0x20));
    p.setBrush(QColor(0xD8, 0xA8, 0x60));
    p.drawRect(2, 4, 12, 10);
    p.drawLine(2, 8, 14, 8);
    p.drawLine(8, 4, 8, 14);
}

void drawCheck(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0x80, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygon({QPoint(3, 8), QPoint(7, 12), QPoint(13, 3)}));
}

void drawCancel(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xC0, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(4, 4, 12, 12);
    p.drawLine(12, 4, 4, 12);
}

} // namespace

QIcon glyphIcon(Glyph glyph)
{
    const int size = glyph == Glyph::Close ? 18 : 16;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    switch (glyph) {
    case Glyph::Close:
        drawClose(p);
        break;
    case Glyph::Printer:
        drawPrinter(p);
        break;
    case Glyph::Envelope:
        drawEnvelope(p);
        break;
    case Glyph::Parcel:
        drawParcel(p);
        break;
    case Glyph::Check:
        drawCheck(p);
        break;
    case Glyph::Cancel:
        drawCancel(p);
        break;
    }
    p.end();
    return QIcon(pixmap); // the disabled state is derived by the style
}

} // namespace ui
