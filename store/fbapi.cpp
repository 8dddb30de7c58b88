#include <store/fbapi.h>

#include <firebird/Interface.h>
#include <ibase.h>
#include <iberror.h>

#include <QStringList>

namespace store::fb {

using namespace Firebird;

IMaster *master()
{
    static IMaster *m = fb_get_master_interface();
    return m;
}

IUtil *util()
{
    return master()->getUtilInterface();
}

namespace {

// Codes that deserve a sentence the shop owner understands. The server's own text follows
// on a line of its own, so that nothing is hidden from whoever helps them.
QString sentenceFor(const QList<long> &codes, const QString &detail)
{
    auto has = [&](long code) {
        return codes.contains(code);
    };
    if (detail.contains(QLatin1String("incompatible with current")))
        return QStringLiteral("データベースは別の ZorikaDesk で使用中です。"
                              "もう一方のプログラムを閉じてから、もう一度お試しください");
    if (has(isc_network_error) || has(isc_conn_lost))
        return QStringLiteral("データベースサーバーに接続できません");
    if (has(isc_login))
        return QStringLiteral(
            "データベースにログインできません。ユーザー名とパスワードを確認してください");
    if (has(isc_read_only_database))
        return QStringLiteral("データベースが読み取り専用のため、保存できません");
    if (has(isc_bad_db_format))
        return QStringLiteral("データベースファイルが壊れているか、データベースではありません");
    if (has(isc_io_error) || has(isc_io_open_err) || has(isc_io_create_err)) {
        if (detail.contains(QLatin1String("ermission denied")))
            return QStringLiteral("データベースファイルを開く権限がありません");
        return QStringLiteral("データベースファイルを開けません");
    }
    if (has(isc_lock_conflict) || has(isc_deadlock) || has(isc_update_conflict) ||
        has(isc_lock_timeout))
        return QStringLiteral(
            "ほかの処理がデータを使用中です。しばらくしてからもう一度お試しください");
    if (has(isc_shutdown) || has(isc_unavailable))
        return QStringLiteral("データベースを使用できません");
    return {};
}

} // namespace

DbError toDbError(const IStatus *status)
{
    const intptr_t *v = const_cast<IStatus *>(status)->getErrors();
    QList<long> codes;
    for (const intptr_t *p = v; p && *p != isc_arg_end;) {
        const intptr_t kind = p[0];
        if (kind == isc_arg_gds)
            codes.append(static_cast<long>(p[1]));
        p += (kind == isc_arg_cstring) ? 3 : 2;
    }
    char text[2048] = {};
    util()->formatStatus(text, sizeof text - 1, const_cast<IStatus *>(status));
    char state[6] = {};
    fb_sqlstate(state, reinterpret_cast<const ISC_STATUS *>(v));
    const QString detail = QString::fromUtf8(text).trimmed();
    const QString sentence = sentenceFor(codes, detail);
    const QString message = sentence.isEmpty() ? detail : sentence + QLatin1Char('\n') + detail;
    return DbError(message, codes.value(0, 0), QString::fromLatin1(state, 5));
}

DbError toDbError(const FbException &e)
{
    return toDbError(e.getStatus());
}

} // namespace store::fb
