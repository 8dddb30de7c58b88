#pragma once

#include <QDate>

namespace slips {

/// Today's date as the slip windows use it: the system's, unless pinned (tests that must
/// not fail across midnight pin it).
QDate today();

/// Pins today's date; an invalid date returns to the system's.
void pinToday(const QDate &date);

} // namespace slips
