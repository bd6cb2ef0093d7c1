// The small windows of the Strumenti, File and "?" menus: the toolbars window
// ("Toolbars"), the list of open windows ("Finestre"), the file search
// ("Trova file") and the tips shown at start-up ("Suggerimenti").
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <filesystem>
#include <utility>
#include <vector>

#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

// Which toolbars (and the page list) of the main window are shown. A bar the
// user hides keeps the property "userHidden", so that the editing state does
// not bring it back.
class TFToolbars : public TFDialog {
    Q_OBJECT
public:
    TFToolbars(QMainWindow& main, platform::SettingsStore& store, QWidget* parent = nullptr);
    // Lists the bars with their current state.
    void Load();
    // Shows and hides the bars as ticked.
    void Apply();

    QListWidget* bars;

private:
    QMainWindow& main_;
};

// The windows alive in the window cache; the chosen one is shown again.
class TFFinestre : public TFDialog {
    Q_OBJECT
public:
    explicit TFFinestre(platform::SettingsStore& store, QWidget* parent = nullptr);
    // Each window by its key and title, least recently used first.
    void Load(const std::vector<std::pair<std::string, QString>>& windows);
    // The key of the chosen window, empty for none.
    std::string Chosen() const;

    QListWidget* list;
};

// Searches a folder and its subfolders for files whose names match a pattern
// ("*.hqv"); the chosen file is opened.
class TFTrovaFile : public TFDialog {
    Q_OBJECT
public:
    // At most this many files are listed.
    static constexpr int kMaxResults = 2000;
    explicit TFTrovaFile(platform::SettingsStore& store, QWidget* parent = nullptr);
    void Load(const QString& folder);
    // Fills the list; returns how many files were found.
    int Search();
    std::filesystem::path Chosen() const;

    QLineEdit* folder;
    QLineEdit* pattern;
    QPushButton* browse;
    QPushButton* search;
    QListWidget* results;
    QLabel* status;
};

// A tip for the new user, with "Mostra all'avvio" (the option autoHideTip).
class TFSuggerimenti : public TFDialog {
    Q_OBJECT
public:
    explicit TFSuggerimenti(platform::SettingsStore& store, QWidget* parent = nullptr);
    void Load();
    void NextTip();
    static const std::vector<QString>& Tips();

    QLabel* tip;
    QCheckBox* showAtStart;
    QPushButton* next;

private:
    int index_ = 0;
    int shown_ = -1;  // the tip on show
};

}  // namespace ovik::ui
