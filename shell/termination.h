#pragma once

#include <functional>

class QObject;

namespace shell {

/// Keeps SIGTERM, SIGINT and SIGHUP away from every thread of the process, so that the
/// handlers other libraries install (the database client installs its own) never see them.
/// Must run first in main, before any thread exists.
void blockTerminationSignals();

/// Takes the blocked termination signals in the event loop: on the first one, `cleanUp`
/// runs (roll back, detach), then the application quits with status 0. Should the event loop
/// not end by itself soon, the process ends anyway.
void handleTerminationSignals(QObject *parent, std::function<void()> cleanUp);

} // namespace shell
