// The program options window ("Opzioni del programma"): the options table of
// section "options" (and the spell checker's language and background check of
// section "orto"), with their defaults.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "app/interface_language.h"
#include "app/startup.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

enum class OptionKind {
    Flag,       // on only when "1"
    FlagOnByDefault,  // on unless "0"
    Number,     // a whole number; the default when not a number, at least `min`
    Text,
    InvertedFlag,  // NotSaveTool: shown checked when "0"
};

struct OptionRow {
    const char* section;
    const char* name;
    OptionKind kind;
    int def;         // numbers and flags (0/1)
    int min, max;    // numbers
    const char* label;
};

// The options the window shows, in its order.
const std::vector<OptionRow>& OptionTable();

// The options as the window holds them: one normalised string per value
// ("1"/"0" for flags, a number in range for numbers).
struct ProgramOptions {
    std::map<std::string, std::string> values;  // key: section + "\\" + name
    static ProgramOptions Load(const app::AppSettings& s);
    void Save(app::AppSettings& s) const;
    std::string Get(const char* section, const char* name) const;
    void Set(const char* section, const char* name, const std::string& v);
};

// What the window shows of the spell checker: whether it is open and the
// installed languages as (identifier, name), sorted by name.
struct SpellAvailability {
    bool open = false;
    std::vector<std::pair<int, std::string>> languages;
};

class TFOpzioni : public TFDialog {
    Q_OBJECT
public:
    // Asked each time the window loads its values; without it the spelling
    // part shows the fixed language list.
    static inline std::function<SpellAvailability()> spellAvailability;

    TFOpzioni(platform::SettingsStore& store, QWidget* parent = nullptr);
    void Load();
    ProgramOptions Values() const;
    // Writes the widgets into the settings store (the Ok button), the
    // interface language as the option "Language"; the caller then runs
    // ApplyOptions.
    void Apply();
    // The interface language chosen in the window.
    app::InterfaceLanguage Language() const;
    QWidget* Field(const std::string& key) const;

private:
    std::map<std::string, QWidget*> fields_;
    QWidget* spellBoxes_ = nullptr;
    QLabel* spellMissing_ = nullptr;
    QComboBox* language_ = nullptr;
};

}  // namespace ovik::ui
