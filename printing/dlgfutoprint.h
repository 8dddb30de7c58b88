#pragma once

#include <printing/envelope.h>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class LabeledEdit;
}

namespace report {
class PrinterDevice;
}

namespace printing {

/// The envelope options dialog: margins, join check box, enclosure note, honorific, extra
/// name and font. Every print starts from the initial values; nothing is kept between prints.
class TDlgFutoPrint : public QDialog
{
    Q_OBJECT
public:
    explicit TDlgFutoPrint(QWidget *owner = nullptr);

    QLabel *Label1;
    QGroupBox *GroupBox3;
    ui::LabeledEdit *edTOP;
    ui::LabeledEdit *edLEFT;
    QCheckBox *CheckBox1;
    QComboBox *ComboBox1; // 内容書き
    QComboBox *ComboBox2; // 敬称
    QLineEdit *Edit1;     // 名前追加
    QComboBox *ComboBox3; // フォント名
    QPushButton *BitBtn4; // OK
    QPushButton *BitBtn1; // キャンセル
    QLabel *Label6;

    /// The texts as the dialog last closed (or OK was clicked) with them.
    QString FontSet, Keisyo, Biko, Name2, Topmg, LeftMg;

    /// The options as they stand in the controls.
    EnvelopeOptions options() const;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormActivate();
    void copyTexts();
    QList<QWidget *> tabOrder() const;
};

/// 封筒: prints the envelope of the slip's customer. Nothing happens when the customer name
/// or the first address is empty; the options dialog (its Label1 showing `caption`), the
/// margins, SetPaper and the setup dialog come first, and a cancel at any of them prints
/// nothing. True when an envelope was printed.
bool printEnvelope(QWidget *owner, const QString &caption, const SlipTexts &slip,
                   report::PrinterDevice &printer);

} // namespace printing
