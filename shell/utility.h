#pragma once

#include <ui/widgets.h>

#include <QDialog>
#include <QGroupBox>

namespace shell {

/// The settings form: the shop's details, the tax rate and where the postal-code file lies.
class TUtility : public QDialog
{
    Q_OBJECT
public:
    explicit TUtility(QWidget *owner = nullptr);

    QGroupBox *GroupBox1;
    ui::LabeledEdit *LabeledEdit1; // 店名
    ui::LabeledEdit *LabeledEdit2; // 〒
    ui::LabeledEdit *LabeledEdit3; // 住所
    ui::LabeledEdit *LabeledEdit4; // 電話番号
    ui::LabeledEdit *LabeledEdit5; // FAX
    QGroupBox *GroupBox2;
    ui::LabeledEdit *LabeledEdit6; // 消費税%
    QGroupBox *GroupBox3;
    ui::LabeledEdit *LabeledEdit7; // 保存先
    QPushButton *BitBtn1;          // 参照
    QPushButton *BitBtn2;          // 閉じる
    QPushButton *BitBtn3;          // 設定保存
    QPushButton *BitBtn4;          // 発行元: the slip's further issuer lines

    void FormActivate();
    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn4Click();

    /// The settings names in box order.
    static const QStringList &settingNames();

protected:
    bool event(QEvent *event) override;

private:
    QList<ui::LabeledEdit *> boxes() const;
    bool m_activated = false;
};

extern TUtility *Utility;

} // namespace shell
