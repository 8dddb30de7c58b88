#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

namespace report {

class TPWLabel;
class TPWReport;

/// A report definition that cannot be read: the text names the place and the problem.
class DefinitionError : public std::runtime_error
{
public:
    explicit DefinitionError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

using LabelPrintHandler = std::function<void(TPWLabel &, QString &value)>;

/// Handlers a definition may name for its labels' `OnPrint` events, by name.
struct DefinitionHandlers
{
    QHash<QString, LabelPrintHandler> labelPrint;
};

/// Builds a report from the JSON text of a report definition. Every property of the model is
/// stored by name, sizes as `Values` lists in tenths of a millimetre, bands and controls in
/// definition order. A handler named by a label and found in `handlers` is bound to it; the
/// name is kept either way (`TPWLabel::OnPrintName`). Throws DefinitionError.
std::unique_ptr<TPWReport> loadDefinition(const QByteArray &json,
                                          const DefinitionHandlers &handlers = {});
/// Reads a definition file; an unreadable file is a DefinitionError too.
std::unique_ptr<TPWReport> loadDefinitionFile(const QString &path,
                                              const DefinitionHandlers &handlers = {});
/// Writes a report as definition text that loadDefinition reads back to the same report.
QByteArray saveDefinition(const TPWReport &report);

} // namespace report
