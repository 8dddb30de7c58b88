#include <report/pwstream.h>

#include <report/pagestoreerror.h>

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace report {

namespace {

[[noreturn]] void readError()
{
    throw PageStoreError("Stream read error");
}

[[noreturn]] void writeError()
{
    throw PageStoreError("Stream write error");
}

} // namespace

TPWStream::TPWStream(qint64 memoryLimit)
    : m_memoryLimit(memoryLimit)
{}

TPWStream::TPWStream(FileBacked)
    : m_inMemory(false)
    , m_readOnly(true)
{}

std::unique_ptr<TPWStream> TPWStream::openFile(const QString &fileName)
{
    std::unique_ptr<TPWStream> stream(new TPWStream(FileBacked{}));
    stream->m_reportFile = std::make_unique<QFile>(fileName);
    // Unbuffered: reads see the file as it is, and a walk reads only a few bytes per record.
    if (!stream->m_reportFile->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        throw PageStoreError("Cannot open file \"" + fileName.toStdString() +
                             "\": " + stream->m_reportFile->errorString().toStdString());
    }
    return stream;
}

TPWStream::~TPWStream() = default; // QTemporaryFile removes its file

QIODevice *TPWStream::device() const
{
    if (m_reportFile)
        return m_reportFile.get();
    return m_tempFile.get();
}

qint64 TPWStream::Read(void *buffer, qint64 count)
{
    QMutexLocker locker(&m_lock);
    if (count <= 0)
        return 0;
    if (m_inMemory) {
        const qint64 n = std::clamp<qint64>(m_memory.size() - m_memoryPos, 0, count);
        if (n > 0)
            std::memcpy(buffer, m_memory.constData() + m_memoryPos, size_t(n));
        m_memoryPos += n;
        return n;
    }
    const qint64 n = device()->read(static_cast<char *>(buffer), count);
    if (n < 0)
        readError();
    return n;
}

qint64 TPWStream::Write(const void *buffer, qint64 count)
{
    QMutexLocker locker(&m_lock);
    if (count <= 0)
        return 0;
    if (m_readOnly)
        writeError();
    if (m_inMemory) {
        const qint64 end = m_memoryPos + count;
        if (end > m_memory.capacity())
            m_memory.reserve(std::max<qint64>(end, 2 * m_memory.capacity()));
        if (end > m_memory.size())
            m_memory.resize(end);
        std::memcpy(m_memory.data() + m_memoryPos, buffer, size_t(count));
        m_memoryPos = end;
        if (m_memory.size() > m_memoryLimit)
            moveToTempFile();
        return count;
    }
    if (device()->write(static_cast<const char *>(buffer), count) != count)
        writeError();
    return count;
}

void TPWStream::moveToTempFile()
{
    // QTemporaryFile creates the file readable and writable by its owner only and deletes it
    // with the object, so a failure half way leaves nothing behind.
    // An unusable TMPDIR makes tempPath() empty; the file must not land in the root folder.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        throw PageStoreError("Cannot create a temporary file: no temporary folder");
    auto file = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/PWPXXXXXX.tmp"));
    // Unbuffered, as the report file: a walk reads 4 bytes per record, and a buffered file
    // would refill its whole buffer after every seek.
    if (!static_cast<QIODevice *>(file.get())->open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        throw PageStoreError("Cannot create a temporary file: " +
                             file->errorString().toStdString());
    if (file->write(m_memory) != m_memory.size() || !file->flush())
        writeError();
    if (!file->seek(m_memoryPos))
        writeError();
    m_tempFileName = file->fileName();
    m_tempFile = std::move(file);
    m_inMemory = false;
    m_memory = QByteArray();
    m_memoryPos = 0;
}

qint64 TPWStream::Seek(qint64 offset, Origin origin)
{
    QMutexLocker locker(&m_lock);
    const qint64 size = m_inMemory ? m_memory.size() : device()->size();
    const qint64 current = m_inMemory ? m_memoryPos : device()->pos();
    qint64 target = offset;
    if (origin == FromCurrent)
        target = current + offset;
    else if (origin == FromEnd)
        target = size + offset;
    // Positions beyond the end are allowed as in any stream; reads there return nothing.
    if (target < 0)
        readError();
    if (m_inMemory) {
        m_memoryPos = target;
    } else if (!device()->seek(target)) {
        readError();
    }
    return target;
}

void TPWStream::ReadBuffer(void *buffer, qint64 count)
{
    if (Read(buffer, count) != count)
        readError();
}

std::uint32_t TPWStream::readUInt32()
{
    uchar bytes[4];
    ReadBuffer(bytes, 4);
    return qFromLittleEndian<quint32>(bytes);
}

void TPWStream::writeUInt32(std::uint32_t value)
{
    uchar bytes[4];
    qToLittleEndian<quint32>(value, bytes);
    WriteBuffer(bytes, 4);
}

qint64 TPWStream::Position() const
{
    QMutexLocker locker(&m_lock);
    return m_inMemory ? m_memoryPos : device()->pos();
}

qint64 TPWStream::Size() const
{
    QMutexLocker locker(&m_lock);
    return m_inMemory ? m_memory.size() : device()->size();
}

void TPWStream::truncate(qint64 size)
{
    QMutexLocker locker(&m_lock);
    if (m_readOnly)
        writeError();
    if (m_inMemory) {
        if (size < m_memory.size())
            m_memory.truncate(size);
        m_memoryPos = std::min(m_memoryPos, qint64(m_memory.size()));
        return;
    }
    if (size < m_tempFile->size() && !m_tempFile->resize(size))
        writeError();
    if (m_tempFile->pos() > size && !m_tempFile->seek(size))
        writeError();
}

void TPWStream::SaveToStream(QIODevice &target)
{
    QMutexLocker locker(&m_lock);
    if (m_inMemory) {
        for (qint64 at = 0; at < m_memory.size(); at += 10240) {
            const qint64 n = std::min<qint64>(10240, m_memory.size() - at);
            if (target.write(m_memory.constData() + at, n) != n)
                writeError();
        }
        return;
    }
    QIODevice *source = device();
    const qint64 saved = source->pos();
    if (!source->seek(0))
        readError();
    char block[10240];
    qint64 left = source->size();
    while (left > 0) {
        const qint64 n = source->read(block, std::min<qint64>(sizeof block, left));
        if (n <= 0)
            readError();
        if (target.write(block, n) != n)
            writeError();
        left -= n;
    }
    if (!source->seek(saved))
        readError();
}

bool TPWStream::inMemory() const
{
    QMutexLocker locker(&m_lock);
    return m_inMemory;
}

bool TPWStream::isReadOnly() const
{
    return m_readOnly;
}

QString TPWStream::tempFileName() const
{
    QMutexLocker locker(&m_lock);
    return m_tempFileName;
}

qint64 TPWStream::memoryLimit() const
{
    QMutexLocker locker(&m_lock);
    return m_memoryLimit;
}

void TPWStream::setMemoryLimit(qint64 limit)
{
    QMutexLocker locker(&m_lock);
    m_memoryLimit = limit;
}

} // namespace report
