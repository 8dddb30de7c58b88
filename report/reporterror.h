#pragma once

#include <QString>

#include <stdexcept>

namespace report {

/// An error of report generation or of the printer object ("PWPrinter not ready", "Illegal
/// call to NewPage", "File does not exist"). Like every error of the engine its text is
/// English.
class ReportError : public std::runtime_error
{
public:
    explicit ReportError(const QString &message)
        : std::runtime_error(message.toStdString())
    {}
};

} // namespace report
