#pragma once

#include <report/canvas.h>
#include <report/pwprintable.h>

#include <QStringList>

#include <functional>
#include <memory>

namespace report {

class Canvas;
class MeasureDevice;

enum class TPWWrapStyle { BreakOnSpaces, BreakAnywhere };
enum class TPWExportAs { exptText, exptNumeric, exptFormula };
enum class TBiDiMode {
    bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly
};

/// A text label. It breaks its text into lines as the design screen measures them (96 pixels
/// per inch), can follow its text's width (AutoSize) and prints line by line from its top.
class TPWLabel : public TPWPrintable
{
public:
    explicit TPWLabel(QString name = {});
    ~TPWLabel() override;

    QString className() const override { return QStringLiteral("TPWLabel"); }

    const QString &Caption() const { return m_caption; }
    /// Stores the text as caption and print text and formats the lines at once.
    void setCaption(const QString &caption);

    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);
    bool AutoStretch = false;
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wrap);
    TPWWrapStyle WrapStyle() const { return m_wrapStyle; }
    void setWrapStyle(TPWWrapStyle style);
    bool Transparent = false;
    TPWExportAs ExportAs = TPWExportAs::exptText;
    TBiDiMode BiDiMode = TBiDiMode::bdLeftToRight;
    bool ParentBiDiMode = true;
    QString Widecaption;

    /// The label's own font; setting it clears ParentFont.
    void setFont(const CanvasFont &font);
    const CanvasFont &ownFont() const { return m_font; }
    bool ParentFont() const { return m_parentFont; }
    void setParentFont(bool parent);
    /// The font the label prints in: its own or its band's, with `FontSize` applied, in
    /// points (no pixel height).
    CanvasFont Font() const;
    /// Point size written with the definition; above 0 it overrides the font's size.
    int FontSize() const { return m_fontSize; }
    void setFontSize(int size);

    /// Called with the text about to print; a changed value prints instead, for that print.
    std::function<void(TPWLabel &, QString &value)> OnPrint;
    /// Name of the OnPrint handler as a definition names it (empty: none).
    QString OnPrintName;

    /// The text the next print shows.
    const QString &printText() const { return m_printText; }
    /// The formatted lines.
    const QStringList &lines() const { return m_lines; }
    bool doneFormat() const { return m_doneFormat; }

    /// Breaks the print text into lines; with a report, also keeps the height at least one
    /// line and, with AutoSize, sets the width to the widest line.
    void FormatLines();
    /// Screen width of a text in the label's font (measured width + 1, times the zoom).
    int lineWidth(const QString &text);

    void SetAlignment(TAlignment alignment) override;
    void Prepare() override;
    void Print(int ofsX, int ofsY) override;
    void UnPrepare() override;
    double GetExpandedHeight() const override { return m_expansion; }
    QString GetFieldString() const override { return m_printText; }
    void Loaded() override;

private:
    Canvas &measureCanvas();
    int zoom() const;
    void formatPiece(const QString &piece, int width);
    void applyHeightFloor();
    TAlignment effectiveAlignment() const;
    bool rightToLeftReading() const;

    QString m_caption;
    QString m_printText;
    QStringList m_lines;
    bool m_doneFormat = false;
    bool m_updatingBounds = false;
    bool m_lineFinished = false;
    int m_currentLine = 0;
    double m_expansion = 0;
    bool m_autoSize = true;
    bool m_wordWrap = true;
    TPWWrapStyle m_wrapStyle = TPWWrapStyle::BreakOnSpaces;
    CanvasFont m_font;
    bool m_parentFont = true;
    int m_fontSize = 0;
    std::unique_ptr<MeasureDevice> m_ownMeasure;
};

} // namespace report
