#pragma once

#include <QByteArray>
#include <QFile>
#include <QMutex>
#include <QString>
#include <QTemporaryFile>

#include <cstdint>
#include <memory>

class QIODevice;

namespace report {

/// The byte stream of the page store. It starts in memory and, once its size passes the memory
/// limit, moves into a temporary file named "PWP..." in the user's temporary folder, readable
/// by its owner only and deleted when the stream is released. A stream opened on a report file
/// reads that file directly and never moves.
///
/// Every read, write and seek holds the stream's own lock. Failures throw PageStoreError.
class TPWStream
{
public:
    enum Origin { FromBeginning, FromCurrent, FromEnd };

    explicit TPWStream(qint64 memoryLimit = 250000);
    /// Opens a report file for reading; throws PageStoreError when it cannot be opened.
    static std::unique_ptr<TPWStream> openFile(const QString &fileName);
    ~TPWStream();
    TPWStream(const TPWStream &) = delete;
    TPWStream &operator=(const TPWStream &) = delete;

    /// Reads up to `count` bytes; returns how many were read.
    qint64 Read(void *buffer, qint64 count);
    /// Writes all `count` bytes or throws.
    qint64 Write(const void *buffer, qint64 count);
    qint64 Seek(qint64 offset, Origin origin = FromBeginning);

    /// Reads exactly `count` bytes or throws "Stream read error".
    void ReadBuffer(void *buffer, qint64 count);
    void WriteBuffer(const void *buffer, qint64 count) { Write(buffer, count); }
    std::uint32_t readUInt32();
    void writeUInt32(std::uint32_t value);

    qint64 Position() const;
    qint64 Size() const;
    /// Cuts the stream at `size` (at most its current size).
    void truncate(qint64 size);

    /// Copies the whole stream from offset 0 into `target` in blocks of 10240 bytes; the
    /// stream's position is left as it was.
    void SaveToStream(QIODevice &target);

    bool inMemory() const;
    bool isReadOnly() const;
    /// Name of the temporary file; empty while the stream is in memory or on a report file.
    QString tempFileName() const;
    qint64 memoryLimit() const;
    void setMemoryLimit(qint64 limit);

private:
    struct FileBacked
    {
    };
    explicit TPWStream(FileBacked);
    void moveToTempFile();
    QIODevice *device() const;

    mutable QMutex m_lock;
    bool m_inMemory = true;
    bool m_readOnly = false;
    QByteArray m_memory;
    qint64 m_memoryPos = 0;
    std::unique_ptr<QTemporaryFile> m_tempFile;
    std::unique_ptr<QFile> m_reportFile;
    QString m_tempFileName;
    qint64 m_memoryLimit = 250000;
};

} // namespace report
