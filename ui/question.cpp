#include <ui/question.h>

#include <ui/zdapplication.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace ui {

namespace {
QuestionHandler &questionHandler()
{
    static QuestionHandler handler;
    return handler;
}
} // namespace

void setQuestionHandler(QuestionHandler handler)
{
    questionHandler() = std::move(handler);
}

bool askYesNo(QWidget *parent, const QString &question, bool yesByDefault)
{
    if (questionHandler())
        return questionHandler()(question);
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), question,
                    QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
    box.setDefaultButton(yesByDefault ? yes : no);
    box.setEscapeButton(no);
    keepReadableWidth(box);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace ui
