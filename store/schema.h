#pragma once

#include <store/database.h>

namespace store {

/// The schema version this program writes and expects. 2: the telephone columns hold 20
/// characters.
constexpr int kSchemaVersion = 2;

/// Creates the tables of a new database, completes one whose creation stopped half-way, or
/// migrates an older one, and returns the version found before (0 for a new or half-made
/// database). A database of a newer version is refused (DbError with newerSchemaMessage()),
/// before anything in it is touched. Throws DbError.
int ensureSchema(Database &db);

/// What a user is told when the database comes from a newer program.
QString newerSchemaMessage();

/// Opens the database named by db's parameters, creating the file (readable by its owner
/// only) with its schema when it does not exist. Throws DbError with a message for the user.
void openOrCreate(Database &db);

} // namespace store
