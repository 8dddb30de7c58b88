#pragma once

#include <postal/dictionary.h>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace postal {
inline void PrintTo(const PostalEntry &e, std::ostream *os)
{
    *os << '{' << e.zip.toStdString() << ' ' << e.address.toStdString() << '}';
}
} // namespace postal

namespace postaltest {

/// A committed fixture of postal/tests/data.
QString dataFile(const char *name);
QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
void setModified(const QString &path, const QDateTime &time);

/// The text in code page 932 (Microsoft's table, through ICU).
QByteArray toCp932(const QString &text);
/// A line in the layout of KEN_ALL.CSV with the given code and address.
QString kenAllLine(const QString &zip, const QString &prefecture, const QString &city,
                   const QString &town);

/// The full dictionary unpacked into the folder, or an empty text when this machine does
/// not have it (the tests that need it skip).
QString unpackFullDictionary(const QString &folder);

/// A reading written as plainly as the rules go, to compare the real one with: the bytes
/// are cut into lines (blanks before a line skipped, every CR dropped, a line feed ends a
/// line) and each line is decoded on its own.
struct ReferenceLine
{
    QString text;
    QString match; ///< the line followed by its field values
    qint64 number;
};
QList<ReferenceLine> referenceLines(const QByteArray &file);
postal::SearchOutcome referenceSearch(const QList<ReferenceLine> &lines, const QString &text,
                                      qsizetype maxResults = postal::PostalDictionary::kMaxResults);

} // namespace postaltest
