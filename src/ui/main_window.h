// TMainForm: the editor's main window - menus, toolbar, status line, caption
// rules and the document commands, over the engine's set and the app logic.
#pragma once

#include <QAction>
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
#include "ui/qt_platform.h"

namespace ovik::ui {

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(platform::SettingsStore& store, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Runs the command line once the window shows (file, switches, reader).
    void StartupShow(const app::CommandLine& cmd);
    THQVset& Set() { return *set_; }
    QAction* Action(const QString& objectName) const;
    bool EditMode() const { return doc_->EditMode(); }
    // The caption rules: "Senza titolo", or the file part, " - " and the title.
    QString CaptionText() const;
    app::DocumentController& Document() { return *doc_; }
    bool OpenDocument(const QString& file, bool asTemplate = false);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void BuildMenus();
    QAction* AddCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut = {}, bool enabled = false);
    void UpdateCaption();
    void RefreshPages();
    void RefreshRecentFiles();
    void ApplyOptions();
    void SetEditMode(bool edit);
    void OpenStartFile();
    void WireDocument();
    void ExportPages();
    void ImportPages();

    platform::SettingsStore& store_;
    app::AppSettings settings_;
    QtMessages messages_;
    std::unique_ptr<THQVset> set_;
    THQVtoTxt txt_;
    app::RecentFiles recent_;
    app::AppliedOptions options_;
    std::unique_ptr<app::DocumentController> doc_;
    std::map<QString, QAction*> actions_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> recentActions_;
    QListWidget* pages_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer saveReminder_;
};

}  // namespace ovik::ui
