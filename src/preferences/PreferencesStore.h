#pragma once

#include <QVariant>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace panemark {

// The user's application-wide preferences: an INI file, by default
// $XDG_CONFIG_HOME/Panemark/Panemark.conf. A value that is missing or of the wrong kind reads as
// none, and the caller's default stands in. Something at that path that is not a regular file
// (a folder, a FIFO), or one too large, is never opened: it is reported once, and settings made
// meanwhile last until the program ends.
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

    // Largest preferences file read; a larger one is left alone and the defaults stand in.
    static constexpr long long maxFileSize = 1024 * 1024;

private:
    QVariant value(const std::string& key) const;
    void write(const std::string& key, const QVariant& value);

    std::unique_ptr<QSettings> settings_;     // none when the file cannot be used
    std::map<std::string, QVariant> unsaved_; // what was set while there is no file to keep it
};

} // namespace panemark
