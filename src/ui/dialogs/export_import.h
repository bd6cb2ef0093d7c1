// The export window ("Esportazione") and the import window ("Importazione").
// Only the formats whose converters exist are enabled: export as an HTML site
// (mode 0) and in plain text (mode 4), import of HTML (mode 0) and plain text
// (mode 4). The "Html..." button opens the HTML export options ("Opzioni",
// tab "Esportazione HTML", settings of section "htmlexp").
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <filesystem>
#include <functional>

#include "convert/conv_modes.h"
#include "convert/hqv_from_html.h"
#include "convert/hqv_to_html.h"
#include "convert/hqv_to_txt.h"
#include "document/hqv_set.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

// Whether a format's converter exists.
bool ExportModeAvailable(int mode);
bool ImportModeAvailable(int mode);

struct ExportRequest {
    int mode = 4;
    std::filesystem::path folder;
    std::string mainFileName;  // a file name; any folder part is dropped
    std::vector<int32_t> pages;
    bool utf8 = false;  // text: UTF-8 with LF instead of Windows-1252 with CR LF
};

// Runs an export: creates the folder when missing and writes the pages. False
// with the message for the user in `error`. The file always lands inside the
// folder given.
// Mode 0 writes the HTML site into the folder through `html` (one linked to
// the same hypertext is made when none is given).
bool RunExport(THQVtoTxt& txt, const ExportRequest& r, std::string& error, THQVtoHtml* html = nullptr);

// The HTML export options ("Opzioni", tab "Esportazione HTML").
class TFHtmlOptions : public TFDialog {
    Q_OBJECT
public:
    TFHtmlOptions(THQVtoHtml& html, platform::SettingsStore& store, QWidget* parent = nullptr);
    // Shows the converter's settings (and takes the hypertext's export prefix).
    void Load();
    // "Ok": the settings into the converter and the settings store.
    void Apply();

    QCheckBox *sepImage, *origName, *autoAlt;
    QCheckBox* html5;  // the modern output: HTML5 in UTF-8
    QComboBox* extension;

private:
    THQVtoHtml& html_;
};

class TFExport : public TFDialog {
    Q_OBJECT
public:
    TFExport(THQVset& set, THQVtoTxt& txt, platform::SettingsStore& store, QWidget* parent = nullptr);
    // Lists the pages and picks the format for a proposed file name (empty:
    // the text format), with that format's settings.
    void Load(const std::string& proposedFile);
    void SelectMode(int mode);
    int Mode() const;
    ExportRequest Request() const;
    // Runs the export with what the window holds (the Esporta button); false
    // when it failed (the message has been shown).
    bool Export();
    void ToggleAll();
    // The "Html..." button: the HTML export options; true on "Ok".
    bool EditHtmlOptions();
    THQVtoHtml& Html() { return html_; }

    QListWidget* pages;
    QLineEdit *folder, *mainFileName;
    QComboBox* format;
    QComboBox* encoding;  // text: "Windows-1252" or "UTF-8"
    QPushButton* htmlOptions;
    QLabel* status;

private:
    THQVset& set_;
    THQVtoTxt& txt_;
    THQVtoHtml html_;
    bool allChecked_ = true;
};

class TFImport : public TFDialog {
    Q_OBJECT
public:
    TFImport(THQVtoTxt& txt, platform::SettingsStore& store, QWidget* parent = nullptr);
    void AddFiles(const QStringList& files);
    int Mode() const;
    // Imports the listed files (the Importa button). The number of the first
    // page made, or -1 when nothing was imported (a message says why). What the
    // import left out or changed (files skipped, characters replaced or
    // dropped) is shown through ShowReport.
    int32_t Import();
    // The follow-the-links tab: its list becomes the start file and the files
    // it leads to (CollectLinkedFiles, "Esamina n°" levels).
    void DetermineList();
    // Opens the window on the follow-the-links tab with `start` and its list.
    void FollowLinksFrom(const std::filesystem::path& start);
    // The first page the last "Importa" made, or -1.
    int32_t FirstImported() const { return firstImported_; }

    // Shows an import's report; by default in the errors window ("Errori").
    std::function<void(const std::string& title, const std::vector<std::string>& lines)> ShowReport;
    static constexpr const char* kReportTitle = "Importazione: files saltati o testo modificato";

    QListWidget* files;
    QComboBox* format;
    ColourButton* backColour;
    QLabel* status;
    QTabWidget* tabs;
    // The follow-the-links tab.
    QLineEdit* startFile;
    QSpinBox* levels;
    QListWidget* followList;
    QLabel* followCount;
    enum Tab { FilesTab = 0, FollowTab = 1 };

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    THQVtoTxt& txt_;
    THQVfromHtml html_;
    int32_t firstImported_ = -1;
};

}  // namespace ovik::ui
