#pragma once

#include <postal/fields.h>

#include <QDialog>
#include <QList>
#include <QString>

class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace postal {

/// The postal-code lookup: finds a text in any line of the postal-code dictionary and lists
/// the entries, each as its code and address. The caller puts the search text into ZIP,
/// shows the window modally, and after an OK result reads fZIP and fADDR.
class TZIPFIND : public QDialog
{
    Q_OBJECT
public:
    explicit TZIPFIND(QWidget *owner = nullptr);
    ~TZIPFIND() override;

    QFrame *Panel1 = nullptr;
    QFrame *Panel2 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QLineEdit *ZIP = nullptr;
    QPushButton *BitBtn2 = nullptr;
    QLineEdit *KEN_ALL = nullptr;
    QPushButton *BitBtn3 = nullptr;
    QPushButton *BitBtn4 = nullptr;
    QFileDialog *OpenDialog1 = nullptr;

    /// The chosen postal code, as the dictionary holds it (seven digits).
    QString fZIP;
    /// The chosen address: prefecture, city and town area, at most 100 characters.
    QString fADDR;

    /// 検索開始: lists every dictionary line that holds the text of ZIP.
    void FindADDR();

    static QString noDictionaryMessage();
    static QString noSelectionMessage();
    static QString saveQuestion();
    static QString countText(int count);

public slots:
    /// キャンセル, Esc and the close box; refused while a search runs.
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    class SearchState;

    void buildControls();
    void activateOnce();
    void FormActivate();
    void BitBtn2Click();
    void BitBtn3Click();
    bool askYesNo(const QString &question);
    void showResults(const QList<PostalEntry> &entries);

    QList<PostalEntry> m_results; ///< what ListBox1 shows, row by row
    bool m_activated = false;
    bool m_searching = false;
};

/// The lookup window while it is open.
extern TZIPFIND *ZIPFIND;

} // namespace postal
