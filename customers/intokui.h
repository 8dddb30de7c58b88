#pragma once

#include <customers/tokuirecord.h>

#include <QDialog>
#include <QStringList>

#include <array>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace customers {

/// The customer record form: one customer of the register in thirteen boxes, stored with
/// 保存. An empty number box (Edit1) is a customer not stored yet. Opened modally by the
/// customer list (an existing customer, through GetTokui) and by the slip form (a new
/// customer with five boxes filled in). It returns nothing to its callers.
class TInTokui : public QDialog
{
    Q_OBJECT
public:
    explicit TInTokui(QWidget *owner = nullptr);
    ~TInTokui() override;

    /// Loads customer iANO into the boxes; a number no customer has empties them. Errors of
    /// the store go on to the caller.
    void GetTokui(int iANO);

    /// True while the boxes differ from what was loaded, saved or first shown.
    bool hasUnsavedChanges() const;
    static QString unsavedChangesQuestion();

    QFrame *Panel1 = nullptr;       ///< top: 新規登録, 閉じる
    QFrame *Panel2 = nullptr;       ///< bottom: 保存
    QPushButton *BitBtn1 = nullptr; ///< 保存
    QPushButton *BitBtn2 = nullptr; ///< 閉じる
    QPushButton *BitBtn3 = nullptr; ///< 新規登録
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr,
              *Edit5 = nullptr, *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr,
              *Edit9 = nullptr, *Edit10 = nullptr, *Edit11 = nullptr, *Edit12 = nullptr,
              *Edit13 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr,
           *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr, *Label12 = nullptr,
           *Label13 = nullptr;

public slots:
    /// 保存: inserts or updates the customer; "登録しました" or "失敗しました".
    void BitBtn1Click();
    /// 新規登録: empties every box for a new customer; the caret goes to 得意先コード.
    void BitBtn3Click();
    /// 閉じる, Esc and the close box ask first when the boxes hold unsaved changes.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    TokuiTexts boxTexts() const;
    void setBoxTexts(const TokuiTexts &texts);
    void markSaved();
    TokuiRecord &record();

    std::array<QLineEdit *, kTokuiColumns> m_boxes{};
    // The box texts as the last save took them, by column.
    QString mANO, mTKCODE, mTKNAME, mTKNAMEK, mTKZIP, mTKADDR1, mTKADDR2, mTKTEL, mTKFAX, mKEITAI,
        mTKBIKO, mSYSDAY, mKUBUN1;
    std::unique_ptr<TokuiRecord> m_record;
    TokuiTexts m_savedTexts;
    bool m_shownOnce = false;
};

/// The customer record form while it is open.
extern TInTokui *InTokui;

} // namespace customers
