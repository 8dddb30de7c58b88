#include <shell/termination.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace shell {

namespace {

sigset_t terminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

// How long the windows may take to close before the process ends without them. The
// database is detached by then, so nothing of the user's is at stake.
constexpr int kGraceMs = 1500;

} // namespace

void blockTerminationSignals()
{
    const sigset_t set = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void handleTerminationSignals(QObject *parent, std::function<void()> cleanUp)
{
    const sigset_t set = terminationSignals();
    const int fd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd < 0) {
        std::perror("signalfd");
        return;
    }
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QObject::destroyed, [fd] { ::close(fd); });
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [notifier, fd, cleanUp = std::move(cleanUp)] {
                         signalfd_siginfo info;
                         while (::read(fd, &info, sizeof info) == sizeof info) {
                         }
                         notifier->setEnabled(false);
                         if (cleanUp)
                             cleanUp();
                         // Every event loop of the thread ends, the modal windows' too.
                         QCoreApplication::exit(0);
                         QTimer::singleShot(kGraceMs, [] { ::_exit(0); });
                     });
}

} // namespace shell
