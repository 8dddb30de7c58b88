#pragma once

#include <report/pwsize.h>

#include <QString>

namespace report {

class TPWReport;

/// Paper sizes; values 1 to 68 are the Windows paper codes.
enum class TPWPaperSize {
    Default,
    Letter,
    LetterSmall,
    Tabloid,
    Ledger,
    Legal,
    Statement,
    Executive,
    A3,
    A4,
    A4Small,
    A5,
    B4,
    B5,
    Folio,
    Quarto,
    pw10X14,
    pw11X17,
    Note,
    Env9,
    Env10,
    Env11,
    Env12,
    Env14,
    CSheet,
    DSheet,
    ESheet,
    EnvDL,
    EnvC5,
    EnvC3,
    EnvC4,
    EnvC6,
    EnvC65,
    EnvB4,
    EnvB5,
    EnvB6,
    EnvItaly,
    EnvMonarch,
    EnvPersonal,
    FanfoldUSStd,
    FanfoldGerStd,
    FanfoldGerLegal,
    B4ISO,
    PostcardJap,
    pw9X11,
    pw10X11,
    pw15X11,
    EnvInvite,
    Reserved1,
    Reserved2,
    LetterExtra,
    LegalExtra,
    TabloidExtra,
    A4Extra,
    LetterTrans,
    A4Trans,
    LetterExtraTrans,
    SuperASuperAA4,
    SuperBSuperBA3,
    LetterPlus,
    A4Plus,
    A5Trans,
    B5Trans,
    A3Extra,
    A5Extra,
    B5Extra,
    A2,
    A3Trans,
    A3ExtraTrans,
    Custom,
};

constexpr int PaperSizeCount = 70;

struct PaperInfo
{
    const char *name; // the enumeration value's name
    double widthMM;   // 0 for Default and Custom
    double lengthMM;
};

/// The paper table in enumeration order.
const PaperInfo &paperInfo(TPWPaperSize size);
QString paperSizeName(TPWPaperSize size);
/// Paper size by its name; false when the name is unknown.
bool paperSizeFromName(const QString &name, TPWPaperSize *size);

enum class TPWOrientation { poPortrait, poLandscape };
enum class TPWPrintOrder { ColByCol, RowByRow };

/// Page setup of a report: paper, orientation, margins and columns.
class TPWPage : public TPWUnitBase
{
public:
    enum Index {
        BottomMarginIndex,
        LengthIndex,
        TopMarginIndex,
        WidthIndex,
        LeftMarginIndex,
        RightMarginIndex,
        ColumnSpaceIndex
    };

    explicit TPWPage(TPWReport *report);

    double BottomMargin() const { return value(BottomMarginIndex); }
    void setBottomMargin(double v) { setValue(BottomMarginIndex, v); }
    double Length() const { return value(LengthIndex); }
    void setLength(double v) { setValue(LengthIndex, v); }
    double TopMargin() const { return value(TopMarginIndex); }
    void setTopMargin(double v) { setValue(TopMarginIndex, v); }
    double Width() const { return value(WidthIndex); }
    void setWidth(double v) { setValue(WidthIndex, v); }
    double LeftMargin() const { return value(LeftMarginIndex); }
    void setLeftMargin(double v) { setValue(LeftMarginIndex, v); }
    double RightMargin() const { return value(RightMarginIndex); }
    void setRightMargin(double v) { setValue(RightMarginIndex, v); }
    double ColumnSpace() const { return value(ColumnSpaceIndex); }
    void setColumnSpace(double v) { setValue(ColumnSpaceIndex, v); }

    int Columns() const { return m_columns; }
    void setColumns(int columns);
    TPWOrientation Orientation() const { return m_orientation; }
    void setOrientation(TPWOrientation orientation);
    TPWPaperSize PaperSize() const { return m_paperSize; }
    void setPaperSize(TPWPaperSize size);
    bool Ruler() const { return m_ruler; }
    void setRuler(bool ruler) { m_ruler = ruler; }
    bool Continuous() const { return m_continuous; }
    void setContinuous(bool continuous) { m_continuous = continuous; }
    TPWPrintOrder PrintOrder() const { return m_printOrder; }
    void setPrintOrder(TPWPrintOrder order) { m_printOrder = order; }

    /// Paper and orientation as a definition stores them, without the side effects of the
    /// setters (the stored values already follow them).
    void setStoredSetup(TPWPaperSize size, TPWOrientation orientation)
    {
        m_paperSize = size;
        m_orientation = orientation;
    }

    /// Width of one column in tenths of a millimetre.
    double columnWidth() const;

    void SetUnits(TPWUnit unit) override;
    bool isHorizontal(int index) const override { return index > TopMarginIndex; }
    void SetParentSizes() override;
    /// Takes the values as stored, whatever the paper size: a definition's values win.
    void ReadValues(const QList<double> &values) override;

protected:
    bool acceptsWrite(int index) const override;

private:
    void applyPaperSize();

    TPWReport *m_report;
    int m_columns = 1;
    TPWOrientation m_orientation = TPWOrientation::poPortrait;
    TPWPaperSize m_paperSize = TPWPaperSize::A4;
    bool m_ruler = true;
    bool m_continuous = false;
    TPWPrintOrder m_printOrder = TPWPrintOrder::ColByCol;
};

} // namespace report
