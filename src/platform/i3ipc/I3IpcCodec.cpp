#include "platform/i3ipc/I3IpcCodec.h"

#include <cstring>

namespace panemark::I3IpcCodec {

std::string encode(std::uint32_t type, std::string_view payload) {
    const auto length = static_cast<std::uint32_t>(payload.size());
    std::string frame(magic);
    frame.append(reinterpret_cast<const char*>(&length), sizeof length);
    frame.append(reinterpret_cast<const char*>(&type), sizeof type);
    frame.append(payload);
    return frame;
}

Result<std::optional<Message>> Decoder::next() {
    const std::size_t compared = std::min(buffer_.size(), magic.size());
    if (std::string_view(buffer_).substr(0, compared) != magic.substr(0, compared)) {
        return Error{"the IPC peer does not speak i3's protocol (no \"i3-ipc\" header)"};
    }
    if (buffer_.size() < headerSize) {
        return std::optional<Message>();
    }
    std::uint32_t length = 0;
    std::uint32_t type = 0;
    std::memcpy(&length, buffer_.data() + magic.size(), sizeof length);
    std::memcpy(&type, buffer_.data() + magic.size() + sizeof length, sizeof type);
    if (length > maxPayload) {
        return Error{"the IPC peer announced a message of " + std::to_string(length) +
                     " bytes, more than any desktop sends"};
    }
    if (buffer_.size() < headerSize + length) {
        return std::optional<Message>();
    }
    Message message{type, buffer_.substr(headerSize, length)};
    buffer_.erase(0, headerSize + length);
    return std::optional<Message>(std::move(message));
}

} // namespace panemark::I3IpcCodec
