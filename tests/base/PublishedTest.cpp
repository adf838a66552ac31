#include "base/Published.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace panemark {
namespace {

struct Store : ObservableObject {
    Published<int> count{1, this};
    Published<std::string> title{"a", this};
};

TEST(PublishedTest, StoredThenTheOwnerThenSubscribersHearIt) {
    Store store;
    std::vector<std::string> events;
    auto changed = store.objectChanged.connect(
        [&] { events.push_back("changed:" + std::to_string(store.count.get())); });
    auto subscription = store.count.subscribe([&](const int& value) {
        events.push_back("got:" + std::to_string(value) +
                         " holds:" + std::to_string(store.count.get()));
    });
    store.count = 5;
    EXPECT_EQ(events, (std::vector<std::string>{"got:1 holds:1", "changed:5", "got:5 holds:5"}));
    EXPECT_EQ(store.count.get(), 5);
}

TEST(PublishedTest, DroppedSubscriptionsHearNothingMore) {
    Store store;
    std::vector<std::string> seen;
    {
        auto subscription =
            store.title.subscribe([&](const std::string& value) { seen.push_back(value); });
        store.title = "b";
    }
    store.title = "c";
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

TEST(PublishedTest, AnObserverMayUnsubscribeAnotherDuringDelivery) {
    Store store;
    std::vector<int> second;
    Subscription secondSubscription;
    auto first = store.count.subscribe([&](const int& value) {
        if (value == 7) {
            secondSubscription.cancel();
        }
    });
    secondSubscription = store.count.subscribe([&](const int& value) { second.push_back(value); });
    store.count = 7;
    store.count = 8;
    EXPECT_EQ(second, (std::vector<int>{1}));
}

TEST(PublishedTest, AnAssignmentMadeDuringNotificationWins) {
    Store store;
    std::vector<int> later;
    // The first observer clamps every value to at most 10.
    auto clamp = store.count.subscribe([&](const int& value) {
        if (value > 10) {
            store.count = 10;
        }
    });
    auto observer = store.count.subscribe([&](const int& value) { later.push_back(value); });
    store.count = 50;
    EXPECT_EQ(store.count.get(), 10);
    EXPECT_EQ(later, (std::vector<int>{1, 10})); // 50 never reached the second observer
}

TEST(PublishedTest, ASubscriptionOutlivingItsStoreCancelsNothingElse) {
    Subscription orphan;
    int orphanHeard = 0;
    {
        auto store = std::make_unique<Store>();
        orphan = store->count.subscribe([&](const int&) { ++orphanHeard; });
    }
    ASSERT_EQ(orphanHeard, 1); // the value it had, as it subscribed
    // A new store may take the old one's memory: cancelling the orphan leaves its observers be.
    auto store = std::make_unique<Store>();
    std::vector<int> heard;
    auto live = store->count.subscribe([&](const int& value) { heard.push_back(value); });
    orphan.cancel();
    store->count = 3;
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 3), 1);
    EXPECT_EQ(orphanHeard, 1);
}

TEST(PublishedTest, ASlotMayDestroyTheSignalsOwnerWhileItEmits) {
    auto store = std::make_unique<Store>();
    int heard = 0;
    auto destroyer = store->objectChanged.connect([&] { store.reset(); });
    auto other = store->objectChanged.connect([&] { ++heard; });
    store->objectChanged.emit();
    EXPECT_EQ(store, nullptr);
    EXPECT_EQ(heard, 1);
}

} // namespace
} // namespace panemark
