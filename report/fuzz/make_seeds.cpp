// Writes the seed corpus of the fuzz targets: small report files and recorded pages made by
// the real recorder and page store.
//
//   make_seeds <corpus folder>   ->  <folder>/pwp/*.pwp and <folder>/emf/*.emf

#include <report/emfcanvas.h>
#include <report/pwpagelist.h>
#include <testsupport/reportsample.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

using namespace report;

namespace {

bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

EmfPage smallPage(int variant)
{
    // Small pages keep the fuzzer fast; each still has fonts, pens, brushes, text and shapes.
    EmfCanvas c(QSize(200, 120));
    CanvasFont font;
    font.height = -12;
    font.charset = 128;
    c.setFont(font);
    c.setTextAlign(variant % 2 ? taRight | taBaseline : taLeft | taTop);
    c.setBackgroundTransparent(variant % 3 == 0);
    c.textOut(100, 20, QStringLiteral("納品書 %1").arg(variant));
    c.setPen(CanvasPen{Qt::blue, variant % 3 + 1, CanvasPen::Style(variant % 7)});
    c.setBrush(CanvasBrush{Qt::yellow, CanvasBrush::Style(variant % 8)});
    c.rectangle(QRect(10, 40, 60, 30));
    c.ellipse(QRect(80, 40, 40, 30));
    c.roundRect(QRect(130, 40, 60, 30), 10, 8);
    c.fillRect(QRect(10, 80, 50, 10));
    c.moveTo(10, 100);
    c.lineTo(190, 100);
    c.resetClip();
    return c.page();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus folder>\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    root.mkpath(QStringLiteral("pwp"));
    root.mkpath(QStringLiteral("emf"));
    bool ok = true;

    for (int v = 0; v < 4; ++v)
        ok &= writeFile(root.filePath(QStringLiteral("emf/small%1.emf").arg(v)),
                        smallPage(v).bytes());
    {
        EmfCanvas c(QSize(sample::kSlipWidth, sample::kSlipHeight));
        sample::drawSlipPage(c, 1);
        ok &= writeFile(root.filePath(QStringLiteral("emf/slip.emf")), c.bytes());
    }

    for (const bool compressed : {false, true}) {
        for (const int pages : {1, 3}) {
            TPWPageList list;
            list.setCompression(compressed);
            for (int i = 0; i < pages; ++i)
                list.AddPage(smallPage(i));
            list.Finish();
            ok &= (list.SaveToFile(root.filePath(QStringLiteral("pwp/%1%2.pwp")
                                                     .arg(compressed ? "packed" : "plain")
                                                     .arg(pages))),
                   true);
        }
    }
    return ok ? 0 : 1;
}
