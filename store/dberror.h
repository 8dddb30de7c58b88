#pragma once

#include <QString>
#include <stdexcept>

namespace store {

/// An error raised by the database layer: the Firebird error code (gdscode, 0 when the
/// error did not come from Firebird), its SQLSTATE and a message for the user.
class DbError : public std::runtime_error
{
public:
    DbError(const QString &message, long code = 0, const QString &sqlState = {});

    QString message() const { return m_message; }
    long code() const { return m_code; }
    QString sqlState() const { return m_sqlState; }

private:
    QString m_message;
    long m_code = 0;
    QString m_sqlState;
};

} // namespace store
