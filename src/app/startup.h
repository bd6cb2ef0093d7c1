// Start-up, settings and the command layer's logic, without widgets: the
// program options with their defaults, the command line, the recent files, the
// values ApplyOptions hands out, the dialog-window cache and the one-a-day
// detection of the word processor.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace ovik::app {

// Reading and writing the program's settings: values under section "options"
// and grouped settings under their own sections. A missing value reads as "".
class AppSettings {
public:
    explicit AppSettings(platform::SettingsStore& store) : store_(store) {}
    std::string ReadOption(const std::string& name) const { return store_.ReadOr("options", name, ""); }
    void WriteOption(const std::string& name, const std::string& value) { store_.Write("options", name, value); }
    std::string ReadSetting(const std::string& section, const std::string& name) const {
        return store_.ReadOr(section, name, "");
    }
    void WriteSetting(const std::string& section, const std::string& name, const std::string& value) {
        store_.Write(section, name, value);
    }
    platform::SettingsStore& Store() { return store_; }

    // Creates the publishing sections with their defaults when missing.
    void EnsurePublishingDefaults();

private:
    platform::SettingsStore& store_;
};

// What ApplyOptions gives to the set, the editor and the timers.
// The longest interval between save reminders, in minutes (one day).
inline constexpr int kMaxSaveReminderMinutes = 24 * 60;

struct AppliedOptions {
    int formLim = 3;
    int maxCacheImg = 20;
    int undoDeep = 20;
    bool saveReminder = false;
    int saveReminderMs = 5 * 60000;
    bool typographicQuotes = false;  // Virgolette
    bool alt = false, dbDebug = false, dbDebugMap = false, bak = true;
    bool leftBorder = false;         // BordoSx
    bool findOnTop = false;          // CercaTop
    bool atStartBlank = false;
    bool autoHideTip = false;
    bool toolbarFromSettings = false;  // NotSaveTool == "0"
    int spellLanguage = 1040;          // orto\lang
    bool spellAuto = true;             // orto\auto
    std::vector<std::string> browsers; // Browser\num and names
};
AppliedOptions ReadAppliedOptions(const AppSettings& s);

// A number from a settings string; `def` when it is not a whole number.
int SettingNumber(const std::string& text, int def);

// The command line of the editor.
enum class PendingAction { None = 0, Print = 1, PublishServer = 2, PublishFtp = 3 };
struct CommandLine {
    PendingAction action = PendingAction::None;
    bool init = false;      // "/INIT": first-run set-up of the publishing settings
    bool reader = false;    // "--reader FILE": open in preview for readers
    std::string file;       // empty = none given
};
// args excludes the program name. "/PRINT", "/POVIK", "/PFTP", "/INIT" before
// the file; otherwise all arguments joined by blanks are one file name (a path
// with blanks may arrive split).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The recent files: at most five, oldest first, kept in section "RecentFile"
// as values "0" to "4".
class RecentFiles {
public:
    static constexpr size_t kMax = 5;
    void Load(const AppSettings& s);
    void Save(AppSettings& s) const;
    // Moves (or adds) the name to the end; the oldest goes when there are more
    // than five. Names are compared exactly (file names are case-sensitive here).
    void Use(const std::string& file);
    void Remove(const std::string& file);
    const std::vector<std::string>& Files() const { return files_; }

private:
    std::vector<std::string> files_;
};

// The dialog-window cache: windows are made on first use and kept; at most
// FormLim (at least 3) stay alive, the least recently used goes first.
class WindowCache {
public:
    explicit WindowCache(int formLim) : limit_(formLim < 3 ? 3 : size_t(formLim)) {}
    // Returns the key of a window to destroy now, if any.
    std::optional<std::string> Show(const std::string& key);
    const std::vector<std::string>& Order() const { return order_; }
    bool Has(const std::string& key) const;

private:
    size_t limit_;
    std::vector<std::string> order_;
};

// Detects the word processor used for DOC and WRI files once a day: the stored
// result when LastDetWord is today, else `probe()` (0 = none, 1 or 2 = found),
// stored with today's date.
int DetectWordProcessor(AppSettings& s, const std::string& today, const std::function<int()>& probe);
// The usual probe: 1 when LibreOffice ("soffice") is on the PATH, else 0.
int ProbeLibreOffice();

}  // namespace ovik::app
