#pragma once

#include <store/dmib.h>

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace store {
class Query;
}

namespace slips {

/// A year or month the search cannot use. what() is the user's message in UTF-8.
class SearchInputError : public std::runtime_error
{
public:
    explicit SearchInputError(const QString &message)
        : std::runtime_error(message.toUtf8().toStdString())
    {}
    QString message() const { return QString::fromUtf8(what()); }
};

/// The search of the slip list: slips of one month (both bounds inclusive) and of the
/// names beginning with a text, in date order.
class SlipSearch
{
public:
    /// The list query's text before its first search.
    static QStringList designSql();
    /// Field definitions of the list query: QDenpyoANO … QDenpyoTOTAL.
    static const QList<store::FieldDef> &QDenpyoFields();

    /// A year or month box as a whole number: ASCII digits with an optional sign, blanks
    /// around allowed. Anything else throws SearchInputError ("''%s'' は整数ではありません").
    static int toInteger(const QString &text);
    /// First and last day of a month of the Gregorian calendar. A month outside 1 to 12 or a
    /// year outside 1 to 9999 throws SearchInputError ("日付に変換できない値が渡されました").
    static std::pair<QDate, QDate> monthBounds(int year, int month);
    /// The typed name up to its first LIKE wildcard ("%" or "_"): the part every match
    /// begins with, which lets the server use the name index.
    static QString literalPrefix(const QString &typed);
    /// The message shown for a name search: the name, an ideographic space, で始まる名前.
    static QString nameMessage(const QString &typed);

    /// Closes the query and gives it the search's text and parameters, without opening it.
    /// The date condition comes only when both year and month are given. Conversion errors
    /// throw before anything else happens, leaving the query closed.
    static void prepare(store::Query &query, const QString &year, const QString &month,
                        const QString &name);
};

} // namespace slips
