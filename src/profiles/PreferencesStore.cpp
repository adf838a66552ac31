#include "profiles/PreferencesStore.h"

#include <QSettings>
#include <QStandardPaths>

namespace panemark {

PreferencesStore::PreferencesStore(const std::string& path)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat)) {}

PreferencesStore::~PreferencesStore() = default;

std::string PreferencesStore::defaultPath() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            "/Panemark/Panemark.conf")
        .toStdString();
}

std::optional<bool> PreferencesStore::readBool(const std::string& key) const {
    const QVariant value = settings_->value(QString::fromStdString(key));
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool();
    }
    const QString text = value.toString();
    if (text == "true" || text == "1") {
        return true;
    }
    if (text == "false" || text == "0") {
        return false;
    }
    return std::nullopt;
}

std::optional<double> PreferencesStore::readDouble(const std::string& key) const {
    const QVariant value = settings_->value(QString::fromStdString(key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    bool ok = false;
    const double number = value.toString().toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

std::optional<std::string> PreferencesStore::readString(const std::string& key) const {
    const QVariant value = settings_->value(QString::fromStdString(key));
    if (!value.isValid() || value.typeId() == QMetaType::QStringList) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void PreferencesStore::writeBool(const std::string& key, bool value) {
    settings_->setValue(QString::fromStdString(key), value);
    settings_->sync();
}

void PreferencesStore::writeDouble(const std::string& key, double value) {
    settings_->setValue(QString::fromStdString(key), value);
    settings_->sync();
}

void PreferencesStore::writeString(const std::string& key, const std::string& value) {
    settings_->setValue(QString::fromStdString(key), QString::fromStdString(value));
    settings_->sync();
}

} // namespace panemark
