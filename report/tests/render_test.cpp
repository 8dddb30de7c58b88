#include <report/definition.h>
#include <report/paintercanvas.h>
#include <report/pwband.h>
#include <report/pwlabel.h>
#include <report/pwoutput.h>
#include <report/pwreport.h>
#include <report/pwshape.h>
#include <testsupport/pdftext.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace report;

namespace {

// Prints the bands of the sample report at the places the slip layout gives them, as report
// generation will: title at 100, detail at 603, page footer at 1187, all at x 100.
void paintSample(QPainter &painter)
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
}

QImage renderSample(int dpi)
{
    const QSize pixels(qRound(2100 * dpi / 254.0), qRound(1480 * dpi / 254.0));
    QImage img = makePageImage(pixels, dpi);
    QPainter painter(&img);
    paintSample(painter);
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

TEST(RenderSample, PdfPageHoldsTheText)
{
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QSizeF(210, 148), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(600);
        QPainter painter(&writer);
        paintSample(painter);
    }
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    const QByteArray dir = qgetenv("ZD_RENDER_DIR");
    if (!dir.isEmpty()) {
        QFile f(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("sample.pdf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pdf);
    }
    // The text stays text, in Japanese, near where the page has it.
    if (!testsupport::havePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("sample.pdf"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pdf);
    }
    QStringList words;
    for (const testsupport::PdfWord &w : testsupport::pdfWords(file)) {
        words << w.text;
        EXPECT_EQ(w.page, 1);
        EXPECT_LE(w.xMax, 210 / 25.4 * 72 + 0.5) << w.text.toStdString();
        EXPECT_LE(w.yMax, 148 / 25.4 * 72 + 0.5) << w.text.toStdString();
    }
    const QString all = words.join(QLatin1Char(' '));
    for (const char *text :
         {"株式会社ゾリカ商店", "納", "2014年", "ボールペン（黒）十本入り", "12,345"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(text)))
            << text << " not in: " << all.toStdString();
}

// Every shape kind, pen and brush, and labels with frames, wrap styles and alignments, each in
// its own cell of a grid; nothing may draw outside its cell.
TEST(RenderSample, ControlsStayInTheirCells)
{
    TPWReport report;
    report.setUnits(TPWUnit::Native);
    TPWBand *band = report.addBand(std::make_unique<TPWBand>(QStringLiteral("b")));
    const double cellW = 450, cellH = 300, pad = 50;
    QList<QRectF> cells;
    const auto cell = [&](int i) {
        const QRectF r((i % 4) * cellW, (i / 4) * cellH, cellW, cellH);
        cells.append(r);
        return r.adjusted(pad, pad, -pad, -pad);
    };
    int i = 0;
    for (int k = 0; k <= int(TPWShapeType::pwsRightDiagonal); ++k, ++i) {
        auto *s = static_cast<TPWShape *>(band->addControl(std::make_unique<TPWShape>()));
        s->Shape = TPWShapeType(k);
        s->Pen.width = k % 3 == 0 ? 3 : 1;
        s->Pen.color = k % 2 ? Qt::darkBlue : Qt::black;
        s->Brush = CanvasBrush{Qt::yellow, k == 1 ? CanvasBrush::DiagCross : CanvasBrush::Solid};
        const QRectF r = cell(i);
        s->Size().ReadValues({r.height(), r.left(), r.top(), r.width()});
    }
    const struct
    {
        const char *text;
        TAlignment align;
        TPWWrapStyle wrap;
        bool frame;
    } labels[] = {
        {"御 納 品 書", TAlignment::taCenter, TPWWrapStyle::BreakOnSpaces, true},
        {"ボールペン 黒 十本入り 箱", TAlignment::taLeftJustify, TPWWrapStyle::BreakOnSpaces,
         false},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", TAlignment::taLeftJustify, TPWWrapStyle::BreakAnywhere,
         true},
        {"1,234,567", TAlignment::taRightJustify, TPWWrapStyle::BreakOnSpaces, true},
    };
    for (const auto &l : labels) {
        auto *label = static_cast<TPWLabel *>(band->addControl(std::make_unique<TPWLabel>()));
        label->setAutoSize(false);
        CanvasFont f;
        f.face = QStringLiteral("ＭＳ 明朝");
        f.pointSize = 10;
        label->setFont(f);
        label->SetAlignment(l.align);
        label->setWrapStyle(l.wrap);
        label->Frame.DrawTop = label->Frame.DrawBottom = label->Frame.DrawLeft =
            label->Frame.DrawRight = l.frame;
        label->Color = QColor(230, 240, 255);
        const QRectF r = cell(i++);
        label->Size().ReadValues({r.height(), r.left(), r.top(), r.width()});
        label->setCaption(QString::fromUtf8(l.text));
    }

    QImage img =
        makePageImage(QSize(qRound(4 * cellW * 96 / 254), qRound(4 * cellH * 96 / 254)), 96);
    QPainter painter(&img);
    PainterCanvas canvas(&painter);
    CanvasOutput out(&canvas);
    report.setPrinter(&out);
    for (const auto &c : band->controls())
        c->Print(0, 0);
    painter.end();
    saveForLooking(img, QStringLiteral("controls-96.png"));

    for (int c = 0; c < cells.size(); ++c) {
        const QRectF r = cells[c];
        const QRect device(QPoint(out.XPos(r.left()), out.YPos(r.top())),
                           QPoint(out.XPos(r.right()) - 1, out.YPos(r.bottom()) - 1));
        EXPECT_GT(darkPixels(img, device), 0) << "cell " << c;
        // The padding ring stays white (a frame sits fw outside its label on the left only).
        const QRect inner = device.adjusted(out.XSize(pad) - 2, out.YSize(pad) - 2,
                                            -out.XSize(pad) + 2, -out.YSize(pad) + 2);
        int outside = 0;
        for (int y = device.top(); y <= device.bottom(); ++y) {
            for (int x = device.left(); x <= device.right(); ++x) {
                if (!inner.contains(x, y) && img.pixel(x, y) != qRgb(255, 255, 255))
                    ++outside;
            }
        }
        EXPECT_EQ(outside, 0) << "cell " << c;
    }
}

} // namespace
