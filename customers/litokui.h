#pragma once

#include <QDialog>
#include <QList>

class QFrame;
class QPushButton;

namespace ui {
class DbGrid;
class LabeledEdit;
struct GridColumn;
} // namespace ui

namespace customers {

/// The customer list: searches the register by part of the name and shows the matches in a
/// grid over the data module's shared customer query QTokui, whose current row is the grid's.
///
/// Browsing (main menu, the slip form's similar names): OK and キャンセル stay hidden.
/// Picking (the slip form's 名簿から検索): the caller shows and enables BitBtn4 (OK) and
/// BitBtn5 (キャンセル), runs the list modally and, on Accepted, reads the chosen customer from
/// QTokui's current row. 閉じる, キャンセル, Esc and the close box give Rejected. The list
/// never closes QTokui.
class TLiTokui : public QDialog
{
    Q_OBJECT
public:
    explicit TLiTokui(QWidget *owner = nullptr);
    ~TLiTokui() override;

    QFrame *Panel1 = nullptr;
    QFrame *Panel2 = nullptr;
    ui::DbGrid *DBGrid1 = nullptr;           ///< shows QTokui
    ui::LabeledEdit *LabeledEdit1 = nullptr; ///< 得意先名: the name to search for
    QPushButton *BitBtn1 = nullptr;          ///< 検索実行
    QPushButton *BitBtn2 = nullptr;          ///< 得意先情報
    QPushButton *BitBtn3 = nullptr;          ///< 閉じる
    QPushButton *BitBtn4 = nullptr; ///< OK (hidden and disabled until a picking caller shows it)
    QPushButton *BitBtn5 = nullptr; ///< キャンセル (likewise)

    /// The grid's columns: ANO, 得意先名, 郵便番号, 住所01, 住所02, 電話番号.
    static QList<ui::GridColumn> gridColumns();

public slots:
    /// 検索実行: every customer whose name contains the typed text, in name order.
    void BitBtn1Click();
    /// 得意先情報: the current row's customer (0 without one) in the record form.
    void BitBtn2Click();
};

/// The customer list while it is open.
extern TLiTokui *LiTokui;

} // namespace customers
