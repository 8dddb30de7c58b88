#pragma once

#include <QString>
#include <QStringList>

namespace store {
class TDMIB;
}

namespace shell {

struct StartupOptions
{
    QString database;   // empty: the default place
    bool check = false; // open (creating if needed) the database, report, exit
    bool help = false;
    bool version = false;
    bool print = false; // --print KIND: print stored slip `slip` into the PDF file `output`
    QString printKind;
    QString slip;
    QString output;
    QString error; // a malformed command line
    QString helpText;
};

/// Reads the command line (arguments including the program name).
StartupOptions parseCommandLine(const QStringList &arguments);

/// Opens the database of the data module, creating the file with its schema when it does not
/// exist, and closes the connection again. Returns the message for the user when it fails.
QString prepareDatabase(store::TDMIB &dm);

/// The whole program: data module, main menu, event loop.
int runApplication(int &argc, char **argv);

} // namespace shell
