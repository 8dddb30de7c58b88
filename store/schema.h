#pragma once

#include <store/database.h>

namespace store {

/// The schema version this program writes and expects.
constexpr int kSchemaVersion = 1;

/// Creates the tables of a new database, or migrates an older one, and returns the
/// version found before (0 for a new database). Throws DbError.
int ensureSchema(Database &db);

/// Opens the database named by db's parameters, creating the file (readable by its owner
/// only) with its schema when it does not exist. Throws DbError with a message for the user.
void openOrCreate(Database &db);

} // namespace store
