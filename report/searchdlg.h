#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace report {

/// The preview's search dialog: a text and "Match case". Either button closes it; Cancel
/// marks it cancelled.
class TSearchDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TSearchDlg(QWidget *parent = nullptr);

    QString searchText() const;
    bool matchCase() const;
    bool cancelled() const { return m_cancelled; }

    QLabel *Label1;
    QLineEdit *Edit1;
    QCheckBox *CheckBox1;
    QPushButton *SpeedButton1; ///< Cancel
    QPushButton *SpeedButton2; ///< Search

private:
    bool m_cancelled = true;
};

} // namespace report
