#pragma once

#include "base/Cancellable.h"

#include <functional>
#include <memory>
#include <vector>

namespace panemark {

// A list of callbacks notified synchronously on the emitting thread. Slots may connect,
// disconnect or destroy the signal's owner while it emits; a slot disconnected during an
// emission is not called later in that emission.
template <class... Args> class Signal {
public:
    using Slot = std::function<void(const Args&...)>;

    [[nodiscard]] Subscription connect(Slot slot) {
        auto entry = std::make_shared<Entry>(Entry{std::move(slot), true});
        state_->entries.push_back(entry);
        std::weak_ptr<State> weakState = state_;
        return Subscription([weakState, entry] {
            entry->connected = false;
            if (auto state = weakState.lock()) {
                state->sweep();
            }
        });
    }

    void emit(const Args&... args) const {
        emitWhile([] { return true; }, args...);
    }

    // Emits to each slot in turn for as long as keepGoing() holds.
    template <class KeepGoing> void emitWhile(KeepGoing&& keepGoing, const Args&... args) const {
        std::shared_ptr<State> state = state_; // the owner may be destroyed by a slot
        auto snapshot = state->entries;
        ++state->emitting;
        for (const auto& entry : snapshot) {
            if (!keepGoing()) {
                break;
            }
            if (entry->connected) {
                entry->slot(args...);
            }
        }
        --state->emitting;
        state->sweep();
    }

    std::size_t connectionCount() const {
        std::size_t count = 0;
        for (const auto& entry : state_->entries) {
            count += entry->connected ? 1 : 0;
        }
        return count;
    }

private:
    struct Entry {
        Slot slot;
        bool connected;
    };
    struct State {
        std::vector<std::shared_ptr<Entry>> entries;
        int emitting = 0;
        void sweep() {
            if (emitting == 0) {
                std::erase_if(entries, [](const auto& entry) { return !entry->connected; });
            }
        }
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace panemark
