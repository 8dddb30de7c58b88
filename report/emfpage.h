#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <string>

class QPainter;

namespace report {

class Canvas;

/// A recorded page that is not a well-formed enhanced metafile (English text).
class EmfError : public std::runtime_error
{
public:
    explicit EmfError(const std::string &what)
        : std::runtime_error(what)
    {}
};

/// One text-drawing record of a page: its text and its reference point in page pixels.
struct EmfTextItem
{
    QString text;
    QPoint position;

    bool operator==(const EmfTextItem &) const = default;
};

/// A recorded page: the bytes of an enhanced metafile, checked record by record when the page
/// is made, so that playing and enumerating it can trust every length and offset. Pages come
/// from report files, that is from outside: nothing in them may crash, hang or make us
/// allocate without bound.
class EmfPage
{
public:
    /// Checks the header and every record; throws EmfError for anything malformed. Bytes after
    /// the length the header declares are ignored.
    static EmfPage fromBytes(const QByteArray &bytes);

    /// The metafile's bytes exactly as stored (without anything after its declared length).
    const QByteArray &bytes() const { return m_bytes; }
    /// Size of the page in pixels of its reference device, from the picture frame.
    QSize pixelSize() const { return m_pixelSize; }
    /// Inclusive bounds of everything drawn, as the header gives them.
    QRect bounds() const { return m_bounds; }
    int recordCount() const { return int(m_records.size()); }

    /// The text-drawing records in drawing order.
    QList<EmfTextItem> textItems() const;

    /// Replays the drawing onto `canvas` in page pixels (1:1).
    void play(Canvas &canvas) const;
    /// Replays the drawing onto `painter`, the page stretched over `target`: the one path by
    /// which preview, thumbnails, printing of stored pages and PDF draw a recorded page.
    void play(QPainter &painter, const QRectF &target) const;

private:
    struct Record
    {
        std::uint32_t type;
        int offset;
        int size;
    };

    EmfPage() = default;

    QByteArray m_bytes;
    QList<Record> m_records;
    QSize m_pixelSize;
    QRect m_bounds;
    QRectF m_framePixels;
    QSize m_ppi{96, 96};
    int m_handles = 0;

    friend class EmfPlayer;
};

} // namespace report
