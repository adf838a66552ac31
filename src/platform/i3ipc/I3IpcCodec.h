#pragma once

#include "base/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace panemark {

// The framing of i3's IPC, which sway speaks too: "i3-ipc", the payload's length and its type
// as 32-bit integers in this machine's byte order, then the payload (JSON). Replies come back
// with the type of their request; events have the high bit set.
namespace I3IpcCodec {

enum MessageType : std::uint32_t {
    runCommand = 0,
    getWorkspaces = 1,
    subscribe = 2,
    getOutputs = 3,
    getTree = 4,
    getVersion = 7,
    getConfig = 9,
    getInputs = 100,
};

inline constexpr std::uint32_t eventBit = 0x80000000u;
enum EventType : std::uint32_t {
    workspaceEvent = eventBit | 0,
    outputEvent = eventBit | 1,
    windowEvent = eventBit | 3,
    bindingEvent = eventBit | 5,
    shutdownEvent = eventBit | 6,
    inputEvent = eventBit | 0x15,
};

inline constexpr std::string_view magic = "i3-ipc";
inline constexpr std::size_t headerSize = 14;
// No reply of a desktop comes near this (a tree of hundreds of windows is a few hundred KB); a
// length beyond it is a broken or hostile peer.
inline constexpr std::uint32_t maxPayload = 64u * 1024 * 1024;

struct Message {
    std::uint32_t type = 0;
    std::string payload;
};

std::string encode(std::uint32_t type, std::string_view payload);

// Takes bytes as they arrive, in pieces of any size, and hands out whole messages.
class Decoder {
public:
    void feed(std::string_view bytes) { buffer_.append(bytes); }
    // The next whole message; none while one is still arriving; an error when the stream is not
    // this protocol or announces a payload over maxPayload (the stream is then unusable).
    Result<std::optional<Message>> next();
    std::size_t buffered() const { return buffer_.size(); }

private:
    std::string buffer_;
};

} // namespace I3IpcCodec

} // namespace panemark
