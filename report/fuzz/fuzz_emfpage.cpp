// Fuzz target: a recorded page (enhanced metafile) from a report file. Checking, enumerating
// and playing it onto an image and into a recorder must never crash or hang.

#include "fuzzsupport.h"
#include <report/emfcanvas.h>
#include <report/emfpage.h>
#include <report/paintercanvas.h>

#include <QByteArray>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const report::EmfPage page = report::EmfPage::fromBytes(bytes);
        page.textItems();
        // A small image keeps the painter's work small; the page is stretched onto it.
        QImage image = report::makePageImage(QSize(96, 64), 96);
        {
            QPainter painter(&image);
            page.play(painter, QRectF(4, 4, 88, 56));
        }
        report::EmfCanvas recorder(page.pixelSize());
        page.play(recorder);
        report::EmfPage::fromBytes(recorder.bytes());
    } catch (const report::EmfError &) {
    }
    return 0;
}
