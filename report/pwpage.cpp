#include <report/pwpage.h>

#include <report/pwreport.h>

#include <QLocale>

#include <array>

namespace report {

namespace {

constexpr double In = 25.4;

// Sizes in millimetres of the Windows papers; transverse papers are listed crosswise.
const std::array<PaperInfo, PaperSizeCount> PaperTable = {{
    {"Default", 0, 0},
    {"Letter", 8.5 * In, 11 * In},
    {"LetterSmall", 8.5 * In, 11 * In},
    {"Tabloid", 11 * In, 17 * In},
    {"Ledger", 17 * In, 11 * In},
    {"Legal", 8.5 * In, 14 * In},
    {"Statement", 5.5 * In, 8.5 * In},
    {"Executive", 7.25 * In, 10.5 * In},
    {"A3", 297, 420},
    {"A4", 210, 297},
    {"A4Small", 210, 297},
    {"A5", 148, 210},
    {"B4", 250, 354},
    {"B5", 182, 257},
    {"Folio", 8.5 * In, 13 * In},
    {"Quarto", 215, 275},
    {"pw10X14", 10 * In, 14 * In},
    {"pw11X17", 11 * In, 17 * In},
    {"Note", 8.5 * In, 11 * In},
    {"Env9", 3.875 * In, 8.875 * In},
    {"Env10", 4.125 * In, 9.5 * In},
    {"Env11", 4.5 * In, 10.375 * In},
    {"Env12", 4.75 * In, 11 * In},
    {"Env14", 5 * In, 11.5 * In},
    {"CSheet", 17 * In, 22 * In},
    {"DSheet", 22 * In, 34 * In},
    {"ESheet", 34 * In, 44 * In},
    {"EnvDL", 110, 220},
    {"EnvC5", 162, 229},
    {"EnvC3", 324, 458},
    {"EnvC4", 229, 324},
    {"EnvC6", 114, 162},
    {"EnvC65", 114, 229},
    {"EnvB4", 250, 353},
    {"EnvB5", 176, 250},
    {"EnvB6", 176, 125},
    {"EnvItaly", 110, 230},
    {"EnvMonarch", 3.875 * In, 7.5 * In},
    {"EnvPersonal", 3.625 * In, 6.5 * In},
    {"FanfoldUSStd", 14.875 * In, 11 * In},
    {"FanfoldGerStd", 8.5 * In, 12 * In},
    {"FanfoldGerLegal", 8.5 * In, 13 * In},
    {"B4ISO", 250, 353},
    {"PostcardJap", 100, 148},
    {"pw9X11", 9 * In, 11 * In},
    {"pw10X11", 10 * In, 11 * In},
    {"pw15X11", 15 * In, 11 * In},
    {"EnvInvite", 220, 220},
    {"Reserved1", 100, 100},
    {"Reserved2", 100, 100},
    {"LetterExtra", 9.5 * In, 12 * In},
    {"LegalExtra", 9.5 * In, 15 * In},
    {"TabloidExtra", 11.69 * In, 18 * In},
    {"A4Extra", 9.27 * In, 12.69 * In},
    {"LetterTrans", 11 * In, 8.5 * In},
    {"A4Trans", 297, 210},
    {"LetterExtraTrans", 12 * In, 9.5 * In},
    {"SuperASuperAA4", 227, 356},
    {"SuperBSuperBA3", 305, 487},
    {"LetterPlus", 8.5 * In, 12.69 * In},
    {"A4Plus", 210, 330},
    {"A5Trans", 210, 148},
    {"B5Trans", 257, 182},
    {"A3Extra", 322, 445},
    {"A5Extra", 174, 235},
    {"B5Extra", 201, 276},
    {"A2", 420, 594},
    {"A3Trans", 420, 297},
    {"A3ExtraTrans", 445, 322},
    {"Custom", 0, 0},
}};

bool usMeasurement()
{
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem;
}

} // namespace

const PaperInfo &paperInfo(TPWPaperSize size)
{
    const int i = static_cast<int>(size);
    return PaperTable.at(i >= 0 && i < PaperSizeCount ? i : 0);
}

QString paperSizeName(TPWPaperSize size)
{
    return QString::fromLatin1(paperInfo(size).name);
}

bool paperSizeFromName(const QString &name, TPWPaperSize *size)
{
    for (int i = 0; i < PaperSizeCount; ++i) {
        if (name == QLatin1String(PaperTable[i].name)) {
            *size = static_cast<TPWPaperSize>(i);
            return true;
        }
    }
    return false;
}

TPWPage::TPWPage(TPWReport *report)
    : TPWUnitBase(7)
    , m_report(report)
{
    // Defaults before any printer or definition has a say.
    const bool us = usMeasurement();
    const double margin = us ? 127.0 : 100.0;
    m_paperSize = us ? TPWPaperSize::Letter : TPWPaperSize::A4;
    const PaperInfo &paper = paperInfo(m_paperSize);
    // No SetParentSizes here: the report is still being constructed.
    m_values = {margin, paper.lengthMM * 10.0, margin, paper.widthMM * 10.0, margin, margin, 0};
}

void TPWPage::setColumns(int columns)
{
    if (columns < 1 || columns == m_columns)
        return;
    m_columns = columns;
    SetParentSizes();
}

void TPWPage::setOrientation(TPWOrientation orientation)
{
    if (orientation == m_orientation)
        return;
    m_orientation = orientation;
    if (m_paperSize == TPWPaperSize::Custom)
        std::swap(m_values[WidthIndex], m_values[LengthIndex]);
    if (m_report)
        m_report->PrinterSettings().Orientation = orientation;
    applyPaperSize();
}

void TPWPage::setPaperSize(TPWPaperSize size)
{
    const int i = static_cast<int>(size);
    if (i < 0 || i >= PaperSizeCount)
        return;
    m_paperSize = size;
    applyPaperSize();
}

void TPWPage::applyPaperSize()
{
    if (m_paperSize != TPWPaperSize::Default && m_paperSize != TPWPaperSize::Custom) {
        const PaperInfo &p = paperInfo(m_paperSize);
        double w = p.widthMM * 10.0;
        double l = p.lengthMM * 10.0;
        if (m_orientation == TPWOrientation::poLandscape)
            std::swap(w, l);
        m_values[WidthIndex] = w;
        m_values[LengthIndex] = l;
    }
    SetParentSizes();
}

bool TPWPage::acceptsWrite(int index) const
{
    if (index == WidthIndex || index == LengthIndex)
        return m_paperSize == TPWPaperSize::Custom;
    return true;
}

void TPWPage::ReadValues(const QList<double> &values)
{
    TPWUnitBase::ReadValues(values);
}

double TPWPage::columnWidth() const
{
    const double printable =
        m_values[WidthIndex] - m_values[LeftMarginIndex] - m_values[RightMarginIndex];
    return (printable - m_values[ColumnSpaceIndex] * (m_columns - 1)) / m_columns;
}

void TPWPage::SetUnits(TPWUnit unit)
{
    TPWUnitBase::SetUnits(unit);
}

void TPWPage::SetParentSizes()
{
    if (!m_report || m_parentUpdating)
        return;
    m_parentUpdating = true;
    m_report->pageChanged();
    m_parentUpdating = false;
}

} // namespace report
