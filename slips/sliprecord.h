#pragma once

#include <slips/calc.h>

#include <QDate>
#include <QString>

#include <array>
#include <optional>
#include <stdexcept>

namespace store {
class Database;
class Query;
} // namespace store

namespace slips {

/// One slip as the form shows it: every value as its text. The date and the postal code are
/// the fixed-width texts of their masked boxes; cells[r][c] is grid column c + 1 of line r + 1
/// (品名, 数量, 単価, 金額, 摘要).
struct Slip
{
    QString ano, tkano, name, zip, addr1, addr2, tel, ymd;
    std::array<std::array<QString, 5>, kLineCount> cells;
    QString gokei, tax, total;

    bool operator==(const Slip &) const = default;
};

/// A save the program refused before anything reached the store (a date that is no date,
/// an update that found no slip).
class SlipSaveError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// Moves slips between their text form and the DENPYO table, on the shared connection and
/// transaction, through a query the caller owns. No widgets: the slip form wires its
/// controls to these.
class SlipRecord
{
public:
    /// The DENPYO column of a slip line's cell (column 1 to 5, line 1 to 7): HINMEI3 …
    static QString cellColumn(int column, int line);

    /// Reads the slip with this number; nothing when there is none. Errors of the store go
    /// on to the caller; the query is closed and its text cleared in every case.
    static std::optional<Slip> load(store::Query &query, int ano);

    /// Saves the slip: an update of slip.ano when it is set, an insert otherwise, by the
    /// save pattern (commit retaining on success, roll back retaining on any error). Returns
    /// the slip's number (the one the store assigned, for an insert). Throws SlipSaveError or
    /// the store's error; nothing is stored then.
    static QString save(store::Database &db, store::Query &query, const Slip &slip,
                        const QDate &today);
};

} // namespace slips
