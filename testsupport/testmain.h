#pragma once

#include <QStringList>

namespace testsupport {

/// Messages that reached the standard error box during the test run (clear before use).
QStringList &reportedErrors();

} // namespace testsupport
