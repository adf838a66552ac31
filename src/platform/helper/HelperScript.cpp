#include "platform/helper/HelperScript.h"

#include "platform/OwnWindows.h"

#include <QFile>
#include <QString>
#include <nlohmann/json.hpp>

namespace panemark {

namespace {

constexpr std::string_view marker = "%HELPER_LOGIC%";

void fillIn(std::string& text, std::string_view placeholder, const std::string& value) {
    if (const std::size_t at = text.find(placeholder); at != std::string::npos) {
        text.replace(at, placeholder.size(), value);
    }
}

} // namespace

std::string HelperScript::resource(std::string_view path) {
    QFile file(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

std::string HelperScript::sharedLogic() {
    std::string text = resource(":/panemark/helper/helper-logic.js");
    nlohmann::json quiet = nlohmann::json::array();
    for (const std::string_view title : OwnWindows::quietTitles) {
        quiet.push_back(std::string(title));
    }
    fillIn(text, "%QUIET_TITLES%", quiet.dump());
    fillIn(text, "%PALETTE_TITLE%", nlohmann::json(std::string(OwnWindows::paletteTitle)).dump());
    fillIn(text, "%APP_ID%", nlohmann::json(std::string(OwnWindows::appId)).dump());
    return text;
}

std::string HelperScript::withSharedLogic(std::string script) {
    fillIn(script, marker, sharedLogic());
    return script;
}

} // namespace panemark
