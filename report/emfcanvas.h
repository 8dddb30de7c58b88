#pragma once

#include <report/canvas.h>
#include <report/emfpage.h>

#include <QByteArray>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <memory>
#include <vector>

namespace report {

/// A Canvas that records what is drawn as an enhanced metafile: the recording canvas of a
/// page. Its reference device is a screen of the given resolution (96 pixels per inch unless
/// told otherwise); text is measured as on that screen. GDI state is written lazily: a font,
/// pen or brush becomes a record only when something is drawn with it, and an unchanged one
/// is not written again.
class EmfCanvas final : public Canvas
{
public:
    /// A page of `pageSize` pixels of the reference device.
    explicit EmfCanvas(QSize pageSize, QSize pixelsPerInch = QSize(96, 96));
    ~EmfCanvas() override;
    EmfCanvas(const EmfCanvas &) = delete;
    EmfCanvas &operator=(const EmfCanvas &) = delete;

    QSize pixelsPerInch() const override { return m_ppi; }
    void setFont(const CanvasFont &font) override { m_font = font; }
    const CanvasFont &font() const override { return m_font; }
    void setPen(const CanvasPen &pen) override { m_pen = pen; }
    const CanvasPen &pen() const override { return m_pen; }
    void setBrush(const CanvasBrush &brush) override { m_brush = brush; }
    const CanvasBrush &brush() const override { return m_brush; }
    void setBackgroundTransparent(bool transparent) override { m_transparent = transparent; }
    void setTextAlign(unsigned flags) override { m_align = flags; }

    QSize textExtent(const QString &text) override;

    void textOut(int x, int y, const QString &text) override;
    void fillRect(const QRect &r) override;
    void rectangle(const QRect &r) override;
    void ellipse(const QRect &r) override;
    void roundRect(const QRect &r, int cornerWidth, int cornerHeight) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void resetClip() override;

    /// The recorded page so far, closed with an end-of-file record. Recording may go on.
    QByteArray bytes() const;
    /// The recorded page as a page object.
    EmfPage page() const { return EmfPage::fromBytes(bytes()); }

private:
    struct MetricsCache;

    /// What the metafile's device context holds at the end of the records written so far.
    struct DcState
    {
        std::uint32_t penHandle = 0; // 0: the stock object selected at start
        std::uint32_t brushHandle = 0;
        std::uint32_t fontHandle = 0;
        CanvasPen pen{Qt::black, 1, CanvasPen::Solid};
        CanvasBrush brush{Qt::white, CanvasBrush::Solid};
        CanvasFont font;
        bool fontSelected = false;
        std::uint32_t textColor = 0;
        bool transparent = false;
        unsigned align = 0;
    };

    void begin(std::uint32_t type, int size);
    void syncPen();
    void syncBrush();
    void syncTextState();
    std::uint32_t allocateHandle();
    void replaceObject(std::uint32_t &current, std::uint32_t fresh);
    void addBounds(const QRect &r);
    std::int32_t logFontHeight() const;

    QSize m_pageSize;
    QSize m_ppi;
    CanvasFont m_font;
    CanvasPen m_pen;
    CanvasBrush m_brush;
    bool m_transparent = false;
    unsigned m_align = 0;
    QPoint m_position;

    DcState m_dc;
    std::vector<bool> m_handlesInUse{true}; // index 0 is the metafile itself
    QByteArray m_records;
    int m_recordCount = 0;
    QRect m_bounds;
    std::unique_ptr<MetricsCache> m_metrics;
};

} // namespace report
