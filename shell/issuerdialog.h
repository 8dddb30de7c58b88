#pragma once

#include <ui/widgets.h>

#include <QDialog>

namespace shell {

/// The issuer lines of the preprinted slip beyond the shop's details: a second address with
/// its telephone and two bank-account lines. Opened from the settings form; saves at once.
class TIssuerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TIssuerDialog(QWidget *owner = nullptr);

    ui::LabeledEdit *edADDR2;
    ui::LabeledEdit *edTEL2;
    ui::LabeledEdit *edBANK1;
    ui::LabeledEdit *edBANK2;
    QPushButton *btSave;  // 設定保存
    QPushButton *btClose; // 閉じる

    void btSaveClick();

private:
    QList<ui::LabeledEdit *> boxes() const { return {edADDR2, edTEL2, edBANK1, edBANK2}; }
};

} // namespace shell
