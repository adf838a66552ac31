#include "cli/PlatformSession.h"

#include "platform/PlatformFactory.h"

namespace panemark {

namespace {

int argc = 1;
char name[] = "panemark";
char* argv[] = {name, nullptr};

} // namespace

PlatformSession::PlatformSession() : application_(argc, argv) {}

Result<std::unique_ptr<PlatformSession>> PlatformSession::open() {
    std::unique_ptr<PlatformSession> session(new PlatformSession());
    Result<std::unique_ptr<Platform>> opened =
        PlatformFactory::open(session->mainLoop_, std::nullopt);
    if (!opened) {
        return Error{opened.error()};
    }
    session->platform_ = std::move(opened).value();
    if (Result<bool> ready = session->platform_->waitUntilReady(readyWithin); !ready) {
        return Error{ready.error()};
    }
    return session;
}

} // namespace panemark
