#include "app/document_controller.h"

#include <gtest/gtest.h>

#include <functional>

#include "document/hqv_set.h"
#include "platform/messages.h"
#include "support/hypertext_files.h"
#include "undo/undo.h"

namespace ovik::app {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using platform::MessageKind;
using platform::RecordingMessages;
using namespace testing_support;

// The window around the controller: a save dialog that answers from a queue and
// records what it was asked, and a log of everything the view was told.
class Window : public ::testing::Test {
protected:
    Window() : set(msgs), doc(set, msgs, ProgramFolders(dir.path())) {
        fs::create_directories(dir / kSamplesFolder);
        fs::create_directories(dir / kTemplatesFolder);
        fs::create_directories(dir / kHypTemplatesFolder);
        doc.ui.askSaveName = [this](const SaveDialogRequest& r) -> std::optional<SaveDialogResult> {
            requests.push_back(r);
            if (dialogAnswers.empty()) return std::nullopt;
            auto a = dialogAnswers.front();
            dialogAnswers.erase(dialogAnswers.begin());
            return a;
        };
        doc.ui.showErrors = [this](const std::string& title, const std::vector<std::string>& e) {
            errorTitle = title;
            errors = e;
        };
        doc.ui.recentAdd = [this](const fs::path& p) { log += "recent+" + p.filename().string() + ";"; };
        doc.ui.recentRemove = [this](const fs::path& p) { log += "recent-" + p.filename().string() + ";"; };
        doc.ui.viewModified = [this] { return viewChanged; };
        doc.ui.viewClearModified = [this] { viewChanged = false; };
        doc.ui.viewEnableAndMarkChanged = [this] { log += "enable;"; };
    }

    void Edit(const std::string& text = "modificato") {
        if (!set.Page(0)) set.AddNewObject(testoHtml);
        SetPageText(set, text);
    }
    void WillChoose(const fs::path& name, SaveType type = SaveType::Hypertext) {
        dialogAnswers.push_back(SaveDialogResult{name, type});
    }

    ScratchFolder dir;
    RecordingMessages msgs;
    THQVset set;
    DocumentController doc;
    std::vector<SaveDialogRequest> requests;
    std::vector<SaveDialogResult> dialogAnswers;
    std::string errorTitle, log;
    std::vector<std::string> errors;
    bool viewChanged = false;
};

TEST_F(Window, ANewDocumentIsUntitledAndUnmodified) {
    Edit();
    doc.NewDocument();
    EXPECT_EQ(doc.CurrentName(), "Senza titolo");
    EXPECT_EQ(doc.Caption(), "Senza titolo - Ovik");
    EXPECT_FALSE(doc.Modified());
    EXPECT_TRUE(doc.EditMode());
    EXPECT_TRUE(set.HQVFileName().empty());
}

TEST_F(Window, SavingAnUnnamedDocumentAsksForANameThenTakesIt) {
    Edit();
    // Cancelled: nothing saved, still unnamed and modified.
    EXPECT_FALSE(doc.SaveDocument());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].proposedName, "Senza titolo");
    EXPECT_TRUE(doc.Unnamed());
    EXPECT_TRUE(doc.Modified());

    const fs::path name = dir / "Relazione Annuale.hqv";
    WillChoose(name);
    EXPECT_TRUE(doc.SaveDocument());
    EXPECT_EQ(doc.Caption(), "Relazione Annuale.hqv - Ovik");
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(set.ExpPrefix(), "relazione annual");
    EXPECT_EQ(log, "recent+Relazione Annuale.hqv;");
    EXPECT_EQ(ReadBack(name).text, "modificato");

    // A named document saves without asking.
    Edit("ancora");
    EXPECT_TRUE(doc.SaveDocument());
    EXPECT_EQ(requests.size(), 2u);
    EXPECT_EQ(ReadBack(name).text, "ancora");
}

TEST_F(Window, ATemplateOpensUntitledAndItsFileIsNeverOverwritten) {
    const fs::path tmpl = dir / kHypTemplatesFolder / "modello.hqv";
    MakeHypertext(tmpl, "modello");
    const std::string before = ReadFileBytes(tmpl);
    ASSERT_TRUE(doc.OpenDocument(tmpl, true));
    EXPECT_EQ(doc.Caption(), "Senza titolo - Ovik");
    EXPECT_EQ(log, "");  // not a recent file
    Edit();
    const fs::path mine = dir / "mio.hqv";
    WillChoose(mine);
    EXPECT_TRUE(doc.SaveDocument());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(ReadFileBytes(tmpl) == before);
    EXPECT_EQ(ReadBack(mine).text, "modificato");
    EXPECT_EQ(doc.CurrentName(), mine.string());
}

TEST_F(Window, AskSaveFollowsTheAnswer) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "vecchio");
    struct Row {
        const char* name;
        bool modified;
        Answer answer;
        bool result;
        const char* onDisk;
    } rows[] = {
        {"not modified: no question", false, Answer::Yes, true, "vecchio"},
        {"Cancel stops the command", true, Answer::Cancel, false, "vecchio"},
        {"No goes on without saving", true, Answer::No, true, "vecchio"},
        {"Yes saves", true, Answer::Yes, true, "modificato"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MakeHypertext(file, "vecchio");
        ASSERT_TRUE(doc.OpenDocument(file, false));
        if (row.modified) Edit();
        msgs.clear();
        if (row.modified) msgs.QueueAnswer(row.answer);
        EXPECT_EQ(doc.AskSave(), row.result);
        if (row.modified) {
            ASSERT_EQ(msgs.entries().size(), 1u);
            EXPECT_EQ(msgs.entries()[0].kind, MessageKind::QuestionYesNoCancel);
            EXPECT_EQ(msgs.entries()[0].text, "Salvo le modifiche fatte a " + file.string() + "?");
        } else {
            EXPECT_TRUE(msgs.entries().empty());
        }
        doc.NewDocument();
        EXPECT_EQ(ReadBack(file).text, row.onDisk);
    }
}

TEST_F(Window, TheViewsChangeCountsOnlyInEditMode) {
    viewChanged = true;
    EXPECT_TRUE(doc.Modified());
    doc.SetEditMode(false);
    EXPECT_FALSE(doc.Modified());
    doc.SetEditMode(true);
    doc.ClearModified();
    EXPECT_FALSE(viewChanged);
    EXPECT_FALSE(doc.Modified());
}

TEST_F(Window, CancelOnCloseKeepsTheWindow) {
    Edit();
    msgs.QueueAnswer(Answer::Cancel);
    EXPECT_FALSE(doc.CloseQuery());
    EXPECT_FALSE(doc.Closing());
    EXPECT_FALSE(set.Closing);
    EXPECT_EQ(log, "enable;");
    EXPECT_TRUE(doc.Modified());

    msgs.QueueAnswer(Answer::No);
    EXPECT_TRUE(doc.CloseQuery());
    EXPECT_TRUE(doc.Closing());
    EXPECT_TRUE(set.Closing);
}

TEST_F(Window, SavingIntoTheSamplesOrTemplatesFolderAsksFirst) {
    const std::string samples =
        "Sei sicuro di voler salvare questo file nella directory degli esempi? Scegli No per "
        "cambiare il path.";
    const std::string templates =
        "Sei sicuro di voler salvare questo file come modello? Scegli No per cambiare il path.";
    struct Row {
        const char* name;
        const char* folder;
        Answer answer;
        std::string question;
        bool saved;       // saved where first chosen
        bool askedAgain;  // the save dialog opened again
    } rows[] = {
        {"samples, Cancel", kSamplesFolder, Answer::Cancel, samples, false, false},
        {"samples, Yes", kSamplesFolder, Answer::Yes, samples, true, false},
        {"samples, No", kSamplesFolder, Answer::No, samples, false, true},
        {"templates, Yes", kTemplatesFolder, Answer::Yes, templates, true, false},
        {"hypertext templates, Cancel", kHypTemplatesFolder, Answer::Cancel, templates, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.NewDocument();
        Edit();
        const fs::path target = dir / row.folder / "prova.hqv";
        fs::remove(target);
        requests.clear();
        msgs.clear();
        WillChoose(target);
        msgs.QueueAnswer(row.answer);
        doc.SaveDocumentAs();
        ASSERT_GE(msgs.entries().size(), 1u);
        EXPECT_EQ(msgs.entries()[0].text, row.question);
        EXPECT_EQ(fs::exists(target), row.saved);
        EXPECT_EQ(requests.size(), row.askedAgain ? 2u : 1u);
        if (row.saved && std::string(row.folder) == kSamplesFolder) {
            EXPECT_EQ(doc.Caption(), "prova.hqv [esempio] - Ovik");
        }
    }
}

TEST_F(Window, SaveAsTemplateGoesToTheTemplatesFolderWithoutTheQuestion) {
    Edit();
    const fs::path target = dir / kHypTemplatesFolder / "Senza titolo1.hqv";
    WillChoose(target);
    EXPECT_TRUE(doc.SaveAsTemplate());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].folder, dir / kHypTemplatesFolder);
    EXPECT_EQ(requests[0].proposedName, "Senza titolo1.hqv");
    EXPECT_TRUE(msgs.entries().empty());
    EXPECT_TRUE(IsCompleteHypertext(target));
}

TEST_F(Window, AFailedSaveShowsTheErrorListAndKeepsTheDocument) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "vecchio");
    ASSERT_TRUE(doc.OpenDocument(file, false));
    Edit();
    testing_hooks::saveFault = [](SaveStep s) { return s == SaveStep::Written ? EIO : 0; };
    EXPECT_FALSE(doc.SaveDocument());
    testing_hooks::saveFault = nullptr;
    EXPECT_EQ(errorTitle, "Salvataggio non riuscito!");
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors, set.Errors());
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.CurrentName(), file.string());
    EXPECT_EQ(ReadBack(file).text, "vecchio");
}

TEST_F(Window, WhenTheNewFileKeepsItsTemporaryNameTheCaptionFollowsIt) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "vecchio");
    ASSERT_TRUE(doc.OpenDocument(file, false));
    Edit();
    testing_hooks::saveFault = [](SaveStep s) { return s == SaveStep::Rename ? EBUSY : 0; };
    msgs.QueueAnswer(Answer::No);
    EXPECT_FALSE(doc.SaveDocument());
    testing_hooks::saveFault = nullptr;
    EXPECT_EQ(doc.CurrentName(), set.HQVFileName().string());
    EXPECT_NE(doc.CurrentName(), file.string());
    EXPECT_EQ(errors, std::vector<std::string>{"Probabile errore di condivisione, o disco pieno."});
    fs::remove(set.HQVFileName());
}

TEST_F(Window, AFileThatCannotBeOpenedLeavesTheRecentFiles) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "documento");
    ASSERT_TRUE(doc.OpenDocument(file, false));
    Edit();
    log.clear();

    // Missing: said so, and the document in the window stays as it is.
    msgs.clear();
    EXPECT_FALSE(doc.OpenDocument(dir / "manca.hqv", false));
    EXPECT_EQ(log, "recent-manca.hqv;");
    EXPECT_EQ(msgs.joined(), (dir / "manca.hqv").string() + " non esiste");
    EXPECT_EQ(doc.Caption(), "doc.hqv - Ovik");
    EXPECT_EQ(PageText(set), "modificato");
    EXPECT_TRUE(doc.Modified());

    // Not a hypertext: a new, empty one takes its place.
    const fs::path junk = dir / "rotto.hqv";
    WriteFileBytes(junk, std::string(3000, 'x'));
    log.clear();
    msgs.clear();
    EXPECT_FALSE(doc.OpenDocument(junk, false));
    EXPECT_EQ(log, "recent-rotto.hqv;");
    EXPECT_EQ(msgs.joined(), "Formato sconosciuto.\nErrore nella lettura file:" + junk.string());
    EXPECT_EQ(doc.Caption(), "Senza titolo - Ovik");
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(set.ObjectCount(testoHtml), 0);
}

TEST_F(Window, OpeningASampleShowsIt) {
    const fs::path sample = dir / kSamplesFolder / "demo.hqv";
    MakeHypertext(sample, "esempio");
    ASSERT_TRUE(doc.OpenDocument(sample, false));
    EXPECT_EQ(doc.Caption(), "demo.hqv [esempio] - Ovik");
    EXPECT_TRUE(doc.EditMode());  // no read-only password
}

TEST_F(Window, OpenAnyFileDispatchesByExtension) {
    const fs::path hqv = dir / "Doc.HQV";
    MakeHypertext(hqv, "doc");
    int refreshed = 0;
    doc.ui.refreshPage = [&] { ++refreshed; };
    struct Row {
        const char* name;
        bool result;
        const char* message;
        int refreshed;
    } rows[] = {
        {"Doc.HQV", true, "", 0},
        {"pagina.html", true, "Questa funzione non è ancora disponibile.", 0},
        {"testo.TXT", false, "Questa funzione non è ancora disponibile.", 0},
        {"lettera.rtf", false, "Questa funzione non è ancora disponibile.", 0},
        {"figura.jpeg", true, "", 1},
        {"archivio.zip", false, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        msgs.clear();
        refreshed = 0;
        EXPECT_EQ(doc.OpenAnyFile(dir / row.name, true), row.result);
        EXPECT_EQ(msgs.joined(), row.message);
        EXPECT_EQ(refreshed, row.refreshed);
    }
    EXPECT_EQ(set.HQVFileName(), hqv);
}

// RTF, DOC and WRI documents have no converter yet: they are not imported as
// plain text (which would show their raw bytes).
TEST_F(Window, DocumentFormatsWithoutAConverterAreNotImportedAsText) {
    int imported = 0;
    doc.ui.importFile = [&](const fs::path&) {
        ++imported;
        return true;
    };
    for (const char* name : {"lettera.rtf", "vecchio.DOC", "nota.wri"}) {
        SCOPED_TRACE(name);
        msgs.clear();
        EXPECT_FALSE(doc.OpenAnyFile(dir / name, true));
        EXPECT_EQ(msgs.joined(), "Questa funzione non è ancora disponibile.");
    }
    EXPECT_EQ(imported, 0);
    EXPECT_TRUE(doc.OpenAnyFile(dir / "testo.txt", true));
    EXPECT_EQ(imported, 1);
}

TEST_F(Window, TheSaveReminderAsksAndSavesOnYes) {
    const fs::path file = dir / "doc.hqv";
    MakeHypertext(file, "vecchio");
    ASSERT_TRUE(doc.OpenDocument(file, false));
    doc.PromemSave = true;
    std::string timer;
    doc.ui.stopReminder = [&] { timer += "stop;"; };
    doc.ui.startReminder = [&] { timer += "start;"; };
    Edit();
    msgs.clear();
    msgs.QueueAnswer(Answer::No);
    doc.SaveReminderFired();
    EXPECT_EQ(ReadBack(file).text, "vecchio");
    msgs.QueueAnswer(Answer::Yes);
    doc.SaveReminderFired();
    EXPECT_EQ(ReadBack(file).text, "modificato");
    EXPECT_EQ(msgs.joined(), "Promemoria: vuoi salvare?\nPromemoria: vuoi salvare?");
    EXPECT_EQ(timer, "stop;start;stop;start;");
}

TEST_F(Window, NewFromATemplateAsksToSaveFirst) {
    const fs::path tmpl = dir / kTemplatesFolder / "base.hqv";
    MakeHypertext(tmpl, "base");
    doc.ui.askNewFrom = [&]() -> std::optional<fs::path> { return tmpl; };
    Edit();
    msgs.QueueAnswer(Answer::Cancel);
    doc.NewDocumentFrom();
    EXPECT_EQ(PageText(set), "modificato");
    msgs.QueueAnswer(Answer::No);
    doc.NewDocumentFrom();
    EXPECT_EQ(PageText(set), "base");
    EXPECT_TRUE(doc.Unnamed());
}

TEST(ProgramFoldersTest, TemplatesAreLookedForAboveTheDataFolder) {
    ScratchFolder root;
    const fs::path data = root / "build" / "src" / "ui";
    fs::create_directories(data);
    fs::create_directories(root / "build" / kHypTemplatesFolder);
    ProgramFolders f(data);
    EXPECT_EQ(f.HypTemplates(), root / "build" / kHypTemplatesFolder);
    EXPECT_EQ(f.Templates(), data / kTemplatesFolder);  // nowhere: the first place
    fs::create_directories(data / kHypTemplatesFolder);
    EXPECT_EQ(f.HypTemplates(), data / kHypTemplatesFolder);
    EXPECT_EQ(f.Samples(), data / "es_hqv");
    EXPECT_EQ(f.FrameTemplates(), data / "ModelliCornici");
}

TEST_F(Window, TheLibraryHypertextIsCreatedWhenMissing) {
    ProgramFolders folders(dir.path());
    const fs::path lib = folders.LibraryFile("");
    EXPECT_EQ(lib, dir / "Custom" / "default.cus");
    EXPECT_EQ(folders.LibraryFile("/altrove/Mia.CUS"), fs::path("/altrove/Mia.CUS"));
    EXPECT_EQ(folders.LibraryFile("/altrove/mia.hqv"), lib);
    THQVset libSet(msgs);
    ASSERT_TRUE(OpenLibrary(libSet, lib));
    EXPECT_TRUE(IsCompleteHypertext(lib));
    EXPECT_EQ(libSet.HQVFileName(), lib);
    EXPECT_EQ(libSet.Version(), 2);
    // Once there, it is opened as it is.
    THQVset again(msgs);
    libSet.NewHypertext();
    EXPECT_TRUE(OpenLibrary(again, lib));
}

}  // namespace
}  // namespace ovik::app

namespace ovik::app {
namespace {

// An entry of one document is never undone into another: New, Open and
// closing empty the history, its redo side too.
TEST_F(Window, NewOpenAndClosingEmptyTheUndoHistory) {
    const fs::path other = dir / "altro.hqv";
    MakeHypertext(other, "altro");
    THQVundoList history(set);
    doc.history = &history;
    struct Case {
        const char* what;
        std::function<void()> run;
    } cases[] = {
        {"New", [&] { doc.NewDocument(); }},
        {"Open", [&] { ASSERT_TRUE(doc.OpenDocument(other, false)); }},
        {"closing", [&] { ASSERT_TRUE(doc.CloseQuery()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        doc.NewDocument();
        // A change of the first style of this document, undone once so that
        // the redo side holds an entry too, then changed again.
        THQVoggetto* style = set.GetObject(stileParagrafo, 0);
        ASSERT_TRUE(style);
        style->SetName("Vecchio");
        history.Add(std::make_unique<TogBackup>(set, *style, "Modifica stile: Vecchio"));
        history.Add(std::make_unique<TogBackup>(set, *style, "Modifica stile: Vecchio"));
        history.UndoOne();
        ASSERT_TRUE(history.CanUndo());
        ASSERT_TRUE(history.CanRedo());
        doc.ClearModified();
        c.run();
        EXPECT_FALSE(history.CanUndo());
        EXPECT_FALSE(history.CanRedo());
        // Undo has nothing to write into the document now shown.
        const std::string name = set.GetObject(stileParagrafo, 0)->Name();
        history.UndoOne();
        EXPECT_EQ(set.GetObject(stileParagrafo, 0)->Name(), name);
    }
}

}  // namespace
}  // namespace ovik::app
