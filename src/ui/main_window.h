// TMainForm: the editor's main window - menus, toolbar, status line, caption
// rules and the document commands, over the engine's set and the app logic.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QToolButton>
#include <QDialog>
#include <functional>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QTimer>
#include <map>
#include <memory>

#include "app/document_controller.h"
#include "app/startup.h"
#include "convert/hqv_to_txt.h"
#include "document/hqv_set.h"
#include "ui/commands/command_table.h"
#include "ui/page_view.h"
#include "ui/qt_platform.h"
#include "document/lifecycle.h"
#include "undo/undo.h"

namespace ovik::ui {

class TFNuova;
struct ExportRequest;
class SpellSupport;
class TLinkNavigator;
class TPictureCommands;
class TControlCommands;
class TTableCommands;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(platform::SettingsStore& store, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Runs the command line once the window shows (file, switches, reader).
    void StartupShow(const app::CommandLine& cmd);
    THQVset& Set() { return *set_; }
    TPageView* View() const { return view_; }
    QAction* Action(const QString& objectName) const;
    bool EditMode() const { return doc_->EditMode(); }
    // The caption rules: "Senza titolo", or the file part, " - " and the title.
    QString CaptionText() const;
    app::DocumentController& Document() { return *doc_; }
    bool OpenDocument(const QString& file, bool asTemplate = false);

    // The dialog window `name` (its objectName: "fpropiper", "fopzioni",
    // "fproptesto", "fexport", "fimport", "falbum", "fcancella", "fnuova",
    // "fincolla", "ferrori", "fstili", "fcarattere", "fsimbolo"), taken from the
    // window cache or made, and filled with what it shows now; not yet shown.
    // Null for an unknown name.
    QDialog* PrepareWindow(const std::string& name);
    // A window the cache holds, or null.
    QDialog* CachedWindow(const std::string& name) const;
    // The page the page commands act on: the one selected in the page list,
    // else the first page.
    int32_t CurrentPage() const;
    // The number of the page in row `row` of the page list, -1 for none.
    int32_t PageAtRow(int row) const {
        return row >= 0 && row < int(pageNumbers_.size()) ? pageNumbers_[size_t(row)] : -1;
    }
    // Undoes the k newest entries of the history (what the undo drop-down
    // list confirms).
    void UndoFromList(int32_t k);
    // Opens the undo drop-down list below the undo toolbar button.
    void ShowUndoList();
    // The boxes of the format toolbar: paragraph style, font face and size.
    QComboBox* StyleBox() const { return styleBox_; }
    QComboBox* FaceBox() const { return faceBox_; }
    QComboBox* SizeBox() const { return sizeBox_; }
    SpellSupport* Spelling() const { return spelling_; }
    // Shows a page in the view (storing the one shown before).
    void ShowPage(int32_t number);
    // The filters of the open dialog: hypertexts first, then the formats that
    // can be opened.
    static QStringList OpenFilters();
    // Links and navigation: following, history, link commands and windows.
    TLinkNavigator& Links() { return *links_; }
    // The message boxes of the window (the link and picture commands ask through them).
    platform::Messages& Messages() { return messages_; }
    // Placed pictures: inserting, from the clipboard, properties, popup menus.
    TPictureCommands& Pictures() { return *pictureCommands_; }
    TControlCommands& Controls() { return *controlCommands_; }
    TTableCommands& Tables() { return *tableCommands_; }
    // The import window with `files` listed (none: the user picks them); the
    // first page made is shown.
    void ImportPages(const QStringList& files);
    // Opening an HTML file: the window "Apri" asks how, then it is done
    // (open_html_commands.cpp).
    void OpenHtml(const std::filesystem::path& file);
    // HTML files dropped on the editor: a page this program exported whose
    // hypertext is there goes to the page copy window; other files to the
    // import window.
    void DropFiles(const QStringList& files);

    // Hands the program options to the parts they govern (after the options window).
    void ApplyOptions();

protected:
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // Shows the page the new-page window made and copies the chosen page into it.
    void MakeChosenPage(TFNuova& w);
    // The HTML files imported into this hypertext without a window; the first
    // page made is shown. False when none was.
    bool ImportHtmlFiles(const std::vector<std::filesystem::path>& files);
    // After an import: the errors window with the import's report when it has
    // lines, the page list, and the first page made. False when none was.
    bool ShowImported(const ImportReport& report, int32_t first);
    // The new-page window on page `page` of the hypertext `file`, to copy it.
    void CopyPageOf(const std::filesystem::path& file, int32_t page);
    void BuildMenus();
    void BuildToolbars();
    // Shows the caret's face, size, style and alignment in the format toolbar.
    void UpdateFormatBoxes();
    // The command tables, one per menu (src/ui/commands), and their assembly.
    MenuTable FileMenu();
    MenuTable EditMenu();
    MenuTable SearchMenu();
    MenuTable InsertMenu();
    MenuTable TableMenu();
    MenuTable FormatMenu();
    MenuTable HypertextMenu();
    MenuTable PublishMenu();
    MenuTable ToolsMenu();
    MenuTable HelpMenu();
    std::vector<Command> FormatToolbarCommands();
    // Makes the command's action, adds it to `where` (a menu or toolbar; may be
    // null) and keeps its enabled rule.
    QAction* AddCommand(QWidget* where, const Command& c);
    void FillMenu(QMenu* menu, const std::vector<MenuEntry>& entries);
    // "Indice": the user manual, in preview.
    // Opens the user manual in preview; false when it could not be opened.
    bool OpenManual();
    // The open dialog, starting in `startFolder` (empty: the current file's folder).
    void OpenWithDialog(const QString& startFolder);
    // Stores the shown page and shows it again, laid out anew.
    void RelayOutPage();
    void UpdateCaption();
    void RefreshPages();
    // "1 pagina", "N pagine" in the status line.
    void ShowPageCount();
    void RefreshRecentFiles();
    // The window's placement ("forms") and toolbar layout ("toolbar"), taken
    // back at start and kept at the end.
    void RestoreLayout();
    void SaveLayout();
    void SetEditMode(bool edit);
    void OpenStartFile();
    void WireDocument();
    void ExportPages();
    // "Esportato NAME (N pagine, X byte)" in the status line.
    void ShowExported(const ExportRequest& r);
    // Exports the page shown (or the whole hypertext) into the temporary
    // folder and opens it in the default browser.
    void PreviewInBrowser(bool all);
    // "Esporta Html...": the export window in its HTML mode.
    void PublishHtml();
    void ImportPages();
    void ShowAlbum(int tab);
    // The style box chose a style name for the caret paragraph.
    void ChooseStyle(const std::string& name);
    // The character window on the font at the selection, applied to it.
    void ChooseFont();
    // OnAddStyle: the style window makes a new style after the caret
    // paragraph's look, which the paragraphs of the selection then take.
    void AddStyle();
    // The paragraph window on the caret paragraph, applied to the selection.
    void ChooseParagraph();
    // "Trova file...": the chosen file is opened.
    void FindFile();
    // "Finestre...": the chosen window comes back through its command.
    void ShowWindowList();
    // The symbol window; the chosen character is typed at the caret.
    void InsertSymbol();
    void NewPage();
    // "Incolla pagina da...": pastes a chosen page into the page being edited.
    void PastePageFrom();
    void PageProperties();
    // The search commands and the find, keywords and page-order windows
    // (search_commands.cpp).
    void WireSearchCommands();
    QDialog* PrepareSearchWindow(const std::string& name);
    void ShowFind(int tab);
    // The window cache: makes the window with `make` on first use; the least
    // recently used window goes when more than FormLim are alive.
    QDialog* ShowCachedWindow(const std::string& key, const std::function<QDialog*()>& make);
    void DropWindow(const std::string& key);
    template <class T, class Make>
    T* Cached(const std::string& key, Make make) {
        return static_cast<T*>(ShowCachedWindow(key, [&]() -> QDialog* { return make(); }));
    }

    platform::SettingsStore& store_;
    app::AppSettings settings_;
    QtMessages messages_;
    std::unique_ptr<THQVset> set_;
    THQVtoTxt txt_;
    app::RecentFiles recent_;
    app::AppliedOptions options_;
    std::unique_ptr<app::DocumentController> doc_;
    std::map<QString, QAction*> actions_;
    std::map<QString, EnabledWhen> when_;  // the enabled rule of each table command
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> recentActions_;
    QListWidget* pages_ = nullptr;
    TPageView* view_ = nullptr;
    TLinkNavigator* links_ = nullptr;
    TPictureCommands* pictureCommands_ = nullptr;
    TControlCommands* controlCommands_ = nullptr;
    TTableCommands* tableCommands_ = nullptr;
    std::unique_ptr<THQVundoList> history_;
    void UpdateEditActions();
    std::vector<int32_t> pageNumbers_;  // page number of each row of the list
    // The set asks the view to store and drop its page before a save or a
    // clear, and to show it again after the save has read the file back.
    struct ViewLink : LinkedView {
        TMainForm* w;
        explicit ViewLink(TMainForm* f) : w(f) {}
        void StoreAndDropPage() override;
        void ShowPageAgain() override;
        void DropPage() override;
    } viewLink_{this};
    int32_t lastShown_ = -1;
    // Where the caret and the scroll bars were when the page was dropped for
    // a save, taken back when the same page is shown again.
    struct KeptPlace {
        int32_t page = -1, paragraph = 0, charIndex = 0, x = 0, y = 0;
        bool selection = false;  // and the selection's two ends
        int32_t fromParagraph = 0, fromChar = 0, toParagraph = 0, toChar = 0;
    } kept_;
    // "Salvato NAME (N pagine, X byte)" in the status line.
    void ShowSaved(bool ok);
    bool savedAsText_ = false;  // the last "Salva con nome" wrote text and said so
    QLabel* status_ = nullptr;
    QComboBox* styleBox_ = nullptr;
    QComboBox* faceBox_ = nullptr;
    QComboBox* sizeBox_ = nullptr;
    QToolButton* undoListButton_ = nullptr;
    QTimer saveReminder_;
    std::unique_ptr<app::WindowCache> cache_;
    std::map<std::string, std::unique_ptr<QDialog>> windows_;
    SpellSupport* spelling_ = nullptr;  // the spell checker and its commands (a child object)
};

}  // namespace ovik::ui
