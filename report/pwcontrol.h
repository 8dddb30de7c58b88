#pragma once

#include <QRect>
#include <QString>

namespace report {

/// What the report, its bands and its controls share: a name and pixel bounds as the design
/// screen shows them (at 96 pixels per inch and the report's zoom). These are plain objects:
/// nothing here is a window.
class PWControl
{
public:
    explicit PWControl(QString name = {})
        : m_name(std::move(name))
    {}
    virtual ~PWControl() = default;
    PWControl(const PWControl &) = delete;
    PWControl &operator=(const PWControl &) = delete;

    const QString &Name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    int Left() const { return m_bounds.left(); }
    int Top() const { return m_bounds.top(); }
    int Width() const { return m_bounds.width(); }
    int Height() const { return m_bounds.height(); }
    QRect bounds() const { return m_bounds; }

    virtual void SetBounds(int left, int top, int width, int height)
    {
        m_bounds = QRect(left, top, width, height);
    }
    void setLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void setTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void setWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void setHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    void setPixelSize(int width, int height) { SetBounds(Left(), Top(), width, height); }

private:
    QString m_name;
    QRect m_bounds;
};

} // namespace report
