#pragma once

#include <store/database.h>

#include <exception>
#include <type_traits>
#include <utility>

namespace store {

/// The save pattern of the record windows: connect and start the shared transaction when
/// needed, run the statements, commit keeping the transaction open. On any error the
/// transaction is rolled back, staying open, and the error goes on to the caller, so that a
/// failed save leaves nothing half-stored and the next one starts clean.
template <typename F> auto saveRetaining(Database &db, F &&execute)
{
    try {
        if (!db.connected())
            db.connect();
        if (!db.inTransaction())
            db.startTransaction();
        if constexpr (std::is_void_v<decltype(execute())>) {
            execute();
            db.commitRetaining();
        } else {
            auto result = execute();
            db.commitRetaining();
            return result;
        }
    } catch (...) {
        try {
            if (db.connected() && db.inTransaction())
                db.rollbackRetaining();
        } catch (const std::exception &) {
            // The first error is the one worth reporting.
        }
        throw;
    }
}

} // namespace store
