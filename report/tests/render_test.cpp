#include "definition.h"
#include "paintercanvas.h"
#include "pwband.h"
#include "pwlabel.h"
#include "pwoutput.h"
#include "pwreport.h"
#include "pwshape.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace report;

namespace {

// Prints the bands of the sample report at the places the slip layout gives them, as report
// generation will: title at 100, detail at 603, page footer at 1187, all at x 100.
QImage renderSample(int dpi)
{
    DefinitionHandlers handlers;
    handlers.labelPrint.insert(QStringLiteral("YMDPrint"), [](TPWLabel &, QString &v) {
        v = v.mid(0, 4) + QStringLiteral("年 ") + v.mid(5, 2) + QStringLiteral("月 ") +
            v.mid(8, 2) + QStringLiteral("日");
    });
    const auto report =
        loadDefinitionFile(QStringLiteral(REPORT_TEST_DATA "/sample.json"), handlers);
    report->control<TPWLabel>(QStringLiteral("TKNAME"))
        ->setCaption(QStringLiteral("株式会社ゾリカ商店　様"));
    report->control<TPWLabel>(QStringLiteral("TAITOL"))->setCaption(QStringLiteral("御 納 品 書"));
    report->control<TPWLabel>(QStringLiteral("YMD"))->setCaption(QStringLiteral("2014/06/10"));
    report->control<TPWLabel>(QStringLiteral("HINMEI1"))
        ->setCaption(QStringLiteral("ボールペン（黒）十本入り"));
    report->control<TPWLabel>(QStringLiteral("PWLabel33"))->setCaption(QStringLiteral("12,345"));

    const QSize pixels(qRound(2100 * dpi / 254.0), qRound(1480 * dpi / 254.0));
    QImage img = makePageImage(pixels, dpi);
    QPainter painter(&img);
    PainterCanvas canvas(&painter);
    CanvasOutput out(&canvas);
    report->setPrinter(&out);
    for (TPWPrintable *p : report->allPrintables())
        p->Prepare();
    const int ys[] = {100, 603, 1187};
    int i = 0;
    for (const auto &band : report->bands()) {
        const int y = ys[i++];
        canvas.setBrush(CanvasBrush{band->Color, CanvasBrush::Solid});
        canvas.fillRect(QRect(QPoint(out.XPos(100), out.YPos(y)),
                              QPoint(out.XPos(100 + band->Size().nativeValue(1)) - 1,
                                     out.YPos(y + band->Size().nativeValue(0)) - 1)));
        for (const auto &c : band->controls())
            c->Print(100, y);
    }
    for (TPWPrintable *p : report->allPrintables())
        p->UnPrepare();
    painter.end();
    return img;
}

void saveForLooking(const QImage &img, const QString &name)
{
    const QByteArray dir = qgetenv("ZD_RENDER_DIR");
    if (!dir.isEmpty())
        img.save(QDir(QString::fromLocal8Bit(dir)).filePath(name));
}

int darkPixels(const QImage &img, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(img.pixel(x, y)) < 128)
                ++n;
        }
    }
    return n;
}

TEST(RenderSample, ScreenAndPrinterPagesShowTheSameLayout)
{
    const QImage screen = renderSample(96);
    const QImage printer = renderSample(300);
    saveForLooking(screen, QStringLiteral("sample-96.png"));
    saveForLooking(printer, QStringLiteral("sample-300.png"));
    EXPECT_EQ(screen.size(), QSize(794, 559));

    // The title is centred on its label, the rule of the title band is one pixel high on
    // both devices, and the ink covers about the same share of the page.
    const int ruleY96 = 202;
    EXPECT_EQ(darkPixels(screen, QRect(38, ruleY96, 718, 1)), 718);
    EXPECT_EQ(darkPixels(screen, QRect(38, ruleY96 + 1, 718, 1)), 0);
    const double share96 = darkPixels(screen, screen.rect()) / double(794 * 559);
    const double share300 =
        darkPixels(printer, printer.rect()) / double(printer.width() * printer.height());
    EXPECT_NEAR(share96, share300, share96 * 0.5);
    EXPECT_GT(share96, 0.002);
}

} // namespace
