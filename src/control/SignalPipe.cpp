#include "control/SignalPipe.h"

#include "base/Guard.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace panemark {

namespace {

int pipeEnds[2] = {-1, -1};

void forwardSignal(int number) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const auto written = write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalPipe::SignalPipe(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        unsigned char byte = 0;
        while (read(pipeEnds[0], &byte, 1) == 1) {
            Guard::run("handling a signal", [&] { onSignal_(byte); });
        }
    });
    struct sigaction action = {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

SignalPipe::~SignalPipe() {
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    notifier_.reset();
    for (int& end : pipeEnds) {
        if (end >= 0) {
            close(end);
            end = -1;
        }
    }
}

} // namespace panemark
