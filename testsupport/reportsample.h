#pragma once

// A slip-like page drawn through any Canvas: shared by the tests, the benchmark and the fuzz
// seed generator so that all of them work on the kind of page the program records.

#include <report/canvas.h>

#include <QString>

namespace report::sample {

inline constexpr int kSlipWidth = 794;
inline constexpr int kSlipHeight = 559;

inline void drawSlipPage(Canvas &c, int pageNumber = 1)
{
    CanvasFont title;
    title.face = QStringLiteral("ＭＳ Ｐゴシック");
    title.charset = 128;
    title.height = -24;
    title.bold = true;
    CanvasFont body = title;
    body.height = -12;
    body.bold = false;
    CanvasFont small = body;
    small.height = -10;
    small.color = QColor(0x40, 0x40, 0x40);

    c.resetClip();
    c.setBackgroundTransparent(true);
    c.setTextAlign(taLeft | taTop);
    c.setFont(title);
    c.textOut(330, 30, QStringLiteral("納　品　書"));

    c.setFont(body);
    c.textOut(40, 80, QStringLiteral("〒150-0001"));
    c.textOut(40, 98, QStringLiteral("東京都渋谷区神宮前1-2-3"));
    c.textOut(40, 116, QStringLiteral("株式会社ゾリカ商店　御中"));
    c.setTextAlign(taRight | taTop);
    c.textOut(754, 80, QStringLiteral("No. %1").arg(pageNumber, 6, 10, QLatin1Char('0')));
    c.textOut(754, 98, QStringLiteral("2026/12/10"));

    // Heading row of the line table on a grey bar.
    c.setBrush(CanvasBrush{QColor(0xe0, 0xe0, 0xe0), CanvasBrush::Solid});
    c.fillRect(QRect(QPoint(40, 150), QPoint(753, 169)));
    c.setPen(CanvasPen{Qt::black, 1, CanvasPen::Solid});
    c.setBrush(CanvasBrush{Qt::white, CanvasBrush::Clear});
    c.rectangle(QRect(QPoint(40, 150), QPoint(753, 330)));
    static const int columns[] = {340, 420, 520, 620};
    for (int x : columns) {
        c.moveTo(x, 150);
        c.lineTo(x, 331);
    }
    for (int row = 0; row <= 7; ++row) {
        c.moveTo(40, 170 + row * 20);
        c.lineTo(754, 170 + row * 20);
    }
    c.setTextAlign(taCenter | taTop);
    static const char *const heads[] = {"品　名", "数量", "単価", "金額", "摘要"};
    static const int centres[] = {190, 380, 470, 570, 687};
    for (int i = 0; i < 5; ++i)
        c.textOut(centres[i], 153, QString::fromUtf8(heads[i]));

    static const char *const items[] = {"ボールペン　黒",     "コピー用紙 A4", "クリアファイル",
                                        "ホチキス針",         "付箋 75×75",    "封筒 長形4号",
                                        "インク カートリッジ"};
    for (int row = 0; row < 7; ++row) {
        const int y = 173 + row * 20;
        const int qty = (row + pageNumber) % 9 + 1;
        const int price = 120 + row * 35;
        c.setTextAlign(taLeft | taTop);
        c.textOut(46, y, QString::fromUtf8(items[row]));
        c.setTextAlign(taRight | taTop);
        c.textOut(414, y, QString::number(qty));
        c.textOut(514, y, QString::number(price));
        c.textOut(614, y, QString::number(qty * price));
    }

    c.setPen(CanvasPen{QColor(0x80, 0, 0), 2, CanvasPen::Solid});
    c.roundRect(QRect(QPoint(520, 350), QPoint(753, 420)), 12, 12);
    c.setTextAlign(taLeft | taTop);
    c.textOut(530, 358, QStringLiteral("小　計"));
    c.textOut(530, 378, QStringLiteral("消費税"));
    c.textOut(530, 398, QStringLiteral("合　計"));
    c.setTextAlign(taRight | taTop);
    c.textOut(744, 358, QStringLiteral("12,345"));
    c.textOut(744, 378, QStringLiteral("1,234"));
    c.textOut(744, 398, QStringLiteral("13,579"));

    c.setPen(CanvasPen{Qt::red, 1, CanvasPen::Solid});
    c.ellipse(QRect(QPoint(440, 350), QPoint(499, 409)));
    c.setFont(small);
    c.setTextAlign(taCenter | taBaseline);
    c.textOut(470, 384, QStringLiteral("検印"));

    c.setBackgroundTransparent(false);
    c.setBrush(CanvasBrush{Qt::white, CanvasBrush::Solid});
    c.setTextAlign(taLeft | taBottom);
    c.textOut(40, 520, QStringLiteral("毎度ありがとうございます。Thank you."));
}

} // namespace report::sample
