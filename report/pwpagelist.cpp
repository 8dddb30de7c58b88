#include <report/pwpagelist.h>

#include <report/pagestoreerror.h>
#include <report/pwcompress.h>

#include <QDateTime>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace report {

namespace {

// A recorded page larger than this is not one of ours; refusing it keeps a hostile length
// field from making us allocate without bound.
constexpr qint64 kMaxPageBytes = qint64(64) * 1024 * 1024;

[[noreturn]] void corrupt(const std::string &what)
{
    throw PageStoreError("Invalid report file: " + what);
}

double daysSince1899(const QDateTime &t)
{
    static const QDate epoch(1899, 12, 30);
    return double(epoch.daysTo(t.date())) + t.time().msecsSinceStartOfDay() / 86400000.0;
}

} // namespace

TPWPageList::TPWPageList(qint64 memoryLimit)
    : m_memoryLimit(memoryLimit)
    , m_stream(std::make_unique<TPWStream>(memoryLimit))
{}

TPWPageList::~TPWPageList() = default;

int TPWPageList::PageCount() const
{
    QMutexLocker locker(&m_lock);
    return m_pageCount;
}

bool TPWPageList::Compression() const
{
    QMutexLocker locker(&m_lock);
    return m_compression;
}

void TPWPageList::setCompression(bool on)
{
    QMutexLocker locker(&m_lock);
    // Pages of one store are all coded or all plain: the flag is in the header, once.
    if (m_pageCount == 0)
        m_compression = on;
}

int TPWPageList::headerSize() const
{
    QMutexLocker locker(&m_lock);
    return m_headerSize;
}

qint64 TPWPageList::memoryLimit() const
{
    QMutexLocker locker(&m_lock);
    return m_memoryLimit;
}

void TPWPageList::setMemoryLimit(qint64 limit)
{
    QMutexLocker locker(&m_lock);
    m_memoryLimit = limit;
    if (m_stream->inMemory() && !m_stream->isReadOnly())
        m_stream->setMemoryLimit(limit);
}

QString TPWPageList::tempFileName() const
{
    QMutexLocker locker(&m_lock);
    return m_stream->tempFileName();
}

void TPWPageList::writeHeader(int pageCount)
{
    char header[HeaderSize] = {};
    qToLittleEndian<quint16>(3, header);
    qToLittleEndian<quint16>(50, header + 2);
    qToLittleEndian<quint32>(quint32(pageCount), header + 8);
    const double now = daysSince1899(QDateTime::currentDateTime());
    quint64 bits;
    std::memcpy(&bits, &now, sizeof bits);
    qToLittleEndian<quint64>(bits, header + 16);
    header[25] = m_compression ? 1 : 0;
    std::memset(header + 26, 'H', 100);
    m_stream->Seek(0);
    m_stream->WriteBuffer(header, HeaderSize);
}

void TPWPageList::ensureWritable()
{
    if (!m_stream->isReadOnly())
        return;
    // A loaded report file is never written to: the pages move into a store of our own first.
    auto copy = std::make_unique<TPWStream>(m_memoryLimit);
    const qint64 size = m_stream->Size();
    m_stream->Seek(0);
    char block[10240];
    for (qint64 done = 0; done < size;) {
        const qint64 n = std::min<qint64>(sizeof block, size - done);
        m_stream->ReadBuffer(block, n);
        copy->WriteBuffer(block, n);
        done += n;
    }
    m_stream = std::move(copy);
}

void TPWPageList::AddPage(const EmfPage &page)
{
    QMutexLocker locker(&m_lock);
    ensureWritable();
    const QByteArray &emf = page.bytes();
    const int number = m_pageCount + 1;
    // A page is counted only once its record is complete. Any failure on the way (no
    // temporary file, a full disk) cuts the store back to where the record began, so the
    // count and the backward walk from the end stay right and a later page can follow.
    const qint64 sizeBefore = number == 1 ? 0 : m_stream->Size();
    try {
        if (number == 1) {
            m_stream->truncate(0);
            m_headerSize = HeaderSize;
            writeHeader(1);
        }
        const qint64 start = m_stream->Seek(0, TPWStream::FromEnd);
        m_stream->writeUInt32(std::uint32_t(number));
        const qint64 nextField = m_stream->Position();
        m_stream->writeUInt32(0);
        if (m_compression) {
            m_stream->writeUInt32(std::uint32_t(emf.size()));
            TPWCompress coder(*m_stream, TPWCompress::Coding);
            for (char c : emf)
                coder.Compress(std::uint8_t(c));
            coder.flush();
        } else {
            m_stream->WriteBuffer(emf.constData(), emf.size());
        }
        m_stream->writeUInt32(std::uint32_t(start));
        const qint64 end = m_stream->Position();
        if (end > qint64(UINT32_MAX))
            throw PageStoreError("Page store too large");
        m_stream->Seek(nextField);
        m_stream->writeUInt32(std::uint32_t(end));
        m_stream->Seek(end);
    } catch (...) {
        m_cursor = -1;
        try {
            m_stream->truncate(sizeBefore);
            m_stream->Seek(0, TPWStream::FromEnd);
        } catch (const std::exception &) {
            // The store cannot even be cut back: it keeps its pages up to the count, and the
            // first error is the one to report.
        }
        throw;
    }
    m_cursor = -1;
    m_pageCount = number;
}

std::uint32_t TPWPageList::readAt(qint64 offset)
{
    if (offset < 0 || offset + 4 > m_stream->Size())
        corrupt("an offset points outside the file");
    m_stream->Seek(offset);
    return m_stream->readUInt32();
}

qint64 TPWPageList::locatePage(int n)
{
    if (n == 1)
        return m_headerSize;
    const qint64 size = m_stream->Size();
    qint64 pos = m_cursor;
    if (pos >= size || pos < m_headerSize)
        pos = readAt(size - 4);
    std::uint32_t number = readAt(pos);
    // Offsets must move strictly in the direction walked, so a chain that loops is caught;
    // the step count is a second guard.
    for (int steps = 0; number != std::uint32_t(n); ++steps) {
        if (steps > m_pageCount + 1)
            corrupt("the page chain does not lead to page " + std::to_string(n));
        if (number < std::uint32_t(n)) {
            const qint64 next = readAt(pos + 4);
            if (next < pos + 12)
                corrupt("the page chain runs backwards");
            pos = next;
        } else {
            if (pos - 4 < m_headerSize)
                corrupt("the page chain ends before page " + std::to_string(n));
            const qint64 previous = readAt(pos - 4);
            if (previous >= pos || previous < m_headerSize)
                corrupt("the page chain runs forwards");
            pos = previous;
        }
        number = readAt(pos);
    }
    return pos;
}

std::unique_ptr<EmfPage> TPWPageList::GetPage(int n)
{
    QMutexLocker locker(&m_lock);
    if (n < 1 || n > m_pageCount)
        return nullptr;
    // The walk starts where the last successful read ended, not where the stream stands: a
    // read that fails leaves the stream anywhere inside a record.
    return readPage(n);
}

std::unique_ptr<EmfPage> TPWPageList::readPage(int n)
{
    const qint64 size = m_stream->Size();
    const qint64 pos = locatePage(n);
    if (readAt(pos) != std::uint32_t(n))
        corrupt("page " + std::to_string(n) + " is not where the chain says");
    const qint64 next = m_stream->readUInt32();
    if (next < pos + 12 || next > size)
        corrupt("page " + std::to_string(n) + " has a wrong length");
    const qint64 pageBytes = next - pos - 12;
    if (pageBytes > kMaxPageBytes)
        corrupt("page " + std::to_string(n) + " is too large");

    QByteArray emf;
    if (m_compression) {
        if (pageBytes < 4)
            corrupt("page " + std::to_string(n) + " has no length");
        const qint64 length = m_stream->readUInt32();
        // Every coded byte takes at least one bit.
        if (length > kMaxPageBytes || length > (pageBytes - 4) * 8)
            corrupt("page " + std::to_string(n) + " has a wrong expanded length");
        emf.resize(qsizetype(length));
        TPWCompress expander(*m_stream, TPWCompress::Expanding, next - 4);
        for (qsizetype i = 0; i < emf.size(); ++i)
            emf[i] = char(expander.Expand());
    } else {
        emf.resize(qsizetype(pageBytes));
        m_stream->ReadBuffer(emf.data(), pageBytes);
    }
    if (readAt(next - 4) != std::uint32_t(pos))
        corrupt("page " + std::to_string(n) + " does not end with its start offset");
    m_cursor = next; // the walk to the next page read starts at the record after this one
    try {
        return std::make_unique<EmfPage>(EmfPage::fromBytes(emf));
    } catch (const EmfError &e) {
        throw EmfError("Page " + std::to_string(n) + ": " + e.what());
    }
}

void TPWPageList::Finish()
{
    QMutexLocker locker(&m_lock);
    if (m_stream->isReadOnly())
        return; // a loaded report file is finished already
    if (m_headerSize == HeaderSize) {
        writeHeader(m_pageCount);
    } else if (m_headerSize >= 12) {
        // A store copied from a file with a shorter header keeps that header.
        m_stream->Seek(8);
        m_stream->writeUInt32(std::uint32_t(m_pageCount));
    }
    m_stream->Seek(0, TPWStream::FromEnd);
    m_cursor = -1;
}

void TPWPageList::Clear()
{
    QMutexLocker locker(&m_lock);
    // A fresh stream: the old pages must not stay in front of new ones, a loaded file is left
    // alone and a temporary file goes away.
    m_stream = std::make_unique<TPWStream>(m_memoryLimit);
    m_pageCount = 0;
    m_headerSize = HeaderSize;
    m_cursor = -1;
}

void TPWPageList::SaveToStream(QIODevice &target)
{
    QMutexLocker locker(&m_lock);
    m_stream->SaveToStream(target);
}

void TPWPageList::SaveToFile(const QString &fileName)
{
    QMutexLocker locker(&m_lock);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw PageStoreError("Cannot create file \"" + fileName.toStdString() +
                             "\": " + file.errorString().toStdString());
    m_stream->SaveToStream(file);
    if (!file.commit())
        throw PageStoreError("Cannot write file \"" + fileName.toStdString() +
                             "\": " + file.errorString().toStdString());
}

void TPWPageList::LoadFromFile(const QString &fileName)
{
    adopt(TPWStream::openFile(fileName));
}

void TPWPageList::LoadFromStream(QIODevice &source)
{
    auto stream = std::make_unique<TPWStream>(m_memoryLimit);
    char block[10240];
    for (;;) {
        const qint64 n = source.read(block, sizeof block);
        if (n < 0)
            throw PageStoreError("Stream read error");
        if (n == 0)
            break;
        stream->WriteBuffer(block, n);
    }
    adopt(std::move(stream));
}

void TPWPageList::adopt(std::unique_ptr<TPWStream> stream)
{
    QMutexLocker locker(&m_lock);
    const qint64 size = stream->Size();

    // The header size follows from where the first page's metafile signature stands: 49 bytes
    // after the header (the record's two fields and the signature's offset in the metafile).
    QByteArray head(qsizetype(std::min<qint64>(size, 1004)), Qt::Uninitialized);
    stream->Seek(0);
    stream->ReadBuffer(head.data(), head.size());
    const auto signatureAt = [&](qsizetype at) {
        return head.mid(at, 3) == "EMF";
    };
    int headerSize = HeaderSize;
    if (signatureAt(173)) {
        headerSize = 124;
    } else if (signatureAt(169)) {
        headerSize = 120;
    } else if (signatureAt(145)) {
        headerSize = 96;
    } else if (signatureAt(177)) {
        headerSize = 128;
    } else {
        // A signature closer than 49 bytes to the start cannot be the first page's.
        for (qsizetype at = 49; at <= std::min<qint64>(1000, size - 4); ++at) {
            if (signatureAt(at)) {
                headerSize = int(at - 49);
                break;
            }
        }
    }
    if (size < headerSize)
        corrupt("the file is shorter than its header");

    // Walk the whole chain once: every later walk can then trust it.
    int records = 0;
    for (qint64 pos = headerSize; pos < size;) {
        if (pos + 12 > size)
            corrupt("the last page record is cut off");
        stream->Seek(pos);
        const std::uint32_t number = stream->readUInt32();
        const qint64 next = stream->readUInt32();
        if (number != std::uint32_t(records + 1))
            corrupt("page record " + std::to_string(records + 1) + " has the number " +
                    std::to_string(number));
        if (next < pos + 12 || next > size)
            corrupt("page record " + std::to_string(number) + " has a wrong length");
        stream->Seek(next - 4);
        if (stream->readUInt32() != std::uint32_t(pos))
            corrupt("page record " + std::to_string(number) + " has a wrong start offset");
        ++records;
        pos = next;
    }

    int count = records;
    if (headerSize == 128 || headerSize == 124) {
        stream->Seek(8);
        const std::uint32_t stated = stream->readUInt32();
        if (stated > std::uint32_t(records))
            corrupt("the file should hold " + std::to_string(stated) + " pages but holds " +
                    std::to_string(records));
        count = int(stated);
    } else if (headerSize == 120) {
        count = std::min(records, 1);
    }
    bool compressed = false;
    if (size > 25) {
        stream->Seek(25);
        char flag = 0;
        stream->ReadBuffer(&flag, 1);
        compressed = flag == 1;
    }

    // Take the new stream only once the last page reads; otherwise keep what we had.
    std::unique_ptr<TPWStream> previous = std::exchange(m_stream, std::move(stream));
    const int previousCount = std::exchange(m_pageCount, count);
    const int previousHeader = std::exchange(m_headerSize, headerSize);
    const bool previousCompression = std::exchange(m_compression, compressed);
    const qint64 previousCursor = std::exchange(m_cursor, -1);
    try {
        if (count > 0)
            GetPage(count);
        else
            m_stream->Seek(0, TPWStream::FromEnd);
    } catch (...) {
        m_stream = std::move(previous);
        m_pageCount = previousCount;
        m_headerSize = previousHeader;
        m_compression = previousCompression;
        m_cursor = previousCursor;
        throw;
    }
}

} // namespace report
