#include "startup.h"

#include "dmib.h"
#include "fonts.h"
#include "mmenu.h"
#include "schema.h"
#include "zdapplication.h"

#include <QCommandLineParser>
#include <QLocale>
#include <QScreen>
#include <QTextStream>

namespace shell {

namespace {

void setUpParser(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("ZorikaDesk — 納品書・請求書・受領書の作成と保存"));
    parser.addOption(
        {QStringLiteral("database"),
         QStringLiteral("使用するデータベース。ファイルのパス、またはサーバー上の "
                        "host:path（ユーザー名とパスワードは ISC_USER と "
                        "ISC_PASSWORD）。省略時はプログラムと同じフォルダーの ZORIKA。"),
         QStringLiteral("name")});
    parser.addOption(
        {QStringLiteral("check"),
         QStringLiteral("データベースを開き（なければ作成し）、結果を表示して終了します。")});
}

} // namespace

StartupOptions parseCommandLine(const QStringList &arguments)
{
    StartupOptions opts;
    QCommandLineParser parser;
    setUpParser(parser);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(arguments)) {
        opts.error = parser.errorText();
        return opts;
    }
    opts.help = parser.isSet(help);
    opts.version = parser.isSet(version);
    opts.helpText = parser.helpText();
    opts.database = parser.value(QStringLiteral("database"));
    opts.check = parser.isSet(QStringLiteral("check"));
    if (parser.isSet(QStringLiteral("database")) && opts.database.trimmed().isEmpty())
        opts.error = QStringLiteral("--database に空の名前は指定できません");
    if (!parser.positionalArguments().isEmpty())
        opts.error = QStringLiteral("不明な引数: %1").arg(parser.positionalArguments().join(' '));
    return opts;
}

QString prepareDatabase(store::TDMIB &dm)
{
    try {
        store::openOrCreate(dm.IBDatabase1);
        dm.IBDatabase1.disconnect();
        return {};
    } catch (const std::exception &e) {
        dm.IBDatabase1.disconnect();
        return QString::fromUtf8(e.what());
    }
}

int runApplication(int &argc, char **argv)
{
    ZdApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("ZorikaDesk"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("ZorikaDesk"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const StartupOptions opts = parseCommandLine(QCoreApplication::arguments());
    if (!opts.error.isEmpty()) {
        err << opts.error << "\n\n" << opts.helpText;
        return 2;
    }
    if (opts.help) {
        out << opts.helpText;
        return 0;
    }
    if (opts.version) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << '\n';
        return 0;
    }

    // The program speaks Japanese to a shop in Japan whatever the machine's locale is: dates,
    // units and the report's inherited fonts follow.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    report::installFontSubstitutions();
    const QString database = opts.database.isEmpty() ? store::defaultDatabasePath() : opts.database;
    store::TDMIB dm(store::SettingsStore(), store::ConnectionParams::withEnvironment(database));
    store::DMIB = &dm;
    const QString problem = prepareDatabase(dm);
    if (opts.check) {
        if (!problem.isEmpty()) {
            err << database << ": " << problem << '\n';
            return 1;
        }
        out << database << ": OK\n";
        return 0;
    }

    TMmenu menu;
    Mmenu = &menu;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        menu.move(screen->availableGeometry().center() - menu.rect().center());
    menu.show();
    menu.activateWindow();
    if (!problem.isEmpty())
        ZdApplication::reportError(problem);
    const int rc = app.exec();
    Mmenu = nullptr;
    store::DMIB = nullptr;
    return rc;
}

} // namespace shell
