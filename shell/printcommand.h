#pragma once

#include <QString>

namespace shell {

struct StartupOptions;

/// The kinds of printed output that --print knows.
QStringList printKinds();

/// --print KIND --slip N --output FILE: prints stored slip N as the slip form's button of
/// that kind does, into a PDF file, without showing a window. Messages go to standard error;
/// 0 on success, 1 when the slip, the file or the kind is not right.
int runPrintCommand(const StartupOptions &opts, int &argc, char **argv);

} // namespace shell
