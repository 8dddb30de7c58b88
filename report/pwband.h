#pragma once

#include <report/canvas.h>
#include <report/pwcontrol.h>
#include <report/pwframe.h>
#include <report/pwsize.h>

#include <QColor>
#include <QRect>

#include <functional>
#include <memory>
#include <vector>

namespace report {

class TPWReport;
class TPWPrintable;

enum class TPWBandType {
    rbTitle,
    rbPageHeader,
    rbDetail,
    rbPageFooter,
    rbSummary,
    rbGroupHeader,
    rbGroupFooter,
    rbSubDetail,
    rbColumnHeader,
    rbOverlay,
    rbWild,
    rbChild
};

/// A horizontal band of the report; its printable controls stand on it at positions relative
/// to its top-left corner and print in the order they were added.
class TPWBand : public PWControl
{
public:
    explicit TPWBand(QString name = {}, TPWBandType type = TPWBandType::rbDetail);
    ~TPWBand() override;

    TPWBandType BandType() const { return m_bandType; }
    void setBandType(TPWBandType type);
    TPWBandSize &Size() { return m_size; }
    const TPWBandSize &Size() const { return m_size; }

    QColor Color = Qt::white;
    bool TransparentBand = false;
    bool Enabled = true;
    TPWFrame Frame;
    bool ForceNewPage = false;
    bool ForceNewColumn = false;
    bool AlignToBottom = false;
    bool PreCaluculateBandHeight = false;
    bool KeepOnOnePage = false;
    bool HasChild = false;
    /// Name of a band that must fit on the same page; empty for none.
    QString LinkBand;
    bool ParentFont = true;
    void setFont(const CanvasFont &font)
    {
        m_font = font;
        ParentFont = false;
    }
    /// The font the band's controls inherit: the report's unless the band has its own.
    CanvasFont Font() const;
    const CanvasFont &ownFont() const { return m_font; }

    /// Before printing: may clear `print` to skip the band.
    std::function<void(TPWBand &, bool &print)> BeforePrint;
    /// After printing, told whether the band printed.
    std::function<void(TPWBand &, bool printed)> AfterPrint;

    TPWReport *report() const { return m_report; }
    void setReport(TPWReport *report);

    /// Adds a control at the end of the print order; the band owns it.
    TPWPrintable *addControl(std::unique_ptr<TPWPrintable> control);
    const std::vector<std::unique_ptr<TPWPrintable>> &controls() const { return m_controls; }
    TPWPrintable *findControl(const QString &name) const;

    /// Prints the band at the report's current position.
    void Print();

    /// Run-time: extra height gained while printing (tenths of a millimetre) and the device
    /// rectangle the band last printed into.
    double expansion = 0;
    QRect printRect;

    /// Whether the band can grow by `h` tenths of a millimetre on the page in hand. Report
    /// generation supplies the answer through `canExpandHandler`; without it a band never
    /// grows.
    virtual bool CanExpand(double h);
    /// Grows the band by `h`, recorded in `expansion`.
    virtual void ExpandBand(double h);
    std::function<bool(TPWBand &, double)> canExpandHandler;

    void setZoom(int zoom);
    void setUnits(TPWUnit unit);

private:
    TPWBandType m_bandType;
    TPWBandSize m_size;
    CanvasFont m_font;
    TPWReport *m_report = nullptr;
    std::vector<std::unique_ptr<TPWPrintable>> m_controls;
};

} // namespace report
