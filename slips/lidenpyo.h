#pragma once

#include <QDialog>
#include <QList>

#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace store {
class Query;
}

namespace ui {
class DbGrid;
struct GridColumn;
} // namespace ui

namespace slips {

/// The slip list: finds stored slips by year and month and by the beginning of the
/// customer's name, lists them by date, and opens the chosen one in the slip form.
class TLiDenpyo : public QDialog
{
    Q_OBJECT
public:
    explicit TLiDenpyo(QWidget *owner = nullptr);
    ~TLiDenpyo() override;

    QFrame *Panel1 = nullptr;
    QFrame *Panel2 = nullptr;
    ui::DbGrid *DBGrid1 = nullptr; ///< shows QDenpyo
    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QLineEdit *Edit1 = nullptr;     ///< the beginning of the name
    QLineEdit *Y1 = nullptr;        ///< year
    QLineEdit *M1 = nullptr;        ///< month
    QPushButton *BitBtn1 = nullptr; ///< 検索開始
    QPushButton *BitBtn2 = nullptr; ///< クリア
    QPushButton *BitBtn3 = nullptr; ///< 閉じる
    QPushButton *BitBtn4 = nullptr; ///< 伝票開く

    /// The list's own query on the data module's connection (nullptr without a data module).
    store::Query *QDenpyo() const { return m_QDenpyo.get(); }

    /// The grid's columns: 伝票ID, 年月日, お客様名, 小計金額, 消費税, 合計金額.
    static QList<ui::GridColumn> gridColumns();

public slots:
    /// 検索開始: the slips of the month and name given, in date order.
    void BitBtn1Click();
    /// クリア: empties the three boxes; the grid stays as it is.
    void BitBtn2Click();
    /// 伝票開く: the current row's slip (0 without one) in the slip form.
    void BitBtn4Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Y1Change(QLineEdit *box);
    void M1Exit();
    void reportMonthError(const QString &message);

    std::unique_ptr<store::Query> m_QDenpyo;
    QString m_monthError; ///< M1Exit's error waiting to be shown
    bool m_showingMonthError = false;
};

/// The slip list while it is open.
extern TLiDenpyo *LiDenpyo;

} // namespace slips
