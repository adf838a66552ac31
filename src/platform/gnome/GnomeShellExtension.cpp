#include "platform/gnome/GnomeShellExtension.h"

#include "platform/helper/HelperScript.h"

#include <QStandardPaths>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <regex>

namespace panemark::GnomeShellExtension {

namespace {

std::string metadata(int shellMajor) {
    nlohmann::json versions = nlohmann::json::array();
    if (shellMajor < 45) {
        versions = {"43", "44"};
    } else {
        for (int major = 45; major <= std::max(shellMajor, newestKnownShell); ++major) {
            versions.push_back(std::to_string(major));
        }
    }
    return nlohmann::json{{"uuid", uuid},
                          {"name", "Panemark"},
                          {"description",
                           "Lets Panemark place windows, hear its shortcuts and open its palette "
                           "from the top bar."},
                          {"shell-version", versions},
                          {"version", protocol},
                          {"url", "https://panemark.app"}}
               .dump(2) +
           "\n";
}

} // namespace

std::string core() {
    return HelperScript::withSharedLogic(
        HelperScript::resource(":/panemark/gnome/extension/core.js"));
}

std::vector<File> files(int shellMajor) {
    const std::string entry =
        HelperScript::resource(shellMajor < 45 ? ":/panemark/gnome/extension/entry-legacy.js"
                                               : ":/panemark/gnome/extension/entry-modules.js");
    return {
        {"metadata.json", metadata(shellMajor)},
        {"extension.js", core() + entry},
        {"panemark.svg", HelperScript::resource(":/panemark/gnome/panemark.svg")},
    };
}

Result<std::filesystem::path> install(const std::filesystem::path& extensionsFolder,
                                      int shellMajor) {
    const std::filesystem::path folder = extensionsFolder / uuid;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return Error{"cannot make " + folder.string() + ": " + error.message()};
    }
    for (const File& file : files(shellMajor)) {
        // Written beside and renamed, so a shell that reads the folder meanwhile sees whole files.
        const std::filesystem::path target = folder / file.name;
        const std::filesystem::path part = folder / (file.name + ".part");
        {
            std::ofstream out(part, std::ios::binary | std::ios::trunc);
            out << file.text;
            if (!out.flush()) {
                return Error{"cannot write " + part.string()};
            }
        }
        std::filesystem::rename(part, target, error);
        if (error) {
            return Error{"cannot write " + target.string() + ": " + error.message()};
        }
    }
    return folder;
}

std::optional<std::filesystem::path> installedCopy() {
    const std::filesystem::path user = userExtensionsFolder() / uuid;
    if (std::filesystem::exists(user / "metadata.json")) {
        return user; // a user's copy hides the system's
    }
    const QStringList dataFolders =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& data : dataFolders) {
        const std::filesystem::path system =
            std::filesystem::path(data.toStdString()) / "gnome-shell" / "extensions" / uuid;
        if (std::filesystem::exists(system / "metadata.json")) {
            return system;
        }
    }
    return std::nullopt;
}

namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

bool fits(const std::filesystem::path& folder, int shellMajor) {
    const nlohmann::json metadata =
        nlohmann::json::parse(fileText(folder / "metadata.json"), nullptr, false);
    if (!metadata.is_object() || !metadata.contains("shell-version") ||
        !metadata["shell-version"].is_array()) {
        return false;
    }
    const nlohmann::json& claimed = metadata["shell-version"];
    if (std::find(claimed.begin(), claimed.end(), std::to_string(shellMajor)) == claimed.end()) {
        return false;
    }
    // Another Panemark's extension may speak otherwise: only this program's own body fits.
    for (const File& file : files(shellMajor)) {
        if (file.name == "extension.js") {
            return fileText(folder / file.name) == file.text;
        }
    }
    return false;
}

std::filesystem::path userExtensionsFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return std::filesystem::path(data.toStdString()) / "gnome-shell" / "extensions";
}

std::optional<int> majorVersion(const std::string& text) {
    std::smatch match;
    if (std::regex_search(text, match, std::regex(R"((\d+)(\.\d+)*)"))) {
        return std::stoi(match[1].str());
    }
    return std::nullopt;
}

std::optional<std::string> enabledWith(const std::string& list) {
    static const std::regex whole(R"(^\s*(@as\s*)?\[(.*)\]\s*$)");
    std::smatch match;
    if (!std::regex_match(list, match, whole)) {
        return std::nullopt;
    }
    // The items are quoted strings; an extension uuid never holds a quote or a backslash.
    static const std::regex item(R"('([^'\\]*)'|\"([^\"\\]*)\")");
    const std::string items = match[2].str();
    std::vector<std::string> names;
    for (auto it = std::sregex_iterator(items.begin(), items.end(), item);
         it != std::sregex_iterator(); ++it) {
        names.push_back((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
    }
    if (std::find(names.begin(), names.end(), uuid) == names.end()) {
        names.push_back(uuid);
    }
    std::string text = "[";
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i ? ", '" : "'") + names[i] + "'";
    }
    return text + "]";
}

} // namespace panemark::GnomeShellExtension
