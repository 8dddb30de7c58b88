#include <report/emfcanvas.h>
#include <report/pagestoreerror.h>
#include <report/pwpagelist.h>
#include <testsupport/reportsample.h>
#include <testsupport/tempdir.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <QScopeGuard>

#include <cstring>
#include <thread>

using namespace report;

namespace {

EmfPage samplePage(int number)
{
    EmfCanvas canvas(QSize(sample::kSlipWidth, sample::kSlipHeight));
    sample::drawSlipPage(canvas, number);
    return canvas.page();
}

QByteArray storeBytes(TPWPageList &list)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    list.SaveToStream(buffer);
    return buffer.data();
}

quint32 u32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

void putU32(QByteArray &b, qsizetype at, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + at);
}

QByteArray storeOf(int pages, bool compressed)
{
    TPWPageList list;
    list.setCompression(compressed);
    for (int i = 1; i <= pages; ++i)
        list.AddPage(samplePage(i));
    list.Finish();
    return storeBytes(list);
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

/// Offsets of the page records, in chain order.
QList<qsizetype> recordStarts(const QByteArray &store, int headerSize = 128)
{
    QList<qsizetype> starts;
    for (qsizetype pos = headerSize; pos < store.size(); pos = u32At(store, pos + 4))
        starts.append(pos);
    return starts;
}

} // namespace

TEST(TPWPageList, OnePageStoreLayoutByteByByte)
{
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        const EmfPage page = samplePage(1);
        const QByteArray emf = page.bytes();
        const QDateTime before = QDateTime::currentDateTime();
        TPWPageList list;
        list.setCompression(compressed);
        list.AddPage(page);
        list.Finish();
        const QByteArray b = storeBytes(list);

        EXPECT_EQ(qFromLittleEndian<quint16>(b.constData()), 3);
        EXPECT_EQ(qFromLittleEndian<quint16>(b.constData() + 2), 50);
        EXPECT_EQ(u32At(b, 4), 0u);
        EXPECT_EQ(u32At(b, 8), 1u);
        EXPECT_EQ(u32At(b, 12), 0u);
        double written;
        const quint64 bits = qFromLittleEndian<quint64>(b.constData() + 16);
        std::memcpy(&written, &bits, sizeof written);
        const double expected = QDate(1899, 12, 30).daysTo(before.date()) +
                                before.time().msecsSinceStartOfDay() / 86400000.0;
        EXPECT_NEAR(written, expected, 60.0 / 86400); // within a minute
        EXPECT_EQ(b[24], 0);
        EXPECT_EQ(b[25], compressed ? 1 : 0);
        EXPECT_EQ(b.mid(26, 100), QByteArray(100, 'H'));
        EXPECT_EQ(b[126], 0);
        EXPECT_EQ(b[127], 0);

        EXPECT_EQ(u32At(b, 128), 1u);                // page number
        EXPECT_EQ(u32At(b, 132), quint32(b.size())); // next: the end
        EXPECT_EQ(u32At(b, b.size() - 4), 128u);     // start of the only record
        if (compressed) {
            EXPECT_EQ(u32At(b, 136), quint32(emf.size()));
            EXPECT_LT(b.size(), 128 + 4 + 4 + emf.size() + 4);
        } else {
            ASSERT_EQ(b.size(), 128 + 4 + 4 + emf.size() + 4);
            EXPECT_EQ(b.mid(136, emf.size()), emf);
            // The letters of the metafile signature stand 49 bytes after the header.
            EXPECT_EQ(b.mid(177, 3), "EMF");
        }
        auto back = list.GetPage(1);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->bytes(), emf);
    }
}

TEST(TPWPageList, PagesOutsideTheCountAreNone)
{
    TPWPageList list;
    EXPECT_EQ(list.GetPage(1), nullptr);
    list.AddPage(samplePage(1));
    list.AddPage(samplePage(2));
    EXPECT_EQ(list.GetPage(0), nullptr);
    EXPECT_EQ(list.GetPage(-1), nullptr);
    EXPECT_EQ(list.GetPage(3), nullptr);
    EXPECT_NE(list.GetPage(2), nullptr);
}

TEST(TPWPageList, ReadsPagesInAnyOrder)
{
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        TPWPageList list;
        list.setCompression(compressed);
        QList<QByteArray> pages;
        for (int i = 1; i <= 6; ++i) {
            pages.append(samplePage(i).bytes());
            list.AddPage(samplePage(i));
        }
        list.Finish();
        for (int n : {6, 1, 3, 3, 5, 2, 6, 4, 1, 1, 6, 6, 2})
            EXPECT_EQ(list.GetPage(n)->bytes(), pages[n - 1]) << "page " << n;
        // Switching the coding once pages exist would mix coded and plain pages.
        list.setCompression(!compressed);
        EXPECT_EQ(list.Compression(), compressed);
        // Reading right after adding: the stream stands at its end.
        list.AddPage(samplePage(7));
        EXPECT_EQ(list.GetPage(4)->bytes(), pages[3]);
    }
}

// The walk must follow only the fields of its direction: poisoning the fields of the other
// direction in the file on disk, after loading it, must not matter.
TEST(TPWPageList, ChainWalksForwardsThroughNextAndBackwardsThroughStart)
{
    const struct
    {
        int from;
        int to;
        bool poisonNext; // else the start fields
    } walks[] = {
        {5, 3, true}, {1, 5, false}, {2, 4, false}, {4, 2, true}, {5, 1, true},
    };
    testsupport::TempDir dir;
    const QByteArray store = storeOf(5, false);
    const QList<qsizetype> starts = recordStarts(store);
    ASSERT_EQ(starts.size(), 5);
    QList<QByteArray> pages;
    for (int i = 1; i <= 5; ++i)
        pages.append(samplePage(i).bytes());

    for (const auto &w : walks) {
        SCOPED_TRACE(testing::Message() << w.from << " -> " << w.to);
        const QString name = dir.file(QStringLiteral("walk.pwp"));
        writeFile(name, store);
        TPWPageList list;
        list.LoadFromFile(name);
        ASSERT_EQ(list.PageCount(), 5);
        ASSERT_EQ(list.GetPage(w.from)->bytes(), pages[w.from - 1]);

        QByteArray poisoned = store;
        for (int i = 0; i < 5; ++i) {
            if (i + 1 == w.to)
                continue; // the target's own fields are read to load it
            const qsizetype next = u32At(store, starts[i] + 4);
            if (w.poisonNext)
                putU32(poisoned, starts[i] + 4, 0xdeadbeef);
            else if (i != 4) // the final start finds the last record when at the end
                putU32(poisoned, next - 4, 0xdeadbeef);
        }
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_EQ(f.write(poisoned), poisoned.size());
        f.close();

        EXPECT_EQ(list.GetPage(w.to)->bytes(), pages[w.to - 1]);
        // Walking the poisoned direction fails cleanly.
        if (w.poisonNext)
            EXPECT_THROW(list.GetPage(5), PageStoreError);
        else
            EXPECT_THROW(list.GetPage(2), PageStoreError);
    }
}

TEST(TPWPageList, MovesIntoAPrivateTemporaryFileAndRemovesIt)
{
    QString tempName;
    QList<QByteArray> pages;
    {
        TPWPageList list; // 250000 bytes by default
        int n = 0;
        while (list.tempFileName().isEmpty()) {
            ASSERT_LT(n, 500);
            const EmfPage page = samplePage(++n);
            pages.append(page.bytes());
            list.AddPage(page);
        }
        tempName = list.tempFileName();
        const QFileInfo info(tempName);
        EXPECT_TRUE(info.exists());
        EXPECT_TRUE(info.fileName().startsWith(QStringLiteral("PWP")));
        EXPECT_EQ(QDir(info.absolutePath()).canonicalPath(),
                  QDir(QDir::tempPath()).canonicalPath());
        EXPECT_EQ(info.permissions() &
                      ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                  QFile::Permissions());
        EXPECT_GT(info.size(), 250000);
        // Pages before and after the move read back identical.
        list.AddPage(samplePage(n + 1));
        pages.append(samplePage(n + 1).bytes());
        list.Finish();
        for (int i = pages.size(); i >= 1; i -= 7)
            EXPECT_EQ(list.GetPage(i)->bytes(), pages[i - 1]);
        EXPECT_EQ(list.GetPage(1)->bytes(), pages[0]);
    }
    EXPECT_FALSE(QFile::exists(tempName));

    // A run that fails releases its store on the way out: the file goes too.
    try {
        TPWPageList list(1000);
        list.AddPage(samplePage(1));
        tempName = list.tempFileName();
        ASSERT_TRUE(QFile::exists(tempName));
        throw PageStoreError("report run failed");
    } catch (const PageStoreError &) {
    }
    EXPECT_FALSE(QFile::exists(tempName));

    // Clearing drops the temporary file as well.
    TPWPageList list(1000);
    list.AddPage(samplePage(1));
    tempName = list.tempFileName();
    list.Clear();
    EXPECT_FALSE(QFile::exists(tempName));
    EXPECT_TRUE(list.tempFileName().isEmpty());
}

TEST(TPWPageList, FailedMoveToTemporaryFileLeavesNothingAndKeepsThePages)
{
    const QByteArray savedTmp = qgetenv("TMPDIR");
    testsupport::TempDir dir;
    const QString missing = dir.file(QStringLiteral("no/such/folder"));
    qputenv("TMPDIR", missing.toLocal8Bit());
    TPWPageList list(1000);
    EXPECT_THROW(list.AddPage(samplePage(1)), PageStoreError);
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
    EXPECT_TRUE(list.tempFileName().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
    // The next run starts afresh and works.
    list.Clear();
    list.AddPage(samplePage(2));
    EXPECT_EQ(list.GetPage(1)->bytes(), samplePage(2).bytes());
}

// A page whose record fails half-way (here the move into a temporary file, as with a full
// disk) is not counted and leaves nothing of itself: the pages before it read in both
// directions and the next page follows as if nothing had happened.
TEST(TPWPageList, FailedAddPageLeavesTheStoreAsItWas)
{
    const QByteArray savedTmp = qgetenv("TMPDIR");
    const auto restoreTmp = qScopeGuard([&] {
        if (savedTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTmp);
    });
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        const qsizetype twoPages = storeOf(2, compressed).size();
        testsupport::TempDir dir;
        qputenv("TMPDIR", dir.file(QStringLiteral("no/such/folder")).toLocal8Bit());
        TPWPageList list(twoPages + 100); // the third page moves the store into a file
        list.setCompression(compressed);
        list.AddPage(samplePage(1));
        list.AddPage(samplePage(2));
        EXPECT_THROW(list.AddPage(samplePage(3)), PageStoreError);
        EXPECT_EQ(list.PageCount(), 2);
        for (int n : {2, 1, 2})
            EXPECT_EQ(list.GetPage(n)->bytes(), samplePage(n).bytes()) << "page " << n;

        qputenv("TMPDIR", dir.path().toLocal8Bit());
        list.AddPage(samplePage(3));
        list.Finish();
        EXPECT_EQ(list.PageCount(), 3);
        for (int n : {3, 1, 2})
            EXPECT_EQ(list.GetPage(n)->bytes(), samplePage(n).bytes()) << "page " << n;
        // Byte for byte what a store that never failed holds, but for the header's time.
        EXPECT_EQ(storeBytes(list).mid(128), storeOf(3, compressed).mid(128));
    }
}

TEST(TPWPageList, SavesAndLoadsIdenticalPages)
{
    testsupport::TempDir dir;
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        TPWPageList list;
        list.setCompression(compressed);
        for (int i = 1; i <= 4; ++i)
            list.AddPage(samplePage(i));
        list.Finish();
        const QString name = dir.file(QStringLiteral("report.pwp"));
        writeFile(name, "an older file that is longer than the new one will be" +
                            QByteArray(100000, 'x'));
        list.SaveToFile(name);
        EXPECT_EQ(QFileInfo(name).size(), storeBytes(list).size());

        TPWPageList loaded;
        loaded.LoadFromFile(name);
        EXPECT_EQ(loaded.PageCount(), 4);
        EXPECT_EQ(loaded.Compression(), compressed);
        EXPECT_EQ(loaded.headerSize(), 128);
        for (int n : {4, 1, 3, 2})
            EXPECT_EQ(loaded.GetPage(n)->bytes(), samplePage(n).bytes());

        QBuffer buffer;
        buffer.setData(storeBytes(list));
        buffer.open(QIODevice::ReadOnly);
        TPWPageList fromStream;
        fromStream.LoadFromStream(buffer);
        EXPECT_EQ(fromStream.PageCount(), 4);
        EXPECT_EQ(fromStream.GetPage(2)->bytes(), samplePage(2).bytes());
    }
}

TEST(TPWPageList, LoadedFileIsNeverWritten)
{
    testsupport::TempDir dir;
    const QString name = dir.file(QStringLiteral("kept.pwp"));
    const QByteArray store = storeOf(2, false);
    writeFile(name, store);
    TPWPageList list;
    list.LoadFromFile(name);
    list.AddPage(samplePage(3));
    list.Finish();
    EXPECT_EQ(list.PageCount(), 3);
    EXPECT_EQ(list.GetPage(3)->bytes(), samplePage(3).bytes());
    EXPECT_EQ(list.GetPage(1)->bytes(), samplePage(1).bytes());
    list.Clear();
    list.AddPage(samplePage(4));
    EXPECT_EQ(list.PageCount(), 1);
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), store);
}

// Files whose header is shorter than ours are found through the metafile signature of the
// first page, 49 bytes after the header.
TEST(TPWPageList, LoadsFilesWithOtherHeaderSizes)
{
    const struct
    {
        int headerSize;
        int expectedPages;
    } cases[] = {{124, 3}, {120, 1}, {96, 3}, {60, 3}, {128, 3}};
    const QByteArray store = storeOf(3, false);
    testsupport::TempDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.headerSize);
        // Rebuild the store behind a header of the given size, moving every offset with it.
        const int shift = 128 - c.headerSize;
        QByteArray file = store.left(c.headerSize);
        QByteArray body = store.mid(128);
        for (qsizetype pos = 128; pos < store.size(); pos = u32At(store, pos + 4)) {
            const qsizetype next = u32At(store, pos + 4);
            putU32(body, pos - 128 + 4, quint32(next - shift));
            putU32(body, next - 4 - 128, quint32(pos - shift));
        }
        file += body;
        ASSERT_EQ(file.mid(c.headerSize + 49, 3), "EMF");
        const QString name = dir.file(QStringLiteral("h%1.pwp").arg(c.headerSize));
        writeFile(name, file);
        TPWPageList list;
        list.LoadFromFile(name);
        EXPECT_EQ(list.headerSize(), c.headerSize);
        EXPECT_EQ(list.PageCount(), c.expectedPages);
        for (int n = c.expectedPages; n >= 1; --n)
            EXPECT_EQ(list.GetPage(n)->bytes(), samplePage(n).bytes());
    }
}

TEST(TPWPageList, HeaderPageCountDecidesForFullHeaders)
{
    QByteArray store = storeOf(3, false);
    putU32(store, 8, 2);
    testsupport::TempDir dir;
    writeFile(dir.file(QStringLiteral("two.pwp")), store);
    TPWPageList list;
    list.LoadFromFile(dir.file(QStringLiteral("two.pwp")));
    EXPECT_EQ(list.PageCount(), 2);
    EXPECT_EQ(list.GetPage(2)->bytes(), samplePage(2).bytes());
    EXPECT_EQ(list.GetPage(3), nullptr);
}

TEST(TPWPageList, MalformedFilesGiveErrorsAndKeepThePreviousPages)
{
    const QByteArray plain = storeOf(3, false);
    const QByteArray packed = storeOf(2, true);
    const QList<qsizetype> starts = recordStarts(plain);
    const qsizetype second = starts[1];
    const qsizetype packedFirst = 128;

    struct Case
    {
        const char *name;
        QByteArray bytes;
    };
    QList<Case> cases;
    auto mutated = [&](const char *name, QByteArray base, auto change) {
        change(base);
        cases.append({name, base});
    };
    cases.append({"empty", QByteArray()});
    cases.append({"header only, says 3 pages", plain.left(128)});
    cases.append({"no signature, garbage", QByteArray(5000, 'z')});
    mutated("count larger than the chain", plain, [](QByteArray &b) { putU32(b, 8, 4); });
    mutated("count huge", plain, [](QByteArray &b) { putU32(b, 8, 0x7fffffff); });
    mutated("next points back to itself", plain,
            [&](QByteArray &b) { putU32(b, second + 4, quint32(second)); });
    mutated("next points into the previous record", plain,
            [&](QByteArray &b) { putU32(b, second + 4, 130); });
    mutated("next beyond the end", plain,
            [&](QByteArray &b) { putU32(b, second + 4, 0xfffffff0u); });
    mutated("start offset wrong", plain,
            [&](QByteArray &b) { putU32(b, u32At(b, second + 4) - 4, 128); });
    mutated("page numbers out of order", plain, [&](QByteArray &b) { putU32(b, second, 7); });
    mutated("metafile record with a huge size", plain,
            [&](QByteArray &b) { putU32(b, u32At(b, second + 4) - 4 - 20 + 4, 0x7ffffff0u); });
    mutated("expanded length huge", packed,
            [&](QByteArray &b) { putU32(b, packedFirst + 8, 0xfffffff0u); });
    mutated("expanded length beyond the coded bits", packed, [&](QByteArray &b) {
        const qsizetype coded = u32At(b, packedFirst + 4) - packedFirst - 16;
        putU32(b, packedFirst + 8, quint32(coded * 8 + 1));
    });
    mutated("metafile signature of the last page spoiled", plain,
            [&](QByteArray &b) { b[starts[2] + 8 + 41] = 'X'; });
    for (qsizetype cut = 1; cut < plain.size(); cut += plain.size() / 37)
        cases.append({"truncated", plain.left(cut)});

    testsupport::TempDir dir;
    const QString name = dir.file(QStringLiteral("bad.pwp"));
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " (" << c.bytes.size() << " bytes)");
        TPWPageList list;
        list.AddPage(samplePage(9));
        writeFile(name, c.bytes);
        bool failed = false;
        bool loaded = false;
        try {
            list.LoadFromFile(name);
            loaded = true;
            // What loads must read back or fail cleanly page by page.
            for (int n = 1; n <= list.PageCount(); ++n)
                list.GetPage(n);
        } catch (const std::runtime_error &e) {
            failed = true;
            EXPECT_GT(std::strlen(e.what()), 10u);
        }
        EXPECT_TRUE(failed);
        if (!loaded) {
            // The load itself failed: the page shown before is still there, byte for byte.
            ASSERT_EQ(list.PageCount(), 1);
            EXPECT_EQ(list.headerSize(), 128);
            auto kept = list.GetPage(1);
            ASSERT_TRUE(kept);
            EXPECT_EQ(kept->bytes(), samplePage(9).bytes());
        }
    }
}

// A page that fails half way through its record must not spoil the walks after it.
TEST(TPWPageList, ReadingGoesOnAfterABadPage)
{
    QByteArray store = storeOf(3, true);
    const QList<qsizetype> starts = recordStarts(store);
    // Page 2 claims more expanded bytes than its coded bits can hold: the expander runs dry in
    // the middle of the record.
    const qsizetype coded = u32At(store, starts[1] + 4) - starts[1] - 16;
    putU32(store, starts[1] + 8, quint32(coded * 8));
    testsupport::TempDir dir;
    writeFile(dir.file(QStringLiteral("bad2.pwp")), store);
    TPWPageList list;
    list.LoadFromFile(dir.file(QStringLiteral("bad2.pwp")));
    for (int round = 0; round < 2; ++round) {
        EXPECT_THROW(list.GetPage(2), PageStoreError);
        EXPECT_EQ(list.GetPage(3)->bytes(), samplePage(3).bytes());
        EXPECT_THROW(list.GetPage(2), PageStoreError);
        EXPECT_EQ(list.GetPage(1)->bytes(), samplePage(1).bytes());
    }
}

TEST(TPWPageList, ReadsWhileAnotherThreadAppends)
{
    TPWPageList list(20000);
    const QByteArray first = samplePage(1).bytes();
    list.AddPage(samplePage(1));
    std::thread writer([&] {
        for (int i = 2; i <= 40; ++i)
            list.AddPage(samplePage(i));
    });
    int reads = 0;
    while (list.PageCount() < 40 || reads < 40) {
        const int n = reads % list.PageCount() + 1;
        auto page = list.GetPage(n);
        ASSERT_TRUE(page);
        if (n == 1) {
            EXPECT_EQ(page->bytes(), first);
        }
        ++reads;
    }
    writer.join();
    EXPECT_EQ(list.GetPage(40)->bytes(), samplePage(40).bytes());
}
