#include "app/startup.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "core/codepage.h"

namespace ovik::app {

int SettingNumber(const std::string& text, int def) {
    if (text.empty()) return def;
    size_t i = (text[0] == '-') ? 1 : 0;
    if (i == text.size()) return def;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return def;
    try {
        return std::stoi(text);
    } catch (...) {
        return def;
    }
}

void AppSettings::EnsurePublishingDefaults() {
    if (ReadSetting("oviknet", "numConfTot").empty()) {
        WriteSetting("oviknet", "numConfTot", "1");
        WriteSetting("oviknet", "numSelectedConf", "0");
        const char* sec = "oviknet\\0";
        WriteSetting(sec, "directoryGet", std::filesystem::temp_directory_path().string());
        WriteSetting(sec, "ovikBaseDir", "/scripts/cgi-ovik/");
        WriteSetting(sec, "ovikBaseDir2", "/scripts/cgi-ovik/");
        WriteSetting(sec, "ovikCGI", "ovikd.dll");
        WriteSetting(sec, "ovikUpCGI", "ovikupd.dll");
        WriteSetting(sec, "nomeConf", "DefaultNT");
        WriteSetting(sec, "port", "80");
        WriteSetting(sec, "server", "localhost");
        WriteSetting(sec, "sezione", "0");
        WriteSetting(sec, "timeout", "30");
        WriteSetting(sec, "user", "default");
    }
    if (ReadSetting("ftpnet", "numConfTot").empty()) {
        WriteSetting("ftpnet", "numConfTot", "1");
        for (const char* n : {"numSelectedConf", "numSelectedConf0", "numSelectedConf1", "numSelectedConf2"})
            WriteSetting("ftpnet", n, "0");
        const char* sec = "ftpnet\\0";
        WriteSetting(sec, "BaseDir", "/");
        WriteSetting(sec, "nomeConf", "Default");
        WriteSetting(sec, "port", "21");
        WriteSetting(sec, "savePass", "0");
        WriteSetting(sec, "server", "localhost");
        WriteSetting(sec, "timeout", "30");
        WriteSetting(sec, "user", "anonymous");
        WriteSetting(sec, "useScript", "0");
    }
}

AppliedOptions ReadAppliedOptions(const AppSettings& s) {
    AppliedOptions o;
    o.formLim = std::max(3, SettingNumber(s.ReadOption("FormLim"), 3));
    o.maxCacheImg = SettingNumber(s.ReadOption("maxCacheImg"), 20);
    o.undoDeep = SettingNumber(s.ReadOption("undoDeep"), 20);
    // Minutes between reminders: 0 or less turns the reminder off (a zero
    // interval would ask again at once after every "No"); at most a day, so
    // the interval in milliseconds stays well within an int.
    const int minutes = SettingNumber(s.ReadOption("TimeSave"), 5);
    o.saveReminder = s.ReadOption("PromemSave") == "1" && minutes > 0;
    o.saveReminderMs = std::clamp(minutes, 1, kMaxSaveReminderMinutes) * 60000;
    o.typographicQuotes = s.ReadOption("Virgolette") == "1";
    o.alt = s.ReadOption("Alt") == "1";
    o.dbDebug = s.ReadOption("DBdebug") == "1";
    o.dbDebugMap = s.ReadOption("DBdebugMap") == "1";
    o.bak = s.ReadOption("Bak") != "0";
    o.leftBorder = s.ReadOption("BordoSx") == "1";
    o.findOnTop = s.ReadOption("CercaTop") == "1";
    o.atStartBlank = s.ReadOption("AtStartBlank") == "1";
    o.autoHideTip = s.ReadOption("autoHideTip") == "1";
    o.toolbarFromSettings = s.ReadOption("NotSaveTool") == "0";
    o.spellLanguage = SettingNumber(s.ReadSetting("orto", "lang"), 1040);
    o.spellAuto = s.ReadSetting("orto", "auto") != "0";
    int browsers = SettingNumber(s.ReadSetting("Browser", "num"), 0);
    for (int i = 0; i < browsers; ++i) {
        std::string name = s.ReadSetting("Browser", std::to_string(i));
        if (!name.empty()) o.browsers.push_back(name);
    }
    return o;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine c;
    if (args.empty()) return c;
    if (args[0] == "--reader") {
        c.reader = true;
        std::ostringstream f;
        for (size_t i = 1; i < args.size(); ++i) f << (i > 1 ? " " : "") << args[i];
        c.file = f.str();
        return c;
    }
    // On Linux a path starts with "/" too: only the four known words are switches.
    std::string sw = args[0].empty() ? "" : cp1252::Upper(args[0].substr(1));
    bool isSwitch = !args[0].empty() && args[0][0] == '/' &&
                    (sw == "PRINT" || sw == "POVIK" || sw == "PFTP" || sw == "INIT") &&
                    !std::filesystem::exists(args[0]);
    if (isSwitch) {
        if (sw == "PRINT") c.action = PendingAction::Print;
        else if (sw == "POVIK") c.action = PendingAction::PublishServer;
        else if (sw == "PFTP") c.action = PendingAction::PublishFtp;
        else c.init = true;
        if (args.size() > 1) c.file = args[1];
        return c;
    }
    std::ostringstream f;
    for (size_t i = 0; i < args.size(); ++i) f << (i ? " " : "") << args[i];
    c.file = f.str();
    return c;
}

void RecentFiles::Load(const AppSettings& s) {
    files_.clear();
    for (size_t i = 0; i < kMax; ++i) {
        std::string f = s.ReadSetting("RecentFile", std::to_string(i));
        if (!f.empty()) files_.push_back(f);
    }
}

void RecentFiles::Save(AppSettings& s) const {
    for (size_t i = 0; i < kMax; ++i)
        s.WriteSetting("RecentFile", std::to_string(i), i < files_.size() ? files_[i] : "");
}

void RecentFiles::Use(const std::string& file) {
    Remove(file);
    files_.push_back(file);
    while (files_.size() > kMax) files_.erase(files_.begin());
}

void RecentFiles::Remove(const std::string& file) {
    files_.erase(std::remove(files_.begin(), files_.end(), file), files_.end());
}

std::optional<std::string> WindowCache::Show(const std::string& key) {
    auto it = std::find(order_.begin(), order_.end(), key);
    if (it != order_.end()) {
        order_.erase(it);
        order_.push_back(key);
        return std::nullopt;
    }
    order_.push_back(key);
    if (order_.size() > limit_) {
        std::string gone = order_.front();
        order_.erase(order_.begin());
        return gone;
    }
    return std::nullopt;
}

bool WindowCache::Has(const std::string& key) const {
    return std::find(order_.begin(), order_.end(), key) != order_.end();
}

int DetectWordProcessor(AppSettings& s, const std::string& today, const std::function<int()>& probe) {
    if (s.ReadOption("LastDetWord") == today) return SettingNumber(s.ReadOption("LastDetWordN"), 0);
    int found = probe ? probe() : 0;
    s.WriteOption("LastDetWordN", std::to_string(found));
    s.WriteOption("LastDetWord", today);
    return found;
}

int ProbeLibreOffice() {
    const char* path = std::getenv("PATH");
    if (!path) return 0;
    std::stringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        std::filesystem::path p = std::filesystem::path(dir) / "soffice";
        if (::access(p.c_str(), X_OK) == 0) return 1;
    }
    return 0;
}

}  // namespace ovik::app
