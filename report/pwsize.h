#pragma once

#include <QList>

#include <cmath>
#include <functional>

namespace report {

class TPWBand;
class TPWPrintable;

/// Every rounding of the report engine: nearest integer, halves to even.
inline int roundEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

/// Display unit of a report. Values are always held in tenths of a millimetre.
enum class TPWUnit { MM, Inches, Pixels, Characters, Native };

/// Screen resolution the engine measures and designs at.
constexpr int ScreenPixelsPerInch = 96;

/// The unit a new size object starts with: inches under the U.S. measurement system.
TPWUnit defaultUnit();

/// A list of measures in tenths of a millimetre, read and written in a display unit, keeping
/// its owner's pixel bounds in step with the values.
class TPWUnitBase
{
public:
    explicit TPWUnitBase(int valueCount, int resolution = ScreenPixelsPerInch);
    virtual ~TPWUnitBase() = default;
    TPWUnitBase(const TPWUnitBase &) = delete;
    TPWUnitBase &operator=(const TPWUnitBase &) = delete;

    TPWUnit GetUnits() const { return m_unit; }
    virtual void SetUnits(TPWUnit unit);
    /// Switches the unit for a moment; restoreUnits() goes back to the saved one.
    void switchUnits(TPWUnit unit);
    void restoreUnits();

    int resolution() const { return m_resolution; }
    int zoom() const { return m_zoom; }
    void setZoom(int zoom);

    /// Absolute point size of the report's font, used by the unit `Characters`.
    void setFontSizeSource(std::function<double()> source) { m_fontSize = std::move(source); }

    /// Internal value (tenths of a millimetre) read in the current unit.
    virtual double LoadUnit(double value, bool horizontal) const;
    /// Value in the current unit turned into tenths of a millimetre.
    virtual double SaveUnit(double value, bool horizontal) const;

    /// The `Values` list of a report definition (tenths of a millimetre).
    virtual QList<double> WriteValues() const { return m_values; }
    /// Takes a `Values` list; a list of the wrong length or with non-finite numbers is refused
    /// with std::invalid_argument.
    virtual void ReadValues(const QList<double> &values);

    /// Value number `index` in the display unit.
    double value(int index) const;
    void setValue(int index, double value);
    /// Value number `index` in tenths of a millimetre.
    double nativeValue(int index) const { return m_values.at(index); }
    void setNativeValue(int index, double value);
    /// Rounded screen-pixel reading of value number `index`.
    int pixelValue(int index) const;
    int valueCount() const { return int(m_values.size()); }

    virtual bool isHorizontal(int index) const = 0;
    /// Brings the owner's pixel bounds in line with the values.
    virtual void SetParentSizes() = 0;
    virtual void Loaded();

    bool parentUpdating() const { return m_parentUpdating; }

protected:
    /// Hook for values that may be refused (a page size under a named paper).
    virtual bool acceptsWrite(int /*index*/) const { return true; }
    double pixelsToNative(double pixels) const;
    double nativeToPixels(double value) const;

    QList<double> m_values;
    bool m_parentUpdating = false;

private:
    TPWUnit m_unit;
    TPWUnit m_savedUnit;
    int m_resolution;
    int m_zoom = 100;
    std::function<double()> m_fontSize;
};

/// Height and width of a band.
class TPWBandSize : public TPWUnitBase
{
public:
    enum Index { HeightIndex, WidthIndex };
    explicit TPWBandSize(TPWBand *owner);

    double Height() const { return value(HeightIndex); }
    void setHeight(double v) { setValue(HeightIndex, v); }
    double Width() const { return value(WidthIndex); }
    void setWidth(double v) { setValue(WidthIndex, v); }

    bool isHorizontal(int index) const override { return index == WidthIndex; }
    void SetParentSizes() override;

private:
    TPWBand *m_owner;
};

/// Position (relative to the band) and size of a printable control.
class TPWPrintableSize : public TPWUnitBase
{
public:
    enum Index { HeightIndex, LeftIndex, TopIndex, WidthIndex };
    explicit TPWPrintableSize(TPWPrintable *owner);

    double Height() const { return value(HeightIndex); }
    void setHeight(double v) { setValue(HeightIndex, v); }
    double Left() const { return value(LeftIndex); }
    void setLeft(double v) { setValue(LeftIndex, v); }
    double Top() const { return value(TopIndex); }
    void setTop(double v) { setValue(TopIndex, v); }
    double Width() const { return value(WidthIndex); }
    void setWidth(double v) { setValue(WidthIndex, v); }

    /// Writes pixel bounds back as values (the road by which a control's own resizing, such
    /// as a label's AutoSize, reaches its printed size).
    void setFromPixels(int left, int top, int width, int height);

    bool isHorizontal(int index) const override
    {
        return index == LeftIndex || index == WidthIndex;
    }
    void SetParentSizes() override;

private:
    TPWPrintable *m_owner;
};

} // namespace report
