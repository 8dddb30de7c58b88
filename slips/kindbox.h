#pragma once

#include <QComboBox>

namespace slips {

/// The document-kind box of the slip form: an editable combo box whose text shows whole in
/// its small box. The drop-down arrow is narrow and the text sits close to the frame; a text
/// still too wide has its letters set closer, within limits, rather than losing its end
/// under the arrow.
class DocumentKindBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DocumentKindBox(QWidget *parent = nullptr);
    ~DocumentKindBox() override;

    /// Pixels the line edit has for its text.
    int textRoom() const;
    /// Width of the current text as the line edit draws it.
    int shownTextWidth() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fitText();
};

} // namespace slips
