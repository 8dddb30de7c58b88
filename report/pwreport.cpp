#include <report/pwreport.h>

#include <report/paintercanvas.h>
#include <report/pwlabel.h>
#include <report/pwoutput.h>
#include <report/pwprintable.h>
#include <report/pwprinter.h>

#include <QLocale>

#include <algorithm>

namespace report {

TPWReport::TPWReport(QString name, const CanvasFont *formFont)
    : PWControl(std::move(name))
    , m_page(this)
    , m_units(defaultUnit())
{
    if (QLocale().language() == QLocale::Japanese && formFont) {
        m_font = *formFont;
    } else {
        m_font.face = QStringLiteral("Arial");
        m_font.pointSize = 10;
        m_font.height = 0;
        m_font.charset = 1;
    }
    Functions = {{QStringLiteral("PAGENUMBER"), QStringLiteral("0")},
                 {QStringLiteral("COLUMNNUMBER"), QStringLiteral("0")},
                 {QStringLiteral("REPORTTITLE"), QStringLiteral("''")}};
    m_page.SetUnits(m_units);
    m_page.setFontSizeSource([this] { return m_font.pointSize; });
    m_printerSettings.Orientation = m_page.Orientation();
    m_constructed = true;
    pageChanged();
}

TPWReport::~TPWReport()
{
    // Printer objects point back to the report; one that waits for its deferred deletion
    // goes now.
    for (const QPointer<QObject> &p : std::as_const(m_printerObjects))
        delete p.data();
    // Controls refer to their bands and to the report while they go.
    m_controls.clear();
    m_bands.clear();
}

void TPWReport::setUnits(TPWUnit unit)
{
    m_units = unit;
    m_page.SetUnits(unit);
    for (const auto &band : m_bands)
        band->setUnits(unit);
    for (const auto &c : m_controls)
        c->Size().SetUnits(unit);
}

void TPWReport::setZoom(int zoom)
{
    if (zoom <= 0 || zoom == m_zoom)
        return;
    m_zoom = zoom;
    m_page.setZoom(zoom);
    for (const auto &band : m_bands)
        band->setZoom(zoom);
    for (const auto &c : m_controls)
        c->Size().setZoom(zoom);
    pageChanged();
}

void TPWReport::setFont(const CanvasFont &font)
{
    m_font = font;
    if (m_loading)
        return;
    for (TPWPrintable *p : allPrintables()) {
        if (auto *label = dynamic_cast<TPWLabel *>(p))
            label->FormatLines();
    }
}

TPWBand *TPWReport::addBand(std::unique_ptr<TPWBand> band)
{
    if (!band)
        return nullptr;
    TPWBand *raw = band.get();
    m_bands.push_back(std::move(band));
    raw->setReport(this);
    for (const auto &c : raw->controls())
        c->setParentBand(raw);
    arrangeBands();
    return raw;
}

TPWBand *TPWReport::findBand(const QString &name) const
{
    for (const auto &band : m_bands) {
        if (band->Name() == name)
            return band.get();
    }
    return nullptr;
}

TPWBand *TPWReport::bandOfType(TPWBandType type) const
{
    for (const auto &band : m_bands) {
        if (band->BandType() == type)
            return band.get();
    }
    return nullptr;
}

TPWPrintable *TPWReport::addControl(std::unique_ptr<TPWPrintable> control)
{
    if (!control)
        return nullptr;
    TPWPrintable *raw = control.get();
    m_controls.push_back(std::move(control));
    raw->setParentReport(this);
    return raw;
}

TPWPrintable *TPWReport::findControl(const QString &name) const
{
    for (const auto &band : m_bands) {
        if (TPWPrintable *c = band->findControl(name))
            return c;
    }
    for (const auto &c : m_controls) {
        if (c->Name() == name)
            return c.get();
    }
    return nullptr;
}

std::vector<TPWPrintable *> TPWReport::allPrintables() const
{
    std::vector<TPWPrintable *> all;
    for (const auto &band : m_bands) {
        for (const auto &c : band->controls())
            all.push_back(c.get());
    }
    for (const auto &c : m_controls)
        all.push_back(c.get());
    return all;
}

Canvas &TPWReport::measureCanvas()
{
    if (!m_measure)
        m_measure = std::make_unique<MeasureDevice>();
    return m_measure->canvas();
}

void TPWReport::pageChanged()
{
    if (!m_constructed)
        return;
    setPixelSize(m_page.pixelValue(TPWPage::WidthIndex), m_page.pixelValue(TPWPage::LengthIndex));
    arrangeBands();
}

int TPWReport::bandOrder(TPWBandType type) const
{
    switch (type) {
    case TPWBandType::rbPageHeader:
        return 0;
    case TPWBandType::rbTitle:
        return 1;
    case TPWBandType::rbColumnHeader:
        return 2;
    case TPWBandType::rbGroupHeader:
        return 3;
    case TPWBandType::rbDetail:
    case TPWBandType::rbSubDetail:
        return 4;
    case TPWBandType::rbGroupFooter:
        return 5;
    case TPWBandType::rbPageFooter:
        return 6;
    default:
        return 7;
    }
}

void TPWReport::arrangeBands()
{
    if (!m_constructed || m_loading)
        return;
    std::vector<TPWBand *> order;
    for (const auto &band : m_bands)
        order.push_back(band.get());
    std::stable_sort(order.begin(), order.end(), [this](TPWBand *a, TPWBand *b) {
        return bandOrder(a->BandType()) < bandOrder(b->BandType());
    });

    const double scale = ScreenPixelsPerInch / 254.0 * m_zoom / 100.0;
    const double printable = m_page.nativeValue(TPWPage::WidthIndex) -
                             m_page.nativeValue(TPWPage::LeftMarginIndex) -
                             m_page.nativeValue(TPWPage::RightMarginIndex);
    const int left = roundEven(m_page.nativeValue(TPWPage::LeftMarginIndex) * scale);
    int top = roundEven(m_page.nativeValue(TPWPage::TopMarginIndex) * scale);
    for (TPWBand *band : order) {
        const TPWBandType t = band->BandType();
        const bool columnBand = t == TPWBandType::rbDetail || t == TPWBandType::rbGroupHeader ||
                                t == TPWBandType::rbGroupFooter || t == TPWBandType::rbSubDetail;
        const double width = columnBand && m_page.Columns() > 1 ? m_page.columnWidth() : printable;
        // The width is a whole number of screen pixels, stored back in tenths of a millimetre.
        const int pixels = roundEven(width * scale);
        band->Size().setNativeValue(TPWBandSize::WidthIndex, pixels / scale);
        band->SetBounds(left, top, band->Width(), band->Height());
        top += band->Height();
    }
}

void TPWReport::endLoading()
{
    m_loading = false;
    m_page.Loaded();
    pageChanged();
    for (const auto &band : m_bands)
        band->Size().Loaded();
    arrangeBands();
    for (TPWPrintable *p : allPrintables())
        p->Loaded();
}

} // namespace report
