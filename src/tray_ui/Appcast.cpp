#include "tray_ui/Appcast.h"

#include <QXmlStreamReader>
#include <cctype>

namespace panemark {

namespace {

// A version split into runs of digits and runs of letters; separators only separate.
std::vector<std::string> partsOf(const std::string& version) {
    std::vector<std::string> parts;
    std::string current;
    auto kind = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return std::isdigit(u) ? 1 : std::isalpha(u) ? 2 : 0;
    };
    for (const char c : version) {
        if (kind(c) == 0 || (!current.empty() && kind(c) != kind(current.back()))) {
            if (!current.empty()) {
                parts.push_back(current);
            }
            current.clear();
        }
        if (kind(c) != 0) {
            current += c;
        }
    }
    if (!current.empty()) {
        parts.push_back(current);
    }
    return parts;
}

bool isNumber(const std::string& part) {
    return !part.empty() && std::isdigit(static_cast<unsigned char>(part.front()));
}

// Numbers of any length, without converting them.
int compareNumbers(std::string a, std::string b) {
    a.erase(0, std::min(a.find_first_not_of('0'), a.size()));
    b.erase(0, std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

std::string text(const QString& value) {
    return value.trimmed().toStdString();
}

} // namespace

int Appcast::compareVersions(const std::string& a, const std::string& b) {
    const std::vector<std::string> left = partsOf(a);
    const std::vector<std::string> right = partsOf(b);
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        if (i >= left.size() || i >= right.size()) {
            // One ran out: more numbers make a later version, a word an earlier one.
            const std::string& extra = i < left.size() ? left[i] : right[i];
            const int longerIsLater = isNumber(extra) ? 1 : -1;
            return i < left.size() ? longerIsLater : -longerIsLater;
        }
        const bool leftNumber = isNumber(left[i]);
        const bool rightNumber = isNumber(right[i]);
        int order = 0;
        if (leftNumber && rightNumber) {
            order = compareNumbers(left[i], right[i]);
        } else if (leftNumber != rightNumber) {
            order = leftNumber ? 1 : -1; // "1.0" is after "1.b"
        } else {
            order = left[i].compare(right[i]) < 0 ? -1 : left[i].compare(right[i]) > 0 ? 1 : 0;
        }
        if (order != 0) {
            return order;
        }
    }
    return 0;
}

Result<std::vector<Appcast::Item>> Appcast::parse(const QByteArray& feed) {
    QXmlStreamReader reader(feed);
    std::vector<Item> items;
    bool sawRss = false;
    std::optional<Item> item;
    std::string enclosureUrl;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringView name = reader.name();
            if (name == u"rss") {
                sawRss = true;
            } else if (name == u"item") {
                item = Item{};
                enclosureUrl.clear();
            } else if (item && name == u"enclosure") {
                const QXmlStreamAttributes attributes = reader.attributes();
                enclosureUrl = text(attributes.value("url").toString());
                for (const QXmlStreamAttribute& attribute : attributes) {
                    if (attribute.name() == u"version" && item->version.empty()) {
                        item->version = text(attribute.value().toString());
                    } else if (attribute.name() == u"shortVersionString" &&
                               item->shortVersion.empty()) {
                        item->shortVersion = text(attribute.value().toString());
                    }
                }
            } else if (item && name == u"version") {
                item->version = text(reader.readElementText());
            } else if (item && name == u"shortVersionString") {
                item->shortVersion = text(reader.readElementText());
            } else if (item && name == u"link") {
                item->downloadUrl = text(reader.readElementText());
            }
        } else if (reader.isEndElement() && reader.name() == u"item" && item) {
            if (item->downloadUrl.empty()) {
                item->downloadUrl = enclosureUrl;
            }
            if (!item->version.empty() || !item->shortVersion.empty()) {
                items.push_back(*item);
            }
            item.reset();
        }
    }
    if (reader.hasError()) {
        return Error{"the feed is not valid XML (line " + std::to_string(reader.lineNumber()) +
                     ": " + reader.errorString().toStdString() + ")"};
    }
    if (!sawRss) {
        return Error{"the feed is not an RSS feed"};
    }
    return items;
}

Appcast::Verdict Appcast::judge(const std::vector<Item>& items, const AppVersion& running) {
    Verdict verdict;
    auto later = [](const Item& a, const Item& b) {
        const int byShort = compareVersions(a.shortVersion, b.shortVersion);
        return byShort != 0 ? byShort > 0 : compareVersions(a.version, b.version) > 0;
    };
    for (const Item& item : items) {
        if (&item == &items.front() || later(item, verdict.latest)) {
            verdict.latest = item;
        }
    }
    if (items.empty()) {
        return verdict;
    }
    const Item self{running.build, running.shortVersion, {}};
    const Item& latest = verdict.latest;
    // A feed without short versions compares builds alone.
    verdict.newer = latest.shortVersion.empty() ? compareVersions(latest.version, running.build) > 0
                                                : later(latest, self);
    return verdict;
}

} // namespace panemark
