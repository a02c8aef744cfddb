// Termination requests on POSIX systems: signals handed to the event loop through a socket pair.
#include "app/termination_requests.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <csignal>

namespace frostel::app {

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int signal_socket[2] = {-1, -1};
constexpr std::array kRequests{SIGTERM, SIGINT, SIGHUP};

void note_request(int /*signal*/) {
    const char byte = 1;
    (void)::write(signal_socket[0], &byte, 1);
}

}  // namespace

TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signal_socket) != 0) {
        notifier_ = nullptr;
        return;
    }
    notifier_ = new QSocketNotifier(signal_socket[1], QSocketNotifier::Read, this);
    notifier_->setEnabled(false);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationRequests::take_pending);
    struct sigaction action {};
    action.sa_handler = note_request;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int request : kRequests) {
        ::sigaction(request, &action, nullptr);
    }
}

TerminationRequests::~TerminationRequests() {
    delete notifier_;
    for (int request : kRequests) {
        std::signal(request, SIG_DFL);
    }
    for (int& end : signal_socket) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

void TerminationRequests::listen() {
    if (notifier_ != nullptr) {
        notifier_->setEnabled(true);
    }
}

void TerminationRequests::take_pending() {
    char bytes[16];
    (void)::read(signal_socket[1], bytes, sizeof bytes);
    emit requested();
}

}  // namespace frostel::app
