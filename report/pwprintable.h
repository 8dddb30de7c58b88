#pragma once

#include <report/pwcontrol.h>
#include <report/pwframe.h>
#include <report/pwsize.h>

#include <QColor>
#include <QRect>

#include <optional>

namespace report {

class PageOutput;
class TPWBand;
class TPWReport;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

/// Base of everything that prints on a band: position and size in tenths of a millimetre,
/// a frame, and the prepare / print / unprepare cycle driven by report generation.
class TPWPrintable : public PWControl
{
public:
    explicit TPWPrintable(QString name = {});
    ~TPWPrintable() override;

    /// The class name a definition file uses for this control.
    virtual QString className() const = 0;

    bool Enabled = true;
    TPWFrame Frame;
    int XLColumn = 0;
    QColor Color = Qt::white;

    TPWPrintableSize &Size() { return m_size; }
    const TPWPrintableSize &Size() const { return m_size; }

    TAlignment Alignment() const { return m_alignment; }
    virtual void SetAlignment(TAlignment alignment);
    bool AlignToBand() const { return m_alignToBand; }
    void setAlignToBand(bool align);

    virtual bool IsEnabled() const { return Enabled; }
    /// With AlignToBand: moves the control to the band's left edge, right edge or centre.
    virtual void AlignIt();
    /// Marks the control as printing and takes the report's printer object.
    virtual void Prepare();
    /// Draws the control with its band's top-left corner at (ofsX, ofsY), whole tenths of a
    /// millimetre on the page. The base version paints the frame only.
    virtual void Print(int ofsX, int ofsY);
    virtual void UnPrepare();
    /// Extra height (tenths of a millimetre) the last print asked its band for.
    virtual double GetExpandedHeight() const { return 0; }
    virtual QString GetFieldString() const { return {}; }

    /// Pixel bounds changed from outside (not by the size object, not while loading) are
    /// written back into the size values.
    void SetBounds(int left, int top, int width, int height) override;

    TPWBand *parentBand() const { return m_band; }
    TPWReport *parentReport() const { return m_parentReport; }
    void setParentBand(TPWBand *band);
    void setParentReport(TPWReport *report);
    bool hasParent() const { return m_band || m_parentReport; }
    /// The report this control belongs to, through its band or directly.
    TPWReport *report() const;
    /// The printer object taken by Prepare (nullptr when not prepared).
    PageOutput *printer() const { return m_printer; }

    bool printFinished() const { return m_printFinished; }
    bool isPrinting() const { return m_isPrinting; }

    /// After a definition has loaded: pixel bounds derived from the values, a stored pixel
    /// bound used where the derived one is 0.
    virtual void Loaded();
    /// Pixel bounds as the definition stored them (remembered while loading).
    std::optional<QRect> storedBounds() const { return m_storedBounds; }

protected:
    /// Common start of Print: nothing when disabled, prepares when needed; the output to draw
    /// on, or nullptr when there is none.
    PageOutput *beginPrint();
    bool isLoading() const;

    TPWPrintableSize m_size;
    bool m_printFinished = true;
    bool m_isPrinting = false;
    PageOutput *m_printer = nullptr;

private:
    TAlignment m_alignment = TAlignment::taLeftJustify;
    bool m_alignToBand = false;
    TPWBand *m_band = nullptr;
    TPWReport *m_parentReport = nullptr;
    std::optional<QRect> m_storedBounds;
};

} // namespace report
