// The main window's document commands as logic: new, open, save, save as,
// save as template, the question before discarding changes, closing, the save
// reminder, and the document state the window shows (caption, modified state).
//
// Questions and messages go through platform::Messages. What only the window
// and its editing view can do (the save dialog, the error window, showing and
// dropping pages, importing) is asked through DocumentUi callbacks; a callback
// left empty does nothing.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/program_folders.h"

namespace ovik {
class THQVset;
class THQVundoList;
namespace platform {
class Messages;
}
}  // namespace ovik

namespace ovik::app {

inline constexpr const char* kUntitled = "Senza titolo";

// The file types of the save dialog.
enum class SaveType { Hypertext, Rtf, Html, Text };

struct SaveDialogRequest {
    std::filesystem::path folder;  // where the dialog opens
    std::string proposedName;      // the name proposed (UTF-8)
    bool asTemplate = false;
};

struct SaveDialogResult {
    std::filesystem::path name;
    SaveType type = SaveType::Hypertext;  // the type chosen in the dialog
};

// What the window and its editing view provide.
struct DocumentUi {
    // The save dialog; nothing when the user cancels.
    std::function<std::optional<SaveDialogResult>(const SaveDialogRequest&)> askSaveName;
    // The new-hypertext window: nothing when cancelled; an empty path for an
    // empty hypertext, else the template chosen.
    std::function<std::optional<std::filesystem::path>()> askNewFrom;
    // The window "Errori" with its title and the list of errors.
    std::function<void(const std::string& title, const std::vector<std::string>& errors)> showErrors;
    // Pending window messages are processed (before and after a set is cleared,
    // so views drop their pages before the objects go).
    std::function<void()> settle;
    // The editing view.
    std::function<void()> viewDropPage;       // shows no page
    std::function<void()> viewStorePage;      // stores its working page into the set
    std::function<void()> viewShowPageAgain;  // shows the page it showed before
    std::function<void()> viewReset;
    std::function<void(bool preview)> viewShowStartPage;
    std::function<void()> viewReloadPage;      // shows no page, then the same page again
    std::function<bool()> viewModified;       // the view reports a change
    std::function<void()> viewClearModified;
    std::function<void()> viewEnableAndMarkChanged;  // after a refused close
    // The recent-files list and the shell's list of recent documents.
    std::function<void(const std::filesystem::path&)> recentAdd;
    std::function<void(const std::filesystem::path&)> recentRemove;
    // Import into the current hypertext, export to another format, the window
    // that chooses how to open an HTML file. When empty the user is told the
    // function is not available yet.
    std::function<bool(const std::filesystem::path&)> importFile;
    std::function<void(const std::filesystem::path&)> openHtml;
    std::function<bool(const std::filesystem::path&, SaveType)> exportFile;
    // The editing view refreshes its page (a picture file was opened).
    std::function<void()> refreshPage;
    // The save reminder's timer.
    std::function<void()> stopReminder;
    std::function<void()> startReminder;
};

class DocumentController {
public:
    DocumentController(THQVset& set, platform::Messages& messages, ProgramFolders folders,
                       std::string applicationTitle = "Ovik");

    DocumentUi ui;
    // The hypertext's undo history: New, Open and closing empty both its
    // sides, so that no entry of one document is undone into another.
    THQVundoList* history = nullptr;

    // --- commands -----------------------------------------------------------------
    void NewDocument();
    void NewDocumentFrom();
    // True when the file was opened.
    bool OpenDocument(const std::filesystem::path& name, bool asTemplate);
    bool OpenAnyFile(const std::filesystem::path& name, bool askToSave);
    bool SaveDocument();
    bool SaveDocumentAs();
    bool SaveAsTemplate();
    // Offers to save a modified hypertext; false when the user cancelled (the
    // command that asked stops) or the save failed.
    bool AskSave();
    // The window asks whether it may close; false keeps it open.
    bool CloseQuery();
    // The save reminder's timer fired.
    void SaveReminderFired();
    void ReloadPage();

    // --- state ---------------------------------------------------------------------
    // The current name: a file name, or "Senza titolo".
    const std::string& CurrentName() const { return currentName_; }
    bool Unnamed() const { return currentName_ == kUntitled; }
    std::string Caption() const;
    bool Modified() const;
    void ClearModified();
    bool EditMode() const { return editMode_; }
    void SetEditMode(bool on) { editMode_ = on; }
    bool Closing() const { return closing_; }
    const ProgramFolders& Folders() const { return folders_; }

    // Options of the save reminder (`PromemSave`, `TimeSave` in minutes).
    bool PromemSave = false;
    int TimeSave = 10;

private:
    // Saves under `name`, the extension deciding the format before `type`.
    bool SaveByType(const std::filesystem::path& name, SaveType type, bool asTemplate);
    bool SaveAsDialog(bool asTemplate);
    void SetCurrent(const std::filesystem::path& name);
    void SetUntitled();
    void NotAvailable();

    THQVset& set_;
    platform::Messages& messages_;
    ProgramFolders folders_;
    std::string applicationTitle_;
    std::string currentName_ = kUntitled;
    bool sample_ = false;
    bool editMode_ = true;
    bool closing_ = false;
};

}  // namespace ovik::app
