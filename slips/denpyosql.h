#pragma once

#include <QStringList>

namespace slips {

/// The DENPYO columns a slip writes, TKANO first and KUBUN1 last (ANO is the server's).
const QStringList &denpyoColumns();

/// The update statement of a shown slip, keyed by the parameter OLD_ANO.
QStringList denpyoUpdateSql();

/// The insert statement of a new slip, returning the ANO the server assigned.
QStringList denpyoInsertSql();

/// The select of one slip by the parameter ANO.
QStringList denpyoSelectSql();

} // namespace slips
