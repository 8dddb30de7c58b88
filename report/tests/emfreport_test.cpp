// A report built from a definition file, recorded into pages, stored, saved, loaded and played
// back: the whole road of a previewed report through recorded pages.

#include <report/definition.h>
#include <report/emfcanvas.h>
#include <report/paintercanvas.h>
#include <report/pwband.h>
#include <report/pwlabel.h>
#include <report/pwoutput.h>
#include <report/pwpagelist.h>
#include <report/pwreport.h>
#include <testsupport/tempdir.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>

using namespace report;

namespace {

// Prints the bands of the sample report where the slip layout puts them: title at 100, detail
// at 603, page footer at 1187, all at x 100 (tenths of a millimetre).
void printSample(Canvas &canvas, int slipNumber)
{
    DefinitionHandlers handlers;
    const auto report =
        loadDefinitionFile(QStringLiteral(REPORT_TEST_DATA "/sample.json"), handlers);
    report->control<TPWLabel>(QStringLiteral("TKNAME"))
        ->setCaption(QStringLiteral("株式会社ゾリカ商店　様"));
    report->control<TPWLabel>(QStringLiteral("TAITOL"))->setCaption(QStringLiteral("御 納 品 書"));
    report->control<TPWLabel>(QStringLiteral("HINMEI1"))
        ->setCaption(QStringLiteral("ボールペン（黒）十本入り No.%1").arg(slipNumber));

    CanvasOutput out(&canvas);
    report->setPrinter(&out);
    for (TPWPrintable *p : report->allPrintables())
        p->Prepare();
    const int ys[] = {100, 603, 1187};
    int i = 0;
    for (const auto &band : report->bands()) {
        const int y = ys[i++];
        for (const auto &c : band->controls())
            c->Print(100, y);
    }
    for (TPWPrintable *p : report->allPrintables())
        p->UnPrepare();
}

constexpr QSize kSlip(794, 559);

QImage direct(int slipNumber)
{
    QImage image = makePageImage(kSlip, 96);
    QPainter painter(&image);
    PainterCanvas canvas(&painter, QSize(96, 96));
    printSample(canvas, slipNumber);
    return image;
}

QImage played(const EmfPage &page)
{
    QImage image = makePageImage(page.pixelSize(), 96);
    QPainter painter(&image);
    page.play(painter, QRectF(QPointF(0, 0), QSizeF(page.pixelSize())));
    return image;
}

EmfPage recorded(int slipNumber)
{
    EmfCanvas canvas(kSlip);
    printSample(canvas, slipNumber);
    return canvas.page();
}

int differingPixels(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 48;
    return n;
}

// With ZD_RENDER_DIR set, the page is written there as a metafile (to open in another
// reader) and as the image our player makes of it.
void saveForLooking(const EmfPage &page)
{
    const QByteArray dir = qgetenv("ZD_RENDER_DIR");
    if (dir.isEmpty())
        return;
    const QDir folder(QString::fromLocal8Bit(dir));
    QFile f(folder.filePath(QStringLiteral("recorded-slip.emf")));
    if (f.open(QIODevice::WriteOnly))
        f.write(page.bytes());
    played(page).save(folder.filePath(QStringLiteral("recorded-slip.png")));
}

} // namespace

TEST(RecordedReport, PagesPlayBackLikeTheDirectPrintAfterSavingAndLoading)
{
    testsupport::TempDir dir;
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        TPWPageList store;
        store.setCompression(compressed);
        for (int n = 1; n <= 3; ++n)
            store.AddPage(recorded(n));
        store.Finish();
        const QString name = dir.file(QStringLiteral("slips.pwp"));
        store.SaveToFile(name);

        TPWPageList loaded;
        loaded.LoadFromFile(name);
        ASSERT_EQ(loaded.PageCount(), 3);
        for (int n : {2, 3, 1}) {
            SCOPED_TRACE(n);
            const auto page = loaded.GetPage(n);
            ASSERT_TRUE(page);
            EXPECT_EQ(page->bytes(), recorded(n).bytes());
            EXPECT_EQ(page->pixelSize(), kSlip);
            const QImage expected = direct(n);
            EXPECT_LT(differingPixels(played(*page), expected), 40);
            if (n == 1 && !compressed)
                saveForLooking(*page);
        }
    }
}

TEST(RecordedReport, EveryLabelLineIsATextItem)
{
    const QList<EmfTextItem> items = recorded(5).textItems();
    QStringList texts;
    for (const EmfTextItem &item : items) {
        texts.append(item.text);
        EXPECT_TRUE(QRect(QPoint(0, 0), kSlip).contains(item.position)) << qPrintable(item.text);
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("株式会社ゾリカ商店　様")));
    EXPECT_TRUE(texts.contains(QStringLiteral("御 納 品 書")));
    EXPECT_TRUE(texts.join(QString()).contains(QStringLiteral("No.5")));
}
