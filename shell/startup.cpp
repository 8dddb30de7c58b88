#include <shell/startup.h>

#include <printing/systemprinter.h>
#include <report/fonts.h>
#include <shell/mmenu.h>
#include <shell/printcommand.h>
#include <shell/termination.h>
#include <store/dmib.h>
#include <store/schema.h>
#include <ui/zdapplication.h>

#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QTextStream>
#include <QTranslator>

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
                        "ISC_PASSWORD）。省略時は ZORIKA: インストールしたプログラムでは"
                        "利用者のデータフォルダー（~/.local/share/Velmora/ZorikaDesk/）、"
                        "それ以外ではプログラムと同じフォルダー（書き込めないときは"
                        "データフォルダー）に置きます。"),
         QStringLiteral("name")});
    parser.addOption(
        {QStringLiteral("check"),
         QStringLiteral("データベースを開き（なければ作成し）、結果を表示して終了します。")});
    parser.addOption({QStringLiteral("print"),
                      QStringLiteral("保存した伝票を画面を出さずに PDF に印刷します。kind は "
                                     "kokuyo（ｺｸﾖ伝票）、envelope（封筒）または a4"
                                     "（A4 伝票、210 × 148 mm）。"
                                     "--slip と --output を一緒に指定します。"),
                      QStringLiteral("kind")});
    parser.addOption({QStringLiteral("slip"), QStringLiteral("--print で印刷する伝票番号。"),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("output"), QStringLiteral("--print の出力先 PDF ファイル。"),
                      QStringLiteral("file.pdf")});
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
    // Help may be answered before the application object exists: name the program itself.
    const QString program =
        arguments.isEmpty() ? QStringLiteral("zorikadesk") : QFileInfo(arguments[0]).fileName();
    opts.helpText = parser.helpText();
    opts.helpText.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                          QStringLiteral("Usage: ") + program);
    opts.database = parser.value(QStringLiteral("database"));
    opts.check = parser.isSet(QStringLiteral("check"));
    if (parser.isSet(QStringLiteral("database")) && opts.database.trimmed().isEmpty())
        opts.error = QStringLiteral("--database に空の名前は指定できません");
    opts.printKind = parser.value(QStringLiteral("print"));
    opts.slip = parser.value(QStringLiteral("slip"));
    opts.output = parser.value(QStringLiteral("output"));
    opts.print = parser.isSet(QStringLiteral("print"));
    if (opts.print) {
        bool number = false;
        if (opts.slip.toInt(&number) <= 0 || !number)
            opts.error = QStringLiteral("--print には --slip に伝票番号（正の整数）が必要です");
        else if (opts.output.trimmed().isEmpty())
            opts.error = QStringLiteral("--print には --output に PDF ファイル名が必要です");
    } else if (parser.isSet(QStringLiteral("slip")) || parser.isSet(QStringLiteral("output"))) {
        opts.error = QStringLiteral("--slip と --output は --print と一緒に指定します");
    }
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

namespace {

void setIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("ZorikaDesk"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
}

// Qt's own texts (file dialogs, the edit boxes' context menu) in Japanese.
void installTranslations(QCoreApplication &app)
{
    auto *qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}

// Opens the database and prints how that went: for --check, which needs no display.
int checkDatabase(const QString &database)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    store::TDMIB dm(store::SettingsStore(), store::ConnectionParams::withEnvironment(database));
    for (const QString &problem : dm.startupProblems())
        err << store::SettingsStore::defaultLocation() << ": " << problem << '\n';
    const QString problem = prepareDatabase(dm);
    if (!problem.isEmpty()) {
        err << database << ": " << problem << '\n';
        return 1;
    }
    if (!dm.startupProblems().isEmpty())
        return 1;
    out << database << ": OK\n";
    return 0;
}

} // namespace

int runApplication(int &argc, char **argv)
{
    blockTerminationSignals();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const StartupOptions opts = parseCommandLine(arguments);
    if (!opts.error.isEmpty() || opts.help || opts.version) {
        // Answered without windows, so that these work without a display.
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (!opts.error.isEmpty()) {
            err << opts.error << "\n\n" << opts.helpText;
            return 2;
        }
        if (opts.help)
            out << opts.helpText;
        else
            out << "ZorikaDesk " << PROJECT_VERSION << '\n';
        return 0;
    }

    // The program speaks Japanese to a shop in Japan whatever the machine's locale is: dates,
    // units and the report's inherited fonts follow.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    if (opts.print)
        return runPrintCommand(opts, argc, argv);
    if (opts.check) {
        QCoreApplication app(argc, argv);
        setIdentity();
        return checkDatabase(opts.database.isEmpty() ? store::defaultDatabasePath()
                                                     : opts.database);
    }

    ui::ZdApplication app(argc, argv);
    setIdentity();
    // The desktop matches the windows to the menu entry by this name (Wayland's app id; on
    // X11 the window class "ZorikaDesk" comes from the application name), and the windows
    // take the entry's icon from the icon theme when the program is installed.
    QGuiApplication::setDesktopFileName(QStringLiteral(ZD_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(ZD_APP_ID)));
    installTranslations(app);
    report::installFontSubstitutions();
    printing::installSystemPrinter();
    const QString database = opts.database.isEmpty() ? store::defaultDatabasePath() : opts.database;
    store::TDMIB dm(store::SettingsStore(), store::ConnectionParams::withEnvironment(database));
    store::DMIB = &dm;
    const QString problem = prepareDatabase(dm);

    // Ended by the system or Ctrl+C: open work is rolled back and the database detached
    // before the windows go.
    handleTerminationSignals(&app, [&dm] { dm.IBDatabase1.disconnect(); });

    TMmenu menu;
    Mmenu = &menu;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        menu.move(screen->availableGeometry().center() - menu.rect().center());
    menu.show();
    menu.activateWindow();
    for (const QString &settingProblem : dm.startupProblems())
        ui::ZdApplication::reportError(settingProblem);
    if (!problem.isEmpty())
        ui::ZdApplication::reportError(problem);
    const int rc = app.exec();
    Mmenu = nullptr;
    store::DMIB = nullptr;
    return rc;
}

} // namespace shell
