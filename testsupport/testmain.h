#pragma once

#include <QStringList>

namespace testsupport {

/// Messages that reached the standard error box during the test run (clear before use).
QStringList &reportedErrors();

/// Fixed sentences shown to the user during the test run, in message boxes that tests do not
/// see as windows (clear before use).
QStringList &shownMessages();

} // namespace testsupport
