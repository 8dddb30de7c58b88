#include <report/searchdlg.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace report {

TSearchDlg::TSearchDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SearchDlg"));
    setWindowTitle(QStringLiteral("Search for Text"));
    setFixedSize(305, 118);
    Label1 = new QLabel(QStringLiteral("Search Text"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 273, 16);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 24, 289, 21);
    Label1->setBuddy(Edit1);
    CheckBox1 = new QCheckBox(QStringLiteral("Match case"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(8, 56, 289, 17);
    SpeedButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(8, 88, 113, 25);
    SpeedButton2 = new QPushButton(QStringLiteral("Search"), this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setGeometry(184, 88, 113, 25);
    SpeedButton2->setDefault(true);
    connect(SpeedButton1, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        reject();
    });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] {
        m_cancelled = false;
        accept();
    });
}

QString TSearchDlg::searchText() const
{
    return Edit1->text();
}

bool TSearchDlg::matchCase() const
{
    return CheckBox1->isChecked();
}

} // namespace report
