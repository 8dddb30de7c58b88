#pragma once

#include <store/query.h>

#include <QString>
#include <QStringList>

#include <array>
#include <stdexcept>

namespace store {
class Database;
}

namespace customers {

/// Number of TOKUI columns, ANO included.
constexpr int kTokuiColumns = 13;

/// The texts of one customer in the order of the TOKUI columns (store::QTokuiFields()):
/// ANO, TKCODE, TKNAME, TKNAMEK, TKZIP, TKADDR1, TKADDR2, TKTEL, TKFAX, KEITAI, TKBIKO,
/// SYSDAY, KUBUN1. Every value travels as text; an empty ANO is a customer not stored yet.
using TokuiTexts = std::array<QString, kTokuiColumns>;

/// The column names in that order.
const std::array<QString, kTokuiColumns> &tokuiColumns();

/// A save that the store refused (a value it cannot convert, a value too long, an update
/// that found no customer). The customer form shows "失敗しました" for it; what() tells why.
class SaveFailed : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// Reading and storing one customer of the register on the data module's connection.
class TokuiRecord
{
public:
    explicit TokuiRecord(store::Database &db);

    /// Reads customer `iANO`; every text is empty when no customer has that number.
    /// Errors of the store (the server cannot be reached) go on to the caller.
    TokuiTexts load(int iANO);

    /// Stores the texts: updates the customer whose number texts[0] holds, or inserts a new
    /// one when it is empty. Returns the customer's number, the server's for a new one.
    /// Connecting and starting the transaction raise DbError; anything that goes wrong after
    /// that is rolled back (keeping the transaction open) and raised as SaveFailed.
    QString save(const TokuiTexts &texts);

    /// The statement of a save, line by line as it is sent.
    static QStringList updateSql();
    static QStringList insertSql();

    /// The statement of the form, kept between saves.
    store::Query &InUpQuery() { return m_InUpQuery; }

    /// Runs the customer list's search on `query`: every customer whose name contains `name`
    /// (LIKE, so typed "%" and "_" act as wildcards), in name order; the first row current.
    static void search(store::Query &query, const QString &name);
    /// ANO of the current row of a query over TOKUI; 0 when it is closed, empty or past
    /// its end.
    static int currentAno(const store::Query &query);

    /// A register postal code as the slip's masked box (three digits, "-", four digits)
    /// takes it: its digits, full-width ones as plain digits, in the mask's places, and
    /// blanks for places no digit fills. Everything else (a leading 〒, hyphens, blanks) is
    /// left out, and digits beyond the seventh are dropped. "1234567" gives "123-4567",
    /// "〒１００－０００１" gives "100-0001", "" gives "   -    ".
    static QString zipForMask(const QString &tkzip);

private:
    store::Database &m_db;
    store::Query m_InUpQuery;
};

} // namespace customers
