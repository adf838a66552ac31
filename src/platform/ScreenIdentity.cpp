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

Screen screenFor(const OutputFacts& output, std::uint32_t displayNumber) {
    Screen screen;
    screen.frame = output.frame;
    screen.visibleFrame = output.usable;
    screen.displayNumber = displayNumber;
    screen.name = output.make.empty() && output.model.empty() ? output.connector
                                                              : output.make + " " + output.model;
    screen.isBuiltIn = isBuiltInConnector(output.connector);
    // The same monitor on any port; without a serial, two of one model on two ports differ.
    const bool hasSerial = !output.serial.empty() && output.serial != "Unknown";
    screen.uuid = uuidFor("output:" + output.make + "|" + output.model + "|" +
                          (hasSerial ? output.serial : output.connector));
    return screen;
}

} // namespace panemark::ScreenIdentity
