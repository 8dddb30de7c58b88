#pragma once

#include <printing/sliptexts.h>
#include <slips/calc.h>
#include <slips/kindbox.h>
#include <slips/sliprecord.h>

#include <QDialog>
#include <QStringList>

#include <memory>
#include <optional>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace store {
class Query;
}

namespace ui {
class MaskEdit;
}

namespace slips {

using ui::MaskEdit;
class SlipGrid;

/// The slip entry form: one sales slip as the text of its controls. Opened empty from the
/// main menu, or filled through GetDenpyo from the slip list; always modal.
class TDenpyo : public QDialog
{
    Q_OBJECT
public:
    explicit TDenpyo(QWidget *owner = nullptr);
    ~TDenpyo() override;

    /// Fills the form from the DENPYO row with this ANO; a missing row empties the slip.
    /// Errors of the store go on to the caller.
    void GetDenpyo(int ANO);

    /// The numeric test of the calculation (see SlipCalc).
    static bool IsStrNumeric(const QString &s) { return SlipCalc::IsStrNumeric(s); }
    /// Recalculates GOKEI, TAX and TOTAL from the amount cells and TXRITU. Throws
    /// ConversionError, leaving the three boxes as they were.
    void Keisan();

    /// True while the form holds changes that were not saved (or loaded).
    bool hasUnsavedChanges() const;

    /// The slip exactly as the controls show it.
    Slip shownSlip() const;
    /// Shows a slip in the controls, as loading does (no recalculation).
    void showSlip(const Slip &slip);

    static QString unsavedChangesQuestion();

    // Controls, read directly by the printing and customer functions.
    DocumentKindBox *ComboBox1 = nullptr;
    MaskEdit *YMD = nullptr;
    QLineEdit *NAME1 = nullptr;
    QLineEdit *TEL = nullptr;
    MaskEdit *ZIP = nullptr;
    QLineEdit *ADDR1 = nullptr;
    QLineEdit *ADDR2 = nullptr;
    SlipGrid *StringGrid1 = nullptr;
    QLineEdit *GOKEI = nullptr;
    QLineEdit *TXRITU = nullptr;
    QLineEdit *TAX = nullptr;
    QLineEdit *TOTAL = nullptr;
    QLineEdit *ANO = nullptr;
    QLineEdit *TKANO = nullptr;
    QFrame *Panel1 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr, *BitBtn5 = nullptr,
                *BitBtn6 = nullptr, *BitBtn7 = nullptr, *BitBtn8 = nullptr, *BitBtn9 = nullptr,
                *BitBtn10 = nullptr, *BitBtn11 = nullptr, *BitBtn12 = nullptr, *BitBtn14 = nullptr;

public slots:
    /// 保　存: updates the slip shown, or inserts a new one and shows its number.
    void BitBtn3Click();
    /// A4: the slip as the form shows it in the report preview (not saved).
    void BitBtn5Click();
    /// クリア: empties the slip; the rate and the document kind stay.
    void BitBtn12Click();
    /// ｺｸﾖ-ｳ334 and 封筒: print what the form shows now, without saving.
    void BitBtn14Click();
    void BitBtn9Click();
    /// 名簿から検索: takes the customer chosen in the customer list (on OK only).
    void BitBtn7Click();
    /// 名簿に登録: shows the register's similar names, if any, then a record form filled with
    /// the slip's customer. The slip does not change.
    void BitBtn8Click();
    /// 〒から住所 and 住所から〒番号: the postal-code lookup from the postal code or from the
    /// first address line; on OK the postal code and ADDR1 take the chosen entry and the
    /// caret goes to ADDR2.
    void BitBtn1Click();
    void BitBtn2Click();

public:
    /// The texts of the controls as the printed outputs take them.
    printing::SlipTexts printTexts() const;
    /// Closing asks first when the slip holds unsaved changes.
    void reject() override;

protected:
    /// Shows an information message (登録しました, 失敗しました). Tests record it instead.
    virtual void showMessage(const QString &text);
    /// Asks a はい / いいえ question; true for はい.
    virtual bool askYesNo(const QString &text);

    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormActivate();
    void YMDEnter();
    void StringGrid1SelectCell(int ACol, int ARow);

    void BitBtn10Enter();
    void BitBtn10Exit();
    void BitBtn10Enter3();
    void BitBtn10Exit3();
    void BitBtn10Enter4();
    void BitBtn10Exit4();
    void BitBtn10Enter5();
    void BitBtn10Exit5();
    void BitBtn10Enter6();
    void BitBtn10Exit6();
    void setCaptionColour(QPushButton *button, bool focused);

    void buildControls();
    void lookUpAddress(const QString &searchText);
    QLabel *addLabel(const QString &name, const QString &caption, int left, int top,
                     bool navy = true, int points = 8);

    enum class Trigger { SelectCell, CellEdited, RateLeft };
    /// Line amount of a row; conversion errors go to the standard error box.
    void computeLine(int row, Trigger trigger);
    void recalculateTotals(Trigger trigger);
    std::array<QString, kLineCount> amountTexts() const;
    void cellChanged(int row, int column);
    void rateEdited();
    void reportOnce(const QString &message);

    store::Query &InUpQUERY();
    void emptySlip();
    void markSaved();

    std::unique_ptr<store::Query> m_query;
    Slip m_saved;
    int m_programChange = 0;
    bool m_activatePending = false;
    bool m_pendingReport = false;
    QString m_rateAtEntry;
    std::optional<QString> m_rateReported; ///< bad rate already shown after a line edit
};

/// The slip form while it is open.
extern TDenpyo *Denpyo;

} // namespace slips
