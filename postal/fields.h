#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

namespace postal {

/// Characters up to and including U+0020 count as blanks in a dictionary line: the space,
/// tabs, line ends and every other control character.
constexpr bool isBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

/// One dictionary line split into its comma-separated fields. The values are kept written
/// together, as the match text needs them, with the end of each value noted.
class SplitLine
{
public:
    /// Splits the line, reusing this object's buffers:
    /// - blanks before a field are skipped;
    /// - a field that begins with a double quote runs to its closing quote, two quotes inside
    ///   stand for one, and blanks and commas inside belong to the value (a quote that is
    ///   never closed runs to the end of the line);
    /// - any other field runs up to the next comma or blank;
    /// - after a field blanks are skipped and a comma ends it; a comma at the very end of the
    ///   line gives one empty field after it.
    void split(QStringView line);

    qsizetype fieldCount() const { return m_ends.size(); }
    QStringView field(qsizetype i) const;
    /// Every value in order with nothing between them.
    QStringView values() const { return m_values; }
    /// True when no blank was skipped outside quotes: then every character of the line is a
    /// quote, a comma or part of a value, and each stretch of the line without quotes and
    /// commas lies inside one value.
    bool plain() const { return m_plain; }

private:
    QString m_values;
    QVarLengthArray<qsizetype, 16> m_ends;
    bool m_plain = true;
};

/// The field values of a line, as SplitLine gives them.
QStringList splitFields(QStringView line);

/// The text a search looks in: the line itself followed directly by every field value.
QString matchText(QStringView line);

/// The fields a line needs to give a result: the address is in fields 6, 7 and 8.
inline constexpr qsizetype kResultFields = 9;

/// One result of a search: the postal code (field 2) and the address (fields 6, 7 and 8
/// written together). The list shows them as one item.
struct PostalEntry
{
    QString zip;
    QString address;

    QString item() const { return zip + QLatin1Char(' ') + address; }
    bool operator==(const PostalEntry &) const = default;
};

/// The entry of a line with at least kResultFields fields.
PostalEntry entryOf(const SplitLine &line);

/// The address as the caller takes it: at most 100 characters, never half a surrogate pair.
QString callerAddress(const QString &address);

} // namespace postal
