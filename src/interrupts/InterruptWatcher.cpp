#include "InterruptWatcher.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QtGlobal>

namespace {
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

int g_pipe[2] = {-1, -1};

void OnSignal(int signalNumber) {
    // Only async-signal-safe work here: wake the event loop with the signal's
    // number. errno belongs to the code the signal interrupted.
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}
}  // namespace

InterruptWatcher::InterruptWatcher(QObject* parent) : QObject(parent) {
    Q_ASSERT(g_pipe[0] < 0);
    if (::pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // The handler runs with the other watched signals held, so that a burst
    // of them cannot interleave with its write.
    for (const int watched : kWatched) {
        sigaddset(&action.sa_mask, watched);
    }
    action.sa_flags = SA_RESTART;
    for (const int watched : kWatched) {
        ::sigaction(watched, &action, nullptr);
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &InterruptWatcher::ReadPipe);
}

InterruptWatcher::~InterruptWatcher() {
    m_notifier.reset();
    // Once one has been caught the program is on its way out: a later one
    // must not turn its exit code into a death by that signal.
    for (const int watched : kWatched) {
        ::signal(watched, m_caught != 0 ? SIG_IGN : SIG_DFL);
    }
    for (int& fd : g_pipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void InterruptWatcher::ReadPipe() {
    char buffer[16];
    ssize_t count = 0;
    int first = 0;
    while ((count = ::read(g_pipe[0], buffer, sizeof buffer)) > 0) {
        if (first == 0) {
            first = static_cast<unsigned char>(buffer[0]);
        }
    }
    if (first == 0 || m_caught != 0) {
        return;
    }
    m_caught = first;
    emit interrupted(first);
}
