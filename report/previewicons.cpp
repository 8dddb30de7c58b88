#include <report/previewicons.h>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace report {

namespace {

// Everything is drawn on a 24 x 24 grid and rendered for 1x and 2x screens.
constexpr int Grid = 24;

const QColor Ink(0x33, 0x33, 0x33);
const QColor Blue(0x1f, 0x5f, 0xbf);
const QColor Green(0x2e, 0x8b, 0x3a);
const QColor Paper(0xff, 0xff, 0xff);
const QColor PaperEdge(0x70, 0x70, 0x70);

void sheet(QPainter &p, const QRectF &r)
{
    // A sheet with its top-right corner folded.
    const qreal fold = r.width() * 0.3;
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(QPen(PaperEdge, 1));
    p.setBrush(Paper);
    p.drawPath(path);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(0xdd, 0xdd, 0xdd));
    p.drawPath(corner);
}

void textLines(QPainter &p, const QRectF &r, int lines)
{
    p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 1));
    for (int i = 0; i < lines; ++i) {
        const qreal y = r.top() + 2.5 + i * 3;
        if (y > r.bottom() - 1)
            break;
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
    }
}

void magnifier(QPainter &p, QPointF centre, qreal radius)
{
    p.setPen(QPen(QColor(0x60, 0x40, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
    const QPointF handle = centre + QPointF(radius * 0.75, radius * 0.75);
    p.drawLine(handle, handle + QPointF(radius * 0.9, radius * 0.9));
    p.setPen(QPen(Ink, 1.6));
    p.setBrush(QColor(0xd8, 0xec, 0xff, 0xe0));
    p.drawEllipse(centre, radius, radius);
}

void triangle(QPainter &p, QPointF tip, qreal size, bool left)
{
    const qreal dx = left ? size : -size;
    QPolygonF t{tip, tip + QPointF(dx, -size), tip + QPointF(dx, size)};
    p.setPen(QPen(Blue.darker(130), 1));
    p.setBrush(Blue);
    p.drawPolygon(t);
}

void bar(QPainter &p, qreal x, qreal size)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawRect(QRectF(x, 12 - size, 2.5, size * 2));
}

void printer(QPainter &p)
{
    p.setPen(QPen(PaperEdge, 1));
    p.setBrush(Paper);
    p.drawRect(QRectF(6.5, 2.5, 11, 7)); // paper going in
    p.setPen(QPen(Ink, 1));
    p.setBrush(QColor(0xa8, 0xa8, 0xa8));
    p.drawRoundedRect(QRectF(2.5, 8.5, 19, 9), 1.5, 1.5);
    p.setBrush(Paper);
    p.setPen(QPen(PaperEdge, 1));
    p.drawRect(QRectF(6.5, 14.5, 11, 7)); // printed sheet
    textLines(p, QRectF(6.5, 14.5, 11, 7), 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0xc0, 0x30));
    p.drawEllipse(QPointF(18.5, 11), 1, 1);
}

void draw(QPainter &p, PreviewIcon icon)
{
    switch (icon) {
    case PreviewIcon::ZoomFit: {
        p.setPen(QPen(Blue, 1.6));
        const qreal a = 2, b = 22, c = 6;
        p.drawPolyline(QPolygonF{{a, a + c}, {a, a}, {a + c, a}});
        p.drawPolyline(QPolygonF{{b - c, a}, {b, a}, {b, a + c}});
        p.drawPolyline(QPolygonF{{a, b - c}, {a, b}, {a + c, b}});
        p.drawPolyline(QPolygonF{{b - c, b}, {b, b}, {b, b - c}});
        magnifier(p, {10.5, 10.5}, 5);
        break;
    }
    case PreviewIcon::ZoomWidth: {
        sheet(p, QRectF(3.5, 4.5, 17, 15));
        p.setPen(QPen(Blue, 1.6));
        p.drawLine(QPointF(4.5, 12), QPointF(19.5, 12));
        p.setBrush(Blue);
        p.drawPolygon(QPolygonF{{3.5, 12}, {7.5, 9}, {7.5, 15}});
        p.drawPolygon(QPolygonF{{20.5, 12}, {16.5, 9}, {16.5, 15}});
        break;
    }
    case PreviewIcon::Zoom100: {
        magnifier(p, {10, 10}, 7.5);
        QFont f = p.font();
        f.setPixelSize(8);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Ink);
        p.drawText(QRectF(2.5, 2.5, 15, 15), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    }
    case PreviewIcon::ZoomMenu: {
        magnifier(p, {9.5, 9.5}, 6);
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawPolygon(QPolygonF{{15, 17}, {23, 17}, {19, 22}});
        break;
    }
    case PreviewIcon::FirstPage:
        bar(p, 4, 7);
        triangle(p, {7.5, 12}, 7, false);
        triangle(p, {7.5, 12}, 7, true);
        break;
    case PreviewIcon::PreviousPage:
        triangle(p, {6, 12}, 7.5, true);
        break;
    case PreviewIcon::NextPage:
        triangle(p, {18, 12}, 7.5, false);
        break;
    case PreviewIcon::LastPage:
        triangle(p, {16.5, 12}, 7, false);
        bar(p, 17.5, 7);
        break;
    case PreviewIcon::GotoPage: {
        sheet(p, QRectF(8.5, 2.5, 13, 18));
        textLines(p, QRectF(8.5, 6, 13, 14), 4);
        p.setPen(QPen(Green, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2, 16), QPointF(11, 16));
        p.setPen(Qt::NoPen);
        p.setBrush(Green);
        p.drawPolygon(QPolygonF{{15, 16}, {10, 11.5}, {10, 20.5}});
        break;
    }
    case PreviewIcon::Find: {
        sheet(p, QRectF(2.5, 1.5, 14, 18));
        textLines(p, QRectF(2.5, 5, 14, 14), 5);
        magnifier(p, {14, 13}, 4.5);
        break;
    }
    case PreviewIcon::Copy: {
        sheet(p, QRectF(2.5, 1.5, 12, 15));
        textLines(p, QRectF(2.5, 5, 12, 11), 3);
        sheet(p, QRectF(9.5, 7.5, 12, 15));
        textLines(p, QRectF(9.5, 11, 12, 11), 3);
        break;
    }
    case PreviewIcon::PrinterSetup: {
        printer(p);
        // A small gear over the printer's corner.
        const QPointF c(18, 18);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x50, 0x50, 0x90));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(c);
            p.rotate(i * 45);
            p.drawRect(QRectF(-1.1, -5.5, 2.2, 3));
            p.restore();
        }
        p.drawEllipse(c, 4, 4);
        p.setBrush(QColor(0xe0, 0xe0, 0xff));
        p.drawEllipse(c, 1.6, 1.6);
        break;
    }
    case PreviewIcon::Print:
        printer(p);
        break;
    case PreviewIcon::Open: {
        p.setPen(QPen(QColor(0x8a, 0x6a, 0x10), 1));
        p.setBrush(QColor(0xe8, 0xc0, 0x50));
        p.drawPolygon(
            QPolygonF{{2.5, 5.5}, {9, 5.5}, {11, 7.5}, {19.5, 7.5}, {19.5, 19.5}, {2.5, 19.5}});
        p.setBrush(QColor(0xf6, 0xd8, 0x78));
        p.drawPolygon(QPolygonF{{5.5, 10.5}, {22.5, 10.5}, {19.5, 19.5}, {2.5, 19.5}});
        break;
    }
    case PreviewIcon::Save: {
        p.setPen(QPen(QColor(0x10, 0x30, 0x70), 1));
        p.setBrush(QColor(0x3a, 0x6e, 0xc8));
        p.drawPolygon(QPolygonF{{3.5, 3.5}, {18, 3.5}, {20.5, 6}, {20.5, 20.5}, {3.5, 20.5}});
        p.setBrush(Paper);
        p.drawRect(QRectF(6.5, 3.5, 11, 6));
        p.setBrush(QColor(0xd0, 0xd8, 0xe8));
        p.drawRect(QRectF(6.5, 13.5, 11, 7));
        p.setBrush(QColor(0x10, 0x30, 0x70));
        p.drawRect(QRectF(13.5, 4.5, 2.5, 4));
        break;
    }
    case PreviewIcon::Cancel: {
        p.setPen(QPen(QColor(0x90, 0x10, 0x10), 1));
        p.setBrush(QColor(0xd8, 0x30, 0x30));
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(16, 16));
        p.drawLine(QPointF(16, 8), QPointF(8, 16));
        break;
    }
    case PreviewIcon::Close: {
        p.setPen(QPen(QColor(0x60, 0x40, 0x20), 1));
        p.setBrush(QColor(0xc0, 0x90, 0x50));
        p.drawRect(QRectF(3.5, 2.5, 12, 19));
        p.setBrush(QColor(0x80, 0x50, 0x20));
        p.drawPolygon(QPolygonF{{3.5, 2.5}, {10, 5}, {10, 23}, {3.5, 21.5}});
        p.setPen(QPen(Green, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(21, 12));
        p.drawLine(QPointF(17.5, 8.5), QPointF(21, 12));
        p.drawLine(QPointF(17.5, 15.5), QPointF(21, 12));
        break;
    }
    }
}

QPixmap render(PreviewIcon icon, int scale)
{
    QPixmap pixmap(Grid * scale, Grid * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, icon);
    return pixmap;
}

} // namespace

QIcon previewIcon(PreviewIcon icon)
{
    QIcon result;
    for (int scale : {1, 2})
        result.addPixmap(render(icon, scale));
    return result;
}

} // namespace report
