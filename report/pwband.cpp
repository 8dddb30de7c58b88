#include <report/pwband.h>

#include <report/pwprintable.h>
#include <report/pwreport.h>

namespace report {

TPWBand::TPWBand(QString name, TPWBandType type)
    : PWControl(std::move(name))
    , m_bandType(type)
    , m_size(this)
{
    // New bands are 40 pixels high until a definition or the caller says otherwise.
    m_size.switchUnits(TPWUnit::Pixels);
    m_size.setHeight(40);
    m_size.restoreUnits();
}

TPWBand::~TPWBand() = default;

void TPWBand::setBandType(TPWBandType type)
{
    m_bandType = type;
    if (m_report)
        m_report->arrangeBands();
}

CanvasFont TPWBand::Font() const
{
    if (ParentFont && m_report)
        return m_report->Font();
    return m_font;
}

void TPWBand::setReport(TPWReport *report)
{
    m_report = report;
    if (report) {
        setZoom(report->Zoom());
        setUnits(report->Units());
        m_size.setFontSizeSource([report] { return report->Font().pointSize; });
    }
}

TPWPrintable *TPWBand::addControl(std::unique_ptr<TPWPrintable> control)
{
    if (!control)
        return nullptr;
    TPWPrintable *raw = control.get();
    m_controls.push_back(std::move(control));
    raw->setParentBand(this);
    return raw;
}

TPWPrintable *TPWBand::findControl(const QString &name) const
{
    for (const auto &c : m_controls) {
        if (c->Name() == name)
            return c.get();
    }
    return nullptr;
}

void TPWBand::Print()
{
    if (m_report)
        m_report->printBand(*this);
}

bool TPWBand::CanExpand(double h)
{
    return canExpandHandler ? canExpandHandler(*this, h) : false;
}

void TPWBand::ExpandBand(double h)
{
    expansion += h;
}

void TPWBand::setZoom(int zoom)
{
    m_size.setZoom(zoom);
    for (const auto &c : m_controls)
        c->Size().setZoom(zoom);
}

void TPWBand::setUnits(TPWUnit unit)
{
    m_size.SetUnits(unit);
    for (const auto &c : m_controls)
        c->Size().SetUnits(unit);
}

} // namespace report
