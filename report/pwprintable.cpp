#include <report/pwprintable.h>

#include <report/pwband.h>
#include <report/pwoutput.h>
#include <report/pwreport.h>

namespace report {

TPWPrintable::TPWPrintable(QString name)
    : PWControl(std::move(name))
    , m_size(this)
{
    SetBounds(0, 0, 10, 10);
}

TPWPrintable::~TPWPrintable() = default;

void TPWPrintable::SetAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    AlignIt();
}

void TPWPrintable::setAlignToBand(bool align)
{
    m_alignToBand = align;
    AlignIt();
}

void TPWPrintable::AlignIt()
{
    if (!m_alignToBand || !m_band || isLoading())
        return;
    const double bandWidth = m_band->Size().nativeValue(TPWBandSize::WidthIndex);
    const double width = m_size.nativeValue(TPWPrintableSize::WidthIndex);
    switch (m_alignment) {
    case TAlignment::taLeftJustify:
        m_size.setNativeValue(TPWPrintableSize::LeftIndex, 0);
        break;
    case TAlignment::taRightJustify:
        m_size.setNativeValue(TPWPrintableSize::LeftIndex, bandWidth - width);
        break;
    case TAlignment::taCenter:
        m_size.setNativeValue(TPWPrintableSize::LeftIndex, (bandWidth - width) / 2);
        break;
    }
}

void TPWPrintable::Prepare()
{
    m_isPrinting = true;
    m_printFinished = true;
    TPWReport *r = report();
    m_printer = r ? r->printer() : nullptr;
    AlignIt();
}

PageOutput *TPWPrintable::beginPrint()
{
    if (!IsEnabled())
        return nullptr;
    if (!m_isPrinting)
        Prepare();
    if (!m_printer || !m_printer->canvas())
        return nullptr;
    return m_printer;
}

void TPWPrintable::Print(int ofsX, int ofsY)
{
    PageOutput *output = beginPrint();
    if (!output)
        return;
    PageOutput &out = *output;
    const double left = m_size.nativeValue(TPWPrintableSize::LeftIndex) + ofsX;
    const double top = m_size.nativeValue(TPWPrintableSize::TopIndex) + ofsY;
    const double width = m_size.nativeValue(TPWPrintableSize::WidthIndex);
    const double height = m_size.nativeValue(TPWPrintableSize::HeightIndex);
    Frame.PaintIt(*out.canvas(), out.XPos(left), out.YPos(top), out.XPos(left + width),
                  out.YPos(top + height), out.XFactor, out.YFactor);
}

void TPWPrintable::UnPrepare()
{
    m_isPrinting = false;
    m_printer = nullptr;
}

bool TPWPrintable::isLoading() const
{
    const TPWReport *r = report();
    return r && r->loading();
}

void TPWPrintable::SetBounds(int left, int top, int width, int height)
{
    if (!m_size.parentUpdating() && isLoading()) {
        m_storedBounds = QRect(left, top, width, height);
        return;
    }
    PWControl::SetBounds(left, top, width, height);
    if (!m_size.parentUpdating())
        m_size.setFromPixels(left, top, width, height);
}

void TPWPrintable::setParentBand(TPWBand *band)
{
    m_band = band;
    m_parentReport = nullptr;
    if (TPWReport *r = report()) {
        m_size.setZoom(r->Zoom());
        m_size.SetUnits(r->Units());
        m_size.setFontSizeSource([r] { return r->Font().pointSize; });
    }
}

void TPWPrintable::setParentReport(TPWReport *report)
{
    m_parentReport = report;
    m_band = nullptr;
    if (report) {
        m_size.setZoom(report->Zoom());
        m_size.SetUnits(report->Units());
        m_size.setFontSizeSource([report] { return report->Font().pointSize; });
    }
}

TPWReport *TPWPrintable::report() const
{
    if (m_band)
        return m_band->report();
    return m_parentReport;
}

void TPWPrintable::Loaded()
{
    m_size.Loaded();
    if (!m_storedBounds)
        return;
    const QRect stored = *m_storedBounds;
    const int l = Left() == 0 && stored.left() != 0 ? stored.left() : Left();
    const int t = Top() == 0 && stored.top() != 0 ? stored.top() : Top();
    const int w = Width() == 0 && stored.width() != 0 ? stored.width() : Width();
    const int h = Height() == 0 && stored.height() != 0 ? stored.height() : Height();
    if (QRect(l, t, w, h) != bounds())
        SetBounds(l, t, w, h);
}

} // namespace report
