#include <store/dberror.h>

namespace store {

DbError::DbError(const QString &message, long code, const QString &sqlState)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_code(code)
    , m_sqlState(sqlState)
{}

} // namespace store
