// The export and import windows, offscreen: the export never writes over the
// open hypertext, the import shows what it left out or changed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <fstream>

#include "app/album.h"
#include "convert/hqv_to_txt.h"
#include "platform/messages.h"
#include "platform/settings_store.h"
#include "qt_test_app.h"
#include "ui/dialogs/export_import.h"

namespace ovik::ui {
namespace {

namespace fs = std::filesystem;

std::string FileText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

struct Windows : ::testing::Test {
    Windows() { TestApp(); }
    platform::RecordingMessages messages;
    platform::InMemorySettings store;
    THQVset set{messages};
    THQVtoTxt txt{&set};
    QTemporaryDir dir;
    fs::path Dir() const { return dir.path().toStdString(); }
};

TEST_F(Windows, TheExportRefusesTheOpenHypertext) {
    const fs::path hqv = Dir() / "aperto.hqv";
    {
        THQVset s(messages);
        if (s.ObjectCount(testoHtml) == 0) app::NewEmptyPage(s);
        ASSERT_TRUE(s.SaveHypertext(hqv));
    }
    ASSERT_TRUE(set.OpenHypertext(hqv));
    const std::string before = FileText(hqv);
    fs::create_symlink(hqv, Dir() / "collegamento.txt");
    TFExport w(set, txt, store);
    for (const char* name : {"aperto.hqv", "collegamento.txt"}) {
        SCOPED_TRACE(name);
        w.Load((Dir() / name).string());
        ASSERT_EQ(w.Mode(), 4);
        w.folder->setText(QString::fromStdString(Dir().string()));
        w.mainFileName->setText(name);
        messages.clear();
        EXPECT_FALSE(w.Export());
        EXPECT_NE(messages.joined().find("aperto.hqv"), std::string::npos) << messages.joined();
        EXPECT_EQ(FileText(hqv), before);
    }
    // Another name in the same folder is written.
    w.mainFileName->setText("pagine.txt");
    EXPECT_TRUE(w.Export()) << messages.joined();
    EXPECT_TRUE(fs::exists(Dir() / "pagine.txt"));
}

TEST_F(Windows, TheImportShowsWhatItLeftOutAndChanged) {
    set.NewHypertext();
    std::ofstream(Dir() / "binario.txt", std::ios::binary).write("a\0b", 3);  // binary
    std::ofstream(Dir() / "u16.txt", std::ios::binary).write("\xFF\xFEH\0\x01\0i\0\xB1\x03", 10);
    std::ofstream(Dir() / "lettera.rtf") << "{\\rtf1 ciao}";
    TFImport w(txt, store);
    std::vector<std::string> shown;
    std::string title;
    w.ShowReport = [&](const std::string& t, const std::vector<std::string>& lines) {
        title = t;
        shown = lines;
    };
    w.AddFiles({QString::fromStdString((Dir() / "binario.txt").string()),
                QString::fromStdString((Dir() / "u16.txt").string()),
                QString::fromStdString((Dir() / "lettera.rtf").string())});
    set.SetModified(false);
    int32_t first = w.Import();
    ASSERT_GE(first, 0);
    EXPECT_TRUE(set.Modified());
    std::string markup(reinterpret_cast<const char*>(set.Page(first)->MemContent()->data()));
    EXPECT_EQ(markup, "<Z S0 >Hi?");
    EXPECT_EQ(title, TFImport::kReportTitle);
    std::string all;
    for (auto& l : shown) all += l + "\n";
    EXPECT_NE(all.find("binario.txt non è un file di testo"), std::string::npos) << all;
    EXPECT_NE(all.find("lettera.rtf: Questa funzione non è ancora disponibile."), std::string::npos) << all;
    EXPECT_NE(all.find("1 carattere non presente in Windows-1252"), std::string::npos) << all;
    EXPECT_NE(all.find("1 carattere di controllo tolto"), std::string::npos) << all;

    // Nothing importable: no page, the document is not marked changed, the
    // window says why and stays open.
    w.files->clear();
    w.AddFiles({QString::fromStdString((Dir() / "lettera.rtf").string())});
    set.SetModified(false);
    const int32_t pages = set.ObjectCount(testoHtml);
    shown.clear();
    EXPECT_LT(w.Import(), 0);
    EXPECT_FALSE(set.Modified());
    EXPECT_EQ(set.ObjectCount(testoHtml), pages);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("Questa funzione non è ancora disponibile."), std::string::npos);
}

// The follow-the-links tab lists the start file and the files it leads to,
// imports them as HTML and links their pages to one another.
TEST_F(Windows, TheImportFollowsTheLinksOfAnHtmlFile) {
    set.NewHypertext();
    std::ofstream(Dir() / "indice.htm") << "<TITLE>Indice</TITLE><A HREF=\"uno.htm\">uno</A> <A HREF=\"due.html\">due</A>";
    std::ofstream(Dir() / "uno.htm") << "<TITLE>Uno</TITLE><A HREF=\"indice.htm\">su</A>";
    std::ofstream(Dir() / "due.html") << "<TITLE>Due</TITLE>";
    TFImport w(txt, store);
    w.FollowLinksFrom(Dir() / "indice.htm");
    EXPECT_EQ(w.tabs->currentIndex(), TFImport::FollowTab);
    ASSERT_EQ(w.followList->count(), 3);
    EXPECT_EQ(w.followCount->text(), "(3)");
    EXPECT_EQ(w.format->currentData().toInt(), 0);
    w.levels->setValue(1);
    w.DetermineList();
    EXPECT_EQ(w.followList->count(), 1);
    w.followList->clear();  // computed again when the import starts
    w.levels->setValue(2);
    const int32_t first = w.Import();
    ASSERT_GE(first, 0) << messages.joined();
    ASSERT_EQ(set.ObjectCount(testoHtml), first + 3);
    auto text = [&](int32_t n) { return std::string(reinterpret_cast<const char*>(set.Page(n)->MemContent()->data())); };
    char uno[16], indice[16];
    std::snprintf(uno, sizeof uno, "<$%08x>", uint32_t(set.Page(first + 1)->Id()));
    std::snprintf(indice, sizeof indice, "<$%08x>", uint32_t(set.Page(first)->Id()));
    EXPECT_NE(text(first).find(std::string(uno) + "uno<%>"), std::string::npos) << text(first);
    EXPECT_NE(text(first + 1).find(std::string(indice) + "su<%>"), std::string::npos) << text(first + 1);

    // HTML files picked one by one on the first tab.
    w.tabs->setCurrentIndex(TFImport::FilesTab);
    w.format->setCurrentIndex(w.format->findData(0));
    w.AddFiles({QString::fromStdString((Dir() / "due.html").string())});
    EXPECT_EQ(w.Import(), first + 3);
}

TEST_F(Windows, TheExportWritesAnHtmlSiteWithTheOptionsOfItsWindow) {
    app::NewEmptyPage(set);
    set.SetExpPrefix("sito");
    TFExport w(set, txt, store);
    w.Load((Dir() / "x.htm").string());
    ASSERT_EQ(w.Mode(), 0);
    EXPECT_TRUE(w.htmlOptions->isEnabled());
    // The options window keeps its four settings in "htmlexp".
    TFHtmlOptions options(w.Html(), store);
    options.Load();
    EXPECT_TRUE(options.autoAlt->isChecked());
    EXPECT_EQ(options.extension->currentIndex(), 0);
    EXPECT_FALSE(options.html5->isChecked()) << "the faithful export is the default";
    options.extension->setCurrentIndex(1);
    options.sepImage->setChecked(true);
    options.html5->setChecked(true);
    options.Apply();
    EXPECT_EQ(store.ReadOr("htmlexp", "expTipoExt", ""), "1");
    EXPECT_EQ(store.ReadOr("htmlexp", "expSepImage", ""), "1");
    EXPECT_EQ(store.ReadOr("htmlexp", "expHtml5", ""), "1");
    const fs::path out = Dir() / "sito";
    w.folder->setText(QString::fromStdString(out.string()));
    ASSERT_TRUE(w.Export()) << messages.joined();
    EXPECT_TRUE(fs::exists(out / "sito_index.html"));
    EXPECT_TRUE(fs::exists(out / "sito_style.css"));
    EXPECT_NE(FileText(out / "sito_index.html").find("<!--pageoVik=\"0;"), std::string::npos);
    EXPECT_EQ(FileText(out / "sito_index.html").rfind("<!DOCTYPE html>", 0), 0u) << "written as HTML5";
    w.SelectMode(4);
    EXPECT_FALSE(w.htmlOptions->isEnabled());
}

}  // namespace
}  // namespace ovik::ui
