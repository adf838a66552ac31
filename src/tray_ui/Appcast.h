#pragma once

#include "base/AppVersion.h"
#include "base/Result.h"

#include <QByteArray>
#include <string>
#include <vector>

namespace panemark {

// An update feed: RSS whose items each carry a version (the build), a short version (what
// people read) and where to get it.
class Appcast {
public:
    struct Item {
        std::string version;      // the build, as compared; may be empty when short is given
        std::string shortVersion; // may be empty
        std::string downloadUrl;  // the item's page, else its enclosure
    };
    // What a feed says about this program.
    struct Verdict {
        bool newer = false;
        Item latest; // the newest item (only meaningful when the feed had one)
    };

    // The items of a feed that name a version; an error in words when it is not an RSS feed.
    static Result<std::vector<Item>> parse(const QByteArray& feed);

    // Compares two version strings part by part: numbers as numbers, any length ("1.10" is
    // after "1.9"), words before numbers ("1.0b1" is before "1.0", "1.0.1" after). Missing
    // trailing parts count as nothing. Negative, zero or positive, like strcmp.
    static int compareVersions(const std::string& a, const std::string& b);

    // Whether the feed's newest item is newer than the running program: by short version, and
    // by build when the short versions are equal.
    static Verdict judge(const std::vector<Item>& items, const AppVersion& running);
};

} // namespace panemark
