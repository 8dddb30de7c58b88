// Fuzz target: a report file as it comes from outside. Loading and reading its pages may fail
// with an error, but must never crash, hang or allocate without bound.

#include "fuzzsupport.h"
#include <report/pwpagelist.h>

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QTemporaryFile>

#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

QTemporaryFile *reportFile()
{
    static QTemporaryFile *file = [] {
        // Shared memory when there is one: rewriting a file on disk for every input is slow.
        const QString folder = QDir(QStringLiteral("/dev/shm")).exists()
                                   ? QStringLiteral("/dev/shm")
                                   : QDir::tempPath();
        auto *f = new QTemporaryFile(folder + QStringLiteral("/fuzz-XXXXXX.pwp"));
        f->open();
        return f;
    }();
    return file;
}

void readPages(report::TPWPageList &list)
{
    const int count = list.PageCount();
    // Jumps in both directions, then the first pages in order; each page may fail alone.
    const int order[] = {count, 1, count / 2 + 1, count - 1, 2, 3, count};
    for (int n : order) {
        try {
            if (auto page = list.GetPage(n))
                page->textItems();
        } catch (const std::exception &) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // From a stream into a store of our own. A limit above any input keeps the store in
    // memory: temporary files are tested elsewhere.
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        report::TPWPageList list(64 * 1024 * 1024);
        try {
            list.LoadFromStream(buffer);
            readPages(list);
        } catch (const std::exception &) {
        }
    }

    // From a file, read where it lies, as the preview loads report files.
    QTemporaryFile *file = reportFile();
    if (!file->resize(0) || !file->seek(0) || file->write(bytes) != bytes.size() || !file->flush())
        return 0;
    report::TPWPageList list;
    try {
        list.LoadFromFile(file->fileName());
        readPages(list);
    } catch (const std::exception &) {
    }
    return 0;
}
