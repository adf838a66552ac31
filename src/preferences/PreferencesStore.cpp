#include "preferences/PreferencesStore.h"

#include "base/Log.h"

#include <QSettings>
#include <QStandardPaths>
#include <sys/stat.h>

namespace panemark {

PreferencesStore::PreferencesStore(const std::string& path) {
    struct stat info = {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        Log::write("the preferences file " + path + " is not a regular file; using the defaults");
        return;
    }
    if (exists && info.st_size > maxFileSize) {
        Log::write("the preferences file " + path + " is larger than 1 MiB; using the defaults");
        return;
    }
    settings_ = std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat);
}

QVariant PreferencesStore::value(const std::string& key) const {
    if (!settings_) {
        const auto found = unsaved_.find(key);
        return found == unsaved_.end() ? QVariant() : found->second;
    }
    return settings_->value(QString::fromStdString(key));
}

void PreferencesStore::write(const std::string& key, const QVariant& value) {
    if (!settings_) {
        unsaved_[key] = value;
        return;
    }
    settings_->setValue(QString::fromStdString(key), value);
    settings_->sync();
}

PreferencesStore::~PreferencesStore() = default;

std::string PreferencesStore::defaultPath() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            "/Panemark/Panemark.conf")
        .toStdString();
}

std::optional<bool> PreferencesStore::readBool(const std::string& key) const {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::Bool) {
        return stored.toBool();
    }
    const QString text = stored.toString();
    if (text == "true" || text == "1") {
        return true;
    }
    if (text == "false" || text == "0") {
        return false;
    }
    return std::nullopt;
}

std::optional<double> PreferencesStore::readDouble(const std::string& key) const {
    const QVariant stored = value(key);
    if (!stored.isValid()) {
        return std::nullopt;
    }
    bool ok = false;
    const double number = stored.toString().toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

std::optional<std::string> PreferencesStore::readString(const std::string& key) const {
    const QVariant stored = value(key);
    if (!stored.isValid() || stored.typeId() == QMetaType::QStringList) {
        return std::nullopt;
    }
    return stored.toString().toStdString();
}

void PreferencesStore::writeBool(const std::string& key, bool value) {
    write(key, value);
}

void PreferencesStore::writeDouble(const std::string& key, double value) {
    write(key, value);
}

void PreferencesStore::writeString(const std::string& key, const std::string& value) {
    write(key, QString::fromStdString(value));
}

} // namespace panemark
