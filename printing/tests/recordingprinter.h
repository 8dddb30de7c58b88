#pragma once

// A printer for the tests: answers with the resolution, offsets and papers it is given and
// records every job with the texts drawn, their fonts and dot positions.

#include <report/printerdevice.h>

#include <QList>

namespace printing::test {

struct DrawnText
{
    QString text;
    report::CanvasFont font;
    QPoint pos;
};

struct RecordedJob
{
    QString title;
    QList<DrawnText> texts;
    bool ended = false;
    bool aborted = false;
};

class RecordingCanvas final : public report::Canvas
{
public:
    explicit RecordingCanvas(QSize dpi, RecordedJob *job, int failAfter)
        : m_dpi(dpi)
        , m_job(job)
        , m_failAfter(failAfter)
    {}
    QSize pixelsPerInch() const override { return m_dpi; }
    void setFont(const report::CanvasFont &font) override { m_font = font; }
    const report::CanvasFont &font() const override { return m_font; }
    void setPen(const report::CanvasPen &pen) override { m_pen = pen; }
    const report::CanvasPen &pen() const override { return m_pen; }
    void setBrush(const report::CanvasBrush &brush) override { m_brush = brush; }
    const report::CanvasBrush &brush() const override { return m_brush; }
    void setBackgroundTransparent(bool) override {}
    void setTextAlign(unsigned) override {}
    QSize textExtent(const QString &text) override { return {int(text.size()) * 10, 10}; }
    void textOut(int x, int y, const QString &text) override
    {
        if (m_failAfter >= 0 && m_job->texts.size() >= m_failAfter)
            throw report::PrinterError("プリンターでエラーが発生しました");
        m_job->texts.append({text, m_font, QPoint(x, y)});
    }
    void fillRect(const QRect &) override {}
    void rectangle(const QRect &) override {}
    void ellipse(const QRect &) override {}
    void roundRect(const QRect &, int, int) override {}
    void moveTo(int, int) override {}
    void lineTo(int, int) override {}
    void resetClip() override {}

private:
    QSize m_dpi;
    RecordedJob *m_job;
    int m_failAfter;
    report::CanvasFont m_font;
    report::CanvasPen m_pen;
    report::CanvasBrush m_brush;
};

class RecordingPrinter final : public report::PrinterDevice
{
public:
    QSize dpi{600, 600};
    QPoint offset{0, 0};
    QSize paper{4961, 7016};
    QSize page{4961, 7016};
    QList<report::DevicePaper> paperList;
    bool confirmSetup = true;
    int failAfterTexts = -1; ///< the canvas throws at this text (-1: never)
    int setupDialogs = 0;
    int resets = 0;
    std::optional<int> paperCode;
    QList<RecordedJob> jobs;

    QStringList printers() const override { return {QStringLiteral("recorder")}; }
    int printerIndex() const override { return -1; }
    void setPrinterIndex(int) override {}
    QString printerName() const override { return QStringLiteral("recorder"); }
    bool offersCustomPaper() const override { return false; }
    bool setupDialog(QWidget *) override
    {
        ++setupDialogs;
        return confirmSetup;
    }
    bool printDialog(QWidget *, report::PrintDialogChoice &) override { return confirmSetup; }
    report::DeviceSettings settings() const override
    {
        report::DeviceSettings s;
        s.paperCode = paperCode;
        return s;
    }
    void applySettings(const report::DeviceSettings &s) override
    {
        if (s.paperCode)
            paperCode = s.paperCode;
    }
    void resetToDefaults() override
    {
        ++resets;
        paperCode.reset();
    }
    QList<report::DevicePaper> papers() const override { return paperList; }
    QSize dotsPerInch() const override { return dpi; }
    QPoint physicalOffset() const override { return offset; }
    QSize paperDots() const override { return paper; }
    QSize pageDots() const override { return page; }
    void beginDoc(const QString &title) override
    {
        jobs.append({title, {}, false, false});
        m_canvas = std::make_unique<RecordingCanvas>(dpi, &jobs.back(), failAfterTexts);
    }
    void newPage() override {}
    void endDoc() override
    {
        jobs.back().ended = true;
        m_canvas.reset();
    }
    void abortDoc() override
    {
        jobs.back().aborted = true;
        m_canvas.reset();
    }
    bool printing() const override { return m_canvas != nullptr; }
    report::Canvas *canvas() override { return m_canvas.get(); }

private:
    std::unique_ptr<RecordingCanvas> m_canvas;
};

} // namespace printing::test
