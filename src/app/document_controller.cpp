#include "app/document_controller.h"

#include <cstdio>
#include <system_error>

#include "convert/conv_modes.h"
#include "core/codepage.h"
#include "core/file_names.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "undo/undo.h"

namespace ovik::app {

namespace fs = std::filesystem;

namespace {

std::string LowerExtension(const fs::path& p) { return cp1252::Lower(p.extension().string()); }

template <class F, class... A>
void Call(const F& f, A&&... a) {
    if (f) f(std::forward<A>(a)...);
}

}  // namespace

DocumentController::DocumentController(THQVset& set, platform::Messages& messages,
                                       ProgramFolders folders, std::string applicationTitle)
    : set_(set),
      messages_(messages),
      folders_(std::move(folders)),
      applicationTitle_(std::move(applicationTitle)) {}

// --- state ----------------------------------------------------------------------------

std::string DocumentController::Caption() const {
    std::string name = Unnamed() ? currentName_ : fs::path(currentName_).filename().string();
    if (sample_) name += " [esempio]";
    return name + " - " + applicationTitle_;
}

bool DocumentController::Modified() const {
    if (!editMode_) return false;
    return (ui.viewModified && ui.viewModified()) || set_.Modified();
}

void DocumentController::ClearModified() {
    set_.SetModified(false);
    Call(ui.viewClearModified);
}

void DocumentController::SetCurrent(const fs::path& name) {
    currentName_ = name.string();
    sample_ = folders_.IsSample(name);
}

void DocumentController::SetUntitled() {
    currentName_ = kUntitled;
    sample_ = false;
}

void DocumentController::NotAvailable() {
    messages_.Information("Questa funzione non è ancora disponibile.");
}

// --- new and open ------------------------------------------------------------------------

void DocumentController::NewDocument() {
    SetUntitled();
    Call(ui.viewDropPage);
    Call(ui.settle);
    set_.NewHypertext();
    if (history) history->Clear();
    Call(ui.viewReset);
    Call(ui.viewShowStartPage, false);
    ClearModified();
    editMode_ = true;
}

void DocumentController::NewDocumentFrom() {
    if (!ui.askNewFrom) return;
    std::optional<fs::path> choice = ui.askNewFrom();
    if (!choice) return;
    if (!AskSave()) return;
    if (!choice->empty())
        OpenDocument(*choice, true);
    else
        NewDocument();
}

bool DocumentController::OpenDocument(const fs::path& name, bool asTemplate) {
    std::error_code ec;
    if (!fs::exists(name, ec)) {
        // The set says the file is missing and keeps what it holds: the current
        // document stays as it is, only the name leaves the recent files.
        set_.OpenHypertext(name);
        Call(ui.recentRemove, name);
        return false;
    }
    Call(ui.viewDropPage);
    Call(ui.settle);
    set_.NewHypertext();
    if (history) history->Clear();
    Call(ui.viewReset);
    set_.OpenHypertext(name);
    const bool opened = set_.HQVFileName() == name;
    if (!opened) {
        Call(ui.recentRemove, name);
        if (set_.HQVFileName().empty()) SetUntitled();
    } else if (asTemplate) {
        // Shown unnamed, so the next save asks for a name and a plain save never
        // overwrites the template.
        SetUntitled();
    } else {
        SetCurrent(name);
        Call(ui.recentAdd, name);
    }
    ClearModified();
    Call(ui.viewShowStartPage, true);
    editMode_ = set_.ReadOnlyPassword() == ".";
    return opened;
}

bool DocumentController::OpenAnyFile(const fs::path& name, bool askToSave) {
    const std::string ext = LowerExtension(name);
    if (ext == ".hqv") {
        if (askToSave && !AskSave()) return false;
        return OpenDocument(name, false);
    }
    if (ext == ".htm" || ext == ".html") {
        if (ui.openHtml)
            ui.openHtml(name);
        else
            NotAvailable();
        return true;
    }
    for (const char* e : {".txt", ".ini", ".asc", ".rtf", ".pas", ".c", ".cpp", ".doc", ".wri"}) {
        if (ext != e) continue;
        // RTF, DOC and WRI have no converter yet: imported as text they would
        // show their raw bytes.
        if (!ui.importFile || ImportFormatNotAvailable(name)) {
            NotAvailable();
            return false;
        }
        return ui.importFile(name);
    }
    for (const char* e : {".gif", ".jpg", ".jpeg", ".wmf", ".bmp"}) {
        if (ext != e) continue;
        Call(ui.refreshPage);
        return true;
    }
    return false;
}

// --- save ----------------------------------------------------------------------------------

bool DocumentController::SaveDocument() {
    if (Unnamed()) return SaveDocumentAs();
    return SaveByType(currentName_, SaveType::Hypertext, false);
}

bool DocumentController::SaveDocumentAs() { return SaveAsDialog(false); }

bool DocumentController::SaveAsTemplate() { return SaveAsDialog(true); }

bool DocumentController::SaveAsDialog(bool asTemplate) {
    Call(ui.viewStorePage);
    SaveDialogRequest req;
    req.asTemplate = asTemplate;
    if (asTemplate) {
        req.folder = folders_.HypTemplates();
        req.proposedName = Unnamed() ? std::string(kUntitled) + "1.hqv"
                                     : fs::path(currentName_).filename().string();
    } else {
        if (!Unnamed()) req.folder = fs::path(currentName_).parent_path();
        req.proposedName = Unnamed() ? std::string(kUntitled) : fs::path(currentName_).stem().string();
    }
    std::optional<SaveDialogResult> choice;
    if (ui.askSaveName) choice = ui.askSaveName(req);
    if (!choice || choice->name.empty()) return false;
    set_.SetExpPrefix(PrefixFromFileName(cp1252::FromUtf8(choice->name.filename().string()), 16));
    const bool ok = SaveByType(choice->name, choice->type, asTemplate);
    if (!closing_) Call(ui.viewShowPageAgain);
    return ok;
}

bool DocumentController::SaveByType(const fs::path& name, SaveType type, bool asTemplate) {
    const std::string ext = LowerExtension(name);
    if (ext == ".hqv") {
        type = SaveType::Hypertext;
    } else {
        for (const char* e : {".txt", ".c", ".pas", ".asc", ".ini"})
            if (ext == e) type = SaveType::Text;
    }
    if (type != SaveType::Hypertext) {
        if (!ui.exportFile) {
            NotAvailable();
            return false;
        }
        return ui.exportFile(name, type);
    }

    const char* question = nullptr;
    if (folders_.IsSample(name))
        question = "Sei sicuro di voler salvare questo file nella directory degli esempi? "
                   "Scegli No per cambiare il path.";
    else if (!asTemplate && folders_.IsInTemplates(name))
        question = "Sei sicuro di voler salvare questo file come modello? "
                   "Scegli No per cambiare il path.";
    if (question) {
        switch (messages_.AskYesNoCancel(question)) {
            case platform::Answer::Cancel: return false;
            case platform::Answer::No: return SaveDocumentAs();
            case platform::Answer::Yes: break;
        }
    }

    const fs::path before = set_.HQVFileName();
    if (set_.SaveHypertext(name, 2)) {
        SetCurrent(name);
        Call(ui.recentAdd, name);
        ClearModified();
        return true;
    }
    // A save whose new file could not take its name may leave the document in
    // the new file under its temporary name: the caption follows it, so the
    // next save goes there and not to a file that no longer holds the document.
    if (!set_.HQVFileName().empty() && set_.HQVFileName() != before) SetCurrent(set_.HQVFileName());
    Call(ui.showErrors, std::string("Salvataggio non riuscito!"), set_.Errors());
    return false;
}

// --- questions -------------------------------------------------------------------------------

bool DocumentController::AskSave() {
    if (!Modified()) return true;
    const std::string text = "Salvo le modifiche fatte a " + currentName_ + "?";
    switch (messages_.AskYesNoCancel(text)) {
        case platform::Answer::Cancel: return false;
        case platform::Answer::No: return true;
        case platform::Answer::Yes: break;
    }
    return SaveDocument();
}

bool DocumentController::CloseQuery() {
    closing_ = true;
    set_.Closing = true;
    bool mayClose = false;
    try {
        mayClose = AskSave();
    } catch (...) {
        mayClose = false;
    }
    if (!mayClose) Call(ui.viewEnableAndMarkChanged);
    if (mayClose && history) history->Clear();
    closing_ = mayClose;
    set_.Closing = mayClose;
    return mayClose;
}

void DocumentController::SaveReminderFired() {
    Call(ui.stopReminder);
    if (messages_.AskYesNo("Promemoria: vuoi salvare?") == platform::Answer::Yes) SaveDocument();
    if (PromemSave) Call(ui.startReminder);
}

void DocumentController::ReloadPage() { Call(ui.viewReloadPage); }

}  // namespace ovik::app
