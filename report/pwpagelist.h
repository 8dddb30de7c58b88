#pragma once

#include <report/emfpage.h>
#include <report/pwstream.h>

#include <QRecursiveMutex>
#include <QString>

#include <memory>

class QIODevice;

namespace report {

/// The page store of a report run and the report file format ("PWP"): a 128-byte header and a
/// chain of page records, each holding one recorded page, walked forwards through the offset
/// after each record and backwards through the start offset that ends each record.
///
/// Adding and reading pages hold the list's lock. Errors throw PageStoreError (stream and file
/// failures, files that are not page stores) or EmfError (a stored page that is not a
/// well-formed metafile); a failed load leaves the list as it was.
class TPWPageList
{
public:
    static constexpr int HeaderSize = 128;

    explicit TPWPageList(qint64 memoryLimit = 250000);
    ~TPWPageList();
    TPWPageList(const TPWPageList &) = delete;
    TPWPageList &operator=(const TPWPageList &) = delete;

    /// Appends a page; the first page also writes the header.
    void AddPage(const EmfPage &page);
    /// Page n (1-based) as a new object owned by the caller; none when n is outside 1 to
    /// PageCount().
    std::unique_ptr<EmfPage> GetPage(int n);
    /// Writes the final header (page count, time of writing, compression).
    void Finish();
    /// Drops every page and starts a fresh store in memory.
    void Clear();

    /// Writes the whole store to a file, replacing an existing one only when all is written.
    void SaveToFile(const QString &fileName);
    /// Reads a report file: the list then reads the file directly.
    void LoadFromFile(const QString &fileName);
    void SaveToStream(QIODevice &target);
    /// Copies a report file's bytes from `source` into a fresh store.
    void LoadFromStream(QIODevice &source);

    int PageCount() const;
    bool Compression() const;
    /// Takes effect only while the store holds no page.
    void setCompression(bool on);
    /// Size of the header of the loaded file (128 for a store written here).
    int headerSize() const;
    qint64 memoryLimit() const;
    /// The limit of the stream made by the next Clear(); the current one follows at once when
    /// it is still in memory.
    void setMemoryLimit(qint64 limit);
    /// Name of the temporary file the store has moved into; empty while it is in memory.
    QString tempFileName() const;

private:
    void writeHeader(int pageCount);
    void ensureWritable();
    void adopt(std::unique_ptr<TPWStream> stream);
    std::uint32_t readAt(qint64 offset);
    qint64 locatePage(int n);
    std::unique_ptr<EmfPage> readPage(int n);

    mutable QRecursiveMutex m_lock;
    int m_pageCount = 0;
    bool m_compression = false;
    qint64 m_memoryLimit;
    int m_headerSize = HeaderSize;
    // Record where the last read left off, where the next walk starts (as the stream's
    // position would); -1: at the end.
    qint64 m_cursor = -1;
    std::unique_ptr<TPWStream> m_stream;
};

} // namespace report
