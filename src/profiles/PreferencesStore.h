#pragma once

#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace panemark {

// The user's application-wide preferences: an INI file, by default
// $XDG_CONFIG_HOME/Panemark/Panemark.conf. A value that is missing or of the wrong kind reads as
// none, and the caller's default stands in.
class PreferencesStore {
public:
    explicit PreferencesStore(const std::string& path = defaultPath());
    ~PreferencesStore();

    static std::string defaultPath();

    std::optional<bool> readBool(const std::string& key) const;
    std::optional<double> readDouble(const std::string& key) const;
    std::optional<std::string> readString(const std::string& key) const;

    void writeBool(const std::string& key, bool value);
    void writeDouble(const std::string& key, double value);
    void writeString(const std::string& key, const std::string& value);

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace panemark
