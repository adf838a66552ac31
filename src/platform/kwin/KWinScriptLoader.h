#pragma once

#include "base/Result.h"

#include <QObject>
#include <QVariant>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace panemark {

// Loads Panemark's script into KWin and takes it out again, through KWin's scripting service on
// the session bus. Each load writes a new copy, with a new token, into Panemark's runtime
// folder: KWin 5.27 may hand a script loaded after an unload the path of an earlier one.
class KWinScriptLoader {
public:
    // The program's script is "panemark"; a command line's, running beside it, another.
    KWinScriptLoader(std::filesystem::path folder, std::string pluginName, std::string service);
    ~KWinScriptLoader();
    KWinScriptLoader(const KWinScriptLoader&) = delete;
    KWinScriptLoader& operator=(const KWinScriptLoader&) = delete;

    // Replaces whatever copy KWin runs (of this run or an earlier one) by a new one written with
    // this token.
    Result<bool> load(const std::string& token);
    // A token no earlier copy had.
    static std::string newToken();
    // Takes the script out of KWin and removes its copy.
    void unload();
    // Asks KWin, without waiting, whether it runs the script: the answer (none when KWin did
    // not give one) comes on `context`'s thread. KWin says nothing when a script is unloaded.
    void askIsLoaded(QObject* context, std::function<void(std::optional<bool>)> answer) const;
    const std::string& pluginName() const { return pluginName_; }
    // Whether the last load got as far as KWin starting the script.
    bool isLoaded() const { return loaded_; }

    // The script as it is written for a token and the bus name it calls.
    static std::string scriptText(const std::string& token, const std::string& service);
    // The folder Panemark writes its copies to: $XDG_RUNTIME_DIR/panemark.
    static std::filesystem::path defaultFolder();

private:
    Result<bool> call(const char* method, const std::vector<QVariant>& arguments,
                      QVariant* reply = nullptr);
    void removeCopies();

    std::filesystem::path folder_;
    std::string pluginName_;
    std::string service_;
    bool loaded_ = false;
};

} // namespace panemark
