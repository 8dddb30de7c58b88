#pragma once

#include <QDialog>
#include <QPushButton>
#include <QWidget>

namespace shell {

/// The main menu: the application's main window, from which every other window opens modally.
class TMmenu : public QWidget
{
    Q_OBJECT
public:
    explicit TMmenu(QWidget *parent = nullptr);

    QPushButton *BitBtn1; // 納品書
    QPushButton *BitBtn2; // 閉じる
    QPushButton *BitBtn3; // 伝票一覧
    QPushButton *BitBtn4; // お客様名簿
    QPushButton *BitBtn5; // 設定

    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void FormActivate();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    /// Shows a window modally, releases it, then closes the database connection.
    void openModal(QDialog *form);
    bool m_activated = false;
};

extern TMmenu *Mmenu;

} // namespace shell
