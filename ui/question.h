#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace ui {

/// Asks a はい / いいえ question in a message box; Esc answers いいえ, which is also the
/// default button unless `yesByDefault`. True for はい.
bool askYesNo(QWidget *parent, const QString &question, bool yesByDefault = false);

/// Replaces the question box (tests answer instead of a user); an empty handler restores it.
using QuestionHandler = std::function<bool(const QString &question)>;
void setQuestionHandler(QuestionHandler handler);

} // namespace ui
