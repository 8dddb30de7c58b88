#pragma once

#include <QList>
#include <QString>

namespace store {

/// A column of one of the program's tables, as the schema creates it and as the windows
/// limit what may be typed into it.
struct Column
{
    enum Type { Integer, SmallInt, Text, Date };
    QString name;
    Type type;
    int width = 0; ///< characters of a text column, 0 for others
};

/// The columns of TOKUI after its key ANO, in the order the program's statements use.
const QList<Column> &tokuiColumns();

/// The columns of DENPYO after its key ANO, in the order the program's statements use:
/// TKANO first, then the customer copy, the date, the seven lines of each item column
/// (HINMEI1 … HINMEI7, SURYO1 …, TANKA1 …, KINGAKU1 …, TEKIYO1 …), the totals, KUBUN1 last.
const QList<Column> &denpyoColumns();

/// The column of that name in a list, or nullptr.
const Column *findColumn(const QList<Column> &columns, const QString &name);

/// Characters a text column holds (0 when the name is not a text column of the list).
int columnWidth(const QList<Column> &columns, const QString &name);

} // namespace store
