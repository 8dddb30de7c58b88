#include <report/pwsize.h>

#include <report/pwband.h>
#include <report/pwprintable.h>

#include <QLocale>

#include <stdexcept>

namespace report {

TPWUnit defaultUnit()
{
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? TPWUnit::Inches
                                                                      : TPWUnit::MM;
}

TPWUnitBase::TPWUnitBase(int valueCount, int resolution)
    : m_values(valueCount, 0.0)
    , m_unit(defaultUnit())
    , m_savedUnit(m_unit)
    , m_resolution(resolution > 0 ? resolution : ScreenPixelsPerInch)
{}

void TPWUnitBase::SetUnits(TPWUnit unit)
{
    m_unit = unit;
}

void TPWUnitBase::switchUnits(TPWUnit unit)
{
    m_savedUnit = m_unit;
    m_unit = unit;
}

void TPWUnitBase::restoreUnits()
{
    m_unit = m_savedUnit;
}

void TPWUnitBase::setZoom(int zoom)
{
    if (zoom <= 0 || zoom == m_zoom)
        return;
    m_zoom = zoom;
    SetParentSizes();
}

double TPWUnitBase::pixelsToNative(double pixels) const
{
    return pixels * (254.0 / m_resolution) / m_zoom * 100.0;
}

double TPWUnitBase::nativeToPixels(double value) const
{
    return value / (254.0 / m_resolution) * m_zoom / 100.0;
}

double TPWUnitBase::LoadUnit(double v, bool horizontal) const
{
    switch (m_unit) {
    case TPWUnit::MM:
        return v / 10.0;
    case TPWUnit::Inches:
        return v / 254.0;
    case TPWUnit::Pixels:
        return nativeToPixels(v);
    case TPWUnit::Characters: {
        const double s = m_fontSize ? m_fontSize() : 10.0;
        return v * s * 2.54 / (horizontal ? 800.0 : 1453.0);
    }
    case TPWUnit::Native:
        return v;
    }
    return v;
}

double TPWUnitBase::SaveUnit(double v, bool horizontal) const
{
    switch (m_unit) {
    case TPWUnit::MM:
        return v * 10.0;
    case TPWUnit::Inches:
        return v * 254.0;
    case TPWUnit::Pixels:
        return pixelsToNative(v);
    case TPWUnit::Characters: {
        const double s = m_fontSize ? m_fontSize() : 10.0;
        // A zero font size would make every value infinite; keep the value as it reads.
        if (s == 0)
            return v;
        return v * (horizontal ? 800.0 : 1453.0) / (s * 2.54);
    }
    case TPWUnit::Native:
        return v;
    }
    return v;
}

void TPWUnitBase::ReadValues(const QList<double> &values)
{
    if (values.size() != m_values.size())
        throw std::invalid_argument("Values: expected " + std::to_string(m_values.size()) +
                                    " numbers, got " + std::to_string(values.size()));
    for (double v : values) {
        if (!std::isfinite(v))
            throw std::invalid_argument("Values: not a finite number");
    }
    m_values = values;
    SetParentSizes();
}

double TPWUnitBase::value(int index) const
{
    return LoadUnit(m_values.at(index), isHorizontal(index));
}

void TPWUnitBase::setValue(int index, double v)
{
    setNativeValue(index, SaveUnit(v, isHorizontal(index)));
}

void TPWUnitBase::setNativeValue(int index, double v)
{
    if (index < 0 || index >= m_values.size() || !std::isfinite(v) || !acceptsWrite(index))
        return;
    m_values[index] = v;
    SetParentSizes();
}

int TPWUnitBase::pixelValue(int index) const
{
    return roundEven(nativeToPixels(m_values.at(index)));
}

void TPWUnitBase::Loaded()
{
    SetParentSizes();
}

TPWBandSize::TPWBandSize(TPWBand *owner)
    : TPWUnitBase(2)
    , m_owner(owner)
{}

void TPWBandSize::SetParentSizes()
{
    if (!m_owner || m_parentUpdating)
        return;
    m_parentUpdating = true;
    m_owner->setPixelSize(pixelValue(WidthIndex), pixelValue(HeightIndex));
    m_parentUpdating = false;
}

TPWPrintableSize::TPWPrintableSize(TPWPrintable *owner)
    : TPWUnitBase(4)
    , m_owner(owner)
{}

void TPWPrintableSize::SetParentSizes()
{
    if (!m_owner || m_parentUpdating)
        return;
    m_parentUpdating = true;
    m_owner->SetBounds(pixelValue(LeftIndex), pixelValue(TopIndex), pixelValue(WidthIndex),
                       pixelValue(HeightIndex));
    m_parentUpdating = false;
}

void TPWPrintableSize::setFromPixels(int left, int top, int width, int height)
{
    if (m_parentUpdating)
        return;
    m_parentUpdating = true;
    m_values[LeftIndex] = pixelsToNative(left);
    m_values[TopIndex] = pixelsToNative(top);
    m_values[WidthIndex] = pixelsToNative(width);
    m_values[HeightIndex] = pixelsToNative(height);
    m_parentUpdating = false;
}

} // namespace report
