// Benchmark of recorded pages and the page store: a 1,000-page report of slip-like pages is
// recorded, stored (moving into the temporary file past the memory limit, as in a real run)
// and read back at random.

#include <report/emfcanvas.h>
#include <report/pwpagelist.h>
#include <testsupport/reportsample.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>

#include <cstdio>

using namespace report;

namespace {

constexpr int kPages = 1000;

qint64 fillStore(TPWPageList &list)
{
    qint64 emfBytes = 0;
    for (int n = 1; n <= kPages; ++n) {
        EmfCanvas canvas(QSize(sample::kSlipWidth, sample::kSlipHeight));
        sample::drawSlipPage(canvas, n);
        const EmfPage page = canvas.page();
        emfBytes += page.bytes().size();
        list.AddPage(page);
    }
    list.Finish();
    return emfBytes;
}

qint64 storeSize(TPWPageList &list)
{
    // The last page's record ends the store; its next field is the store's size.
    QByteArray all;
    QBuffer buffer(&all);
    buffer.open(QIODevice::WriteOnly);
    list.SaveToStream(buffer);
    return all.size();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    {
        // Warm up fonts and caches outside the timing.
        TPWPageList warm;
        EmfCanvas canvas(QSize(sample::kSlipWidth, sample::kSlipHeight));
        sample::drawSlipPage(canvas, 0);
        warm.AddPage(canvas.page());
    }

    TPWPageList plain;
    QElapsedTimer timer;
    timer.start();
    const qint64 emfBytes = fillStore(plain);
    const double recordSeconds = timer.nsecsElapsed() / 1e9;
    const qint64 plainSize = storeSize(plain);

    // Random access, on the store that now lives in its temporary file.
    QRandomGenerator gen(20261210);
    const int reads = 500;
    timer.restart();
    for (int i = 0; i < reads; ++i) {
        auto page = plain.GetPage(int(gen.bounded(kPages)) + 1);
        if (!page)
            return 1;
    }
    const double randomMs = timer.nsecsElapsed() / 1e6 / reads;

    TPWPageList packed;
    packed.setCompression(true);
    fillStore(packed);
    const qint64 packedSize = storeSize(packed);
    if (packed.GetPage(kPages / 2)->bytes() != plain.GetPage(kPages / 2)->bytes())
        return 1;

    std::printf("pages_per_s: %.0f\n", kPages / recordSeconds);
    std::printf("bytes_per_page: %lld\n", static_cast<long long>(emfBytes / kPages));
    std::printf("random_page_ms: %.3f\n", randomMs);
    std::printf("compression_ratio: %.2f\n", double(plainSize) / double(packedSize));
    return 0;
}
