// Benchmark of the A4 slip's preview: from the A4 button's work (filling the report,
// generating its page, opening the preview) to page 1 painted on the screen, and the repaint
// after a zoom or page change. Medians of several runs.

#include <printing/pwdenpyo.h>
#include <report/fonts.h>
#include <report/pdfprinter.h>
#include <report/pwpreview.h>
#include <report/pwstandardpreview.h>
#include <ui/zdapplication.h>

#include <QAction>
#include <QElapsedTimer>
#include <QLocale>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace report;

namespace {

printing::SlipTexts slip()
{
    printing::SlipTexts s;
    s.kind = QStringLiteral("御 納 品 書");
    s.ymd = QStringLiteral("2014/06/10");
    s.name = QStringLiteral("株式会社ゾリカ商店");
    for (int r = 0; r < 7; ++r)
        s.lines[size_t(r)] = {QStringLiteral("ボールペン（黒）十本入り %1").arg(r + 1),
                              QString::number(r + 2), QStringLiteral("1,280"),
                              QStringLiteral("%L1").arg((r + 2) * 1280), QStringLiteral("至急")};
    s.gokei = QStringLiteral("40,960");
    s.tax = QStringLiteral("4,096");
    s.total = QStringLiteral("45,056");
    return s;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Watches the paints of the preview's page image.
class PaintWatch : public QObject
{
public:
    std::function<void()> onPainted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint &&
            watched->objectName() == QLatin1String("PreviewImage") && onPainted) {
            // Queued: runs once the paint has been done.
            QTimer::singleShot(0, this, [this] {
                if (onPainted)
                    onPainted();
            });
        }
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::ZdApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installFontSubstitutions();
    setPrinterFactory([] { return std::make_unique<PdfPrinter>(); });
    printing::Issuer issuer;
    issuer.name = QStringLiteral("ゾリカ文具店");
    issuer.zip = QStringLiteral("150-0001");
    issuer.addr = QStringLiteral("東京都渋谷区神宮前1-2-3");
    issuer.tel = QStringLiteral("03-1234-5678");
    issuer.fax = QStringLiteral("03-1234-5679");

    PaintWatch watch;
    app.installEventFilter(&watch);
    std::vector<double> toPreview;
    std::vector<double> repaint;
    constexpr int Runs = 9;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer clock;
        bool measured = false;
        watch.onPainted = [&] {
            if (measured)
                return;
            measured = true;
            toPreview.push_back(clock.nsecsElapsed() / 1e6);
            auto *preview = qobject_cast<TPWStandardPreview *>(QApplication::activeModalWidget());
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (!preview)
                    preview = qobject_cast<TPWStandardPreview *>(w);
            }
            if (!preview)
                return;
            // Zoom and page changes, each painted at once.
            TPWPreview *view = preview->PWPreview;
            static const int zooms[] = {100, 150, 75, 200, 96, 120};
            for (int i = 0; i < 12; ++i) {
                QElapsedTimer t;
                t.start();
                if (i % 3 == 2) {
                    view->UpdateImage(); // the page fetched and drawn again
                } else {
                    view->setZoom(zooms[i % 6]);
                }
                view->image()->repaint();
                repaint.push_back(t.nsecsElapsed() / 1e6);
            }
            preview->ExitButton->click();
        };
        clock.start();
        printing::previewA4(nullptr, slip(), issuer);
        QApplication::processEvents();
    }
    watch.onPainted = nullptr;
    std::printf("a4_to_preview_ms: %.1f\n", median(toPreview));
    std::printf("repaint_ms: %.1f\n", median(repaint));
    return 0;
}
