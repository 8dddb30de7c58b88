#include <slips/today.h>

namespace slips {

namespace {
QDate &pinned()
{
    static QDate date;
    return date;
}
} // namespace

QDate today()
{
    return pinned().isValid() ? pinned() : QDate::currentDate();
}

void pinToday(const QDate &date)
{
    pinned() = date;
}

} // namespace slips
