#include "platform/ScreenIdentity.h"

#include "model/Uuid.h"

#include <QUuid>
#include <algorithm>
#include <array>

namespace panemark::ScreenIdentity {

namespace {

const QUuid screenNamespace("{6c1f7e2a-93d4-4b8e-a0f5-2d7c9e41b3a8}");

} // namespace

std::string uuidFor(const std::string& identity) {
    const QByteArray raw =
        QUuid::createUuidV5(screenNamespace, QByteArray::fromStdString(identity)).toRfc4122();
    std::array<std::uint8_t, 16> bytes{};
    std::copy(raw.begin(), raw.begin() + 16, bytes.begin());
    return Uuid(bytes).toString();
}

bool isBuiltInConnector(const std::string& connector) {
    return connector.starts_with("eDP") || connector.starts_with("LVDS") ||
           connector.starts_with("DSI");
}

namespace {

// sway 1.8 and later report what an output's EDID does not say as "Unknown".
std::string known(const std::string& fact) {
    return fact == "Unknown" ? std::string() : fact;
}

} // namespace

Screen screenFor(const OutputFacts& output, std::uint32_t displayNumber) {
    const std::string make = known(output.make);
    const std::string model = known(output.model);
    const std::string serial = known(output.serial);
    Screen screen;
    screen.frame = output.frame;
    screen.visibleFrame = output.usable;
    screen.displayNumber = displayNumber;
    screen.name = make.empty() && model.empty()   ? output.connector
                  : make.empty() || model.empty() ? make + model
                                                  : make + " " + model;
    screen.isBuiltIn = isBuiltInConnector(output.connector);
    // The same monitor on any port; without a serial, two of one model on two ports differ.
    screen.uuid = uuidFor("output:" + make + "|" + model + "|" +
                          (serial.empty() ? output.connector : serial));
    return screen;
}

} // namespace panemark::ScreenIdentity
