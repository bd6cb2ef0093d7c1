// The dialog windows, offscreen: what each window writes to the hypertext or
// the settings, without showing it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <fstream>

#include "app/album.h"
#include "app/references.h"
#include "core/codepage.h"
#include "convert/hqv_to_txt.h"
#include "document/picture.h"
#include "document/style_record.h"
#include "text/text_attributes.h"
#include "platform/messages.h"
#include "qt_test_app.h"
#include "ui/dialogs/album.h"
#include "ui/dialogs/character.h"
#include "ui/dialogs/delete_objects.h"
#include "ui/dialogs/export_import.h"
#include "ui/dialogs/hypertext_options.h"
#include "ui/dialogs/new_page.h"
#include "ui/dialogs/page_properties.h"
#include "ui/dialogs/program_options.h"
#include "ui/dialogs/styles.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "support/page_text.h"

namespace ovik::ui {
namespace {

namespace fs = std::filesystem;

std::string Text(const THQVoggetto& o) {
    const Bytes* c = o.MemContent();
    if (!c) return "";
    std::string s(c->begin(), c->end());
    return s.substr(0, s.find('\0'));
}

void SetText(THQVtesto& p, const std::string& markup) { p.SetContent(Bytes(markup.begin(), markup.end() + 1)); }

using testing::Tag;

fs::path WriteGif(const fs::path& dir, const std::string& name, uint8_t seed) {
    DecodedPicture pic;
    pic.width = 4;
    pic.height = 4;
    pic.rgba.assign(4 * 4 * 4, 255);
    for (size_t i = 0; i < pic.rgba.size(); i += 4) pic.rgba[i] = seed;
    Bytes out;
    EXPECT_TRUE(EncodeGif(pic, out));
    fs::path f = dir / name;
    std::ofstream(f, std::ios::binary).write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    return f;
}

struct Fixture : ::testing::Test {
    Fixture() {
        TestApp();
        set.NewHypertext();
        // Page 0, as a new document has it.
        if (set.ObjectCount(testoHtml) == 0) app::NewEmptyPage(set);
    }
    // Adds pages 1..n after page 0.
    void AddPages(int n) {
        for (int i = 0; i < n; ++i) app::NewEmptyPage(set);
    }
    platform::RecordingMessages messages;
    platform::InMemorySettings store;
    THQVset set{messages};
    QTemporaryDir dir;
    fs::path Dir() const { return dir.path().toStdString(); }
};

using HypertextWindow = Fixture;

TEST_F(HypertextWindow, WritesTheHeaderFieldsAndRefusesNumbersThatNameNothing) {
    AddPages(2);
    TFPropIper w(set, store);
    w.Load();
    EXPECT_EQ(w.revision->text(), QString::number(set.Revision()));
    EXPECT_TRUE(w.revision->isReadOnly());
    w.title->setText(QString::fromUtf8("Città"));
    w.authors->setText("Anna");
    w.company->setText("ZW");
    w.copyright->setText("(c) 2026");
    w.otherInfo->setPlainText("riga uno\nriga due");
    w.expPrefix->setText("pref");
    w.readOnly->setChecked(true);
    w.password->setText("segreta");
    SelectData(w.coverPage, 2);
    SelectData(w.defaultHeader, 1);
    w.backColour->SetColour(0x123456);
    w.noButtons->setChecked(false);
    w.btnSearch->setChecked(true);
    w.btnCover->setChecked(true);
    SelectData(w.language, 1040);
    set.SetModified(false);
    w.Apply();
    EXPECT_TRUE(set.Modified());
    EXPECT_EQ(set.Title(), "Citt\xE0");
    EXPECT_EQ(set.Authors(), "Anna");
    EXPECT_EQ(set.Company(), "ZW");
    EXPECT_EQ(set.Copyright(), "(c) 2026");
    EXPECT_EQ(set.OtherInfo(), "riga uno\r\nriga due");
    EXPECT_EQ(set.ExpPrefix(), "pref");
    EXPECT_EQ(set.ReadOnlyPassword(), "segreta");
    EXPECT_EQ(set.CoverPage(), 2);
    EXPECT_EQ(set.HdrI32(hdr::kDefaultHeader), 1);
    EXPECT_EQ(set.HdrI32(hdr::kDefaultFooter), -1);
    EXPECT_EQ(set.HdrI32(hdr::kBackColour), 0x123456);
    EXPECT_EQ(set.Header()[hdr::kBtnSearch], 1);
    EXPECT_EQ(set.Header()[hdr::kBtnCoverInv], 0);  // stored inverted
    EXPECT_EQ(set.Header()[hdr::kNoButtons], 0);
    EXPECT_EQ(GetU16(&set.Header()[hdr::kSpellLanguage]), 1040);

    // Values that name no page or picture do not reach the header.
    HypertextProperties p = HypertextProperties::Read(set);
    p.coverPage = 99;
    p.defaultFooter = 7;
    p.backPicture = 3;
    p.Write(set);
    EXPECT_EQ(set.CoverPage(), 0);
    EXPECT_EQ(set.HdrI32(hdr::kDefaultFooter), -1);
    EXPECT_EQ(set.HdrI32(hdr::kBackPicture), -1);
    // What was read is written back unchanged.
    HypertextProperties again = HypertextProperties::Read(set);
    again.Write(set);
    EXPECT_EQ(HypertextProperties::Read(set).otherInfo, again.otherInfo);
    EXPECT_EQ(set.Title(), "Citt\xE0");
}

TEST(ProgramOptionsWindow, RoundTripsThroughTheSettingsStoreWithTheDefaults) {
    TestApp();
    struct Row {
        const char* name;
        std::map<std::string, std::string> stored;
        int formLim, timeSave;
        bool bak, promem;
    } rows[] = {
        {"nothing stored", {}, 3, 5, true, false},
        {"FormLim 1 and TimeSave abc", {{"FormLim", "1"}, {"TimeSave", "abc"}, {"PromemSave", "1"}}, 3, 5, true, true},
        {"explicit values", {{"FormLim", "7"}, {"TimeSave", "10"}, {"Bak", "0"}, {"PromemSave", "1"}}, 7, 10, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        QtSettingsStore store(dir.filePath("ovik.ini"));
        for (auto& [k, v] : row.stored) store.Write("options", k, v);
        TFOpzioni w(store);
        EXPECT_EQ(static_cast<QSpinBox*>(w.Field("options\\FormLim"))->value(), row.formLim);
        EXPECT_EQ(static_cast<QSpinBox*>(w.Field("options\\TimeSave"))->value(), row.timeSave);
        EXPECT_EQ(static_cast<QCheckBox*>(w.Field("options\\Bak"))->isChecked(), row.bak);
        w.Apply();
        store.Sync();
        QtSettingsStore reread(dir.filePath("ovik.ini"));
        EXPECT_EQ(reread.ReadOr("options", "FormLim", ""), std::to_string(row.formLim));
        EXPECT_EQ(reread.ReadOr("options", "TimeSave", ""), std::to_string(row.timeSave));
        EXPECT_EQ(reread.ReadOr("options", "Bak", ""), row.bak ? "1" : "0");
        app::AppSettings s(reread);
        app::AppliedOptions applied = app::ReadAppliedOptions(s);
        EXPECT_EQ(applied.formLim, row.formLim);
        EXPECT_EQ(applied.saveReminder, row.promem);
        EXPECT_EQ(applied.saveReminderMs, row.timeSave * 60000);
        EXPECT_EQ(applied.bak, row.bak);
        EXPECT_EQ(applied.maxCacheImg, 20);
        EXPECT_EQ(applied.undoDeep, 20);
        // A second window shows what the first stored.
        TFOpzioni second(reread);
        EXPECT_EQ(second.Values().values, w.Values().values);
    }
}

using PageWindow = Fixture;

TEST_F(PageWindow, StoresABlankExtraHtmlNameAsEmpty) {
    struct Row {
        const char* typed;
        const char* stored;
    } rows[] = {{"   ", ""}, {"", ""}, {"altro.htm", "altro.htm"}, {" a b ", " a b "}};
    TFPropTesto w(set, store);
    // A new page's field is all 0xFF bytes: it shows as no name and stays so.
    ASSERT_EQ(set.Page(0)->U8(page_rec::kExtraHtmlName), 0xFF);
    ASSERT_TRUE(w.Load(0));
    EXPECT_EQ(w.extraHtmlName->text(), "");
    w.Apply();
    EXPECT_EQ(set.Page(0)->U8(page_rec::kExtraHtmlName), 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        ASSERT_TRUE(w.Load(0));
        w.extraHtmlName->setText(row.typed);
        w.Apply();
        EXPECT_EQ(set.Page(0)->Str(page_rec::kExtraHtmlName, 40), row.stored);
    }
}

TEST_F(PageWindow, WritesTheRecordFieldsAndTheScriptMetaText) {
    AddPages(1);
    THQVtesto* p = set.Page(1);
    // A wrapper with a source name in its leading block keeps that block.
    Bytes wrapper{8, 0, 0, 0, 4, 0, 0, 0, 'a', '.', 'r', 't'};
    p->SetWrapper(wrapper);
    ASSERT_EQ(p->SourceName(), "a.rt");
    p->SetI32(page_rec::kRevision, 9);
    TFPropTesto w(set, store);
    ASSERT_TRUE(w.Load(1));
    EXPECT_EQ(w.revision->text(), "9");
    EXPECT_FALSE(w.Load(5));
    ASSERT_TRUE(w.Load(1));
    w.title->setText("Titolo nuovo");
    w.scriptMeta->setPlainText("<META name=\"x\">\n<SCRIPT>a && b</SCRIPT>");
    w.backColour->SetColour(0x00FF00);
    w.fixedBackground->setChecked(true);
    SelectData(w.headerPage, -2);
    SelectData(w.footerPage, 0);
    w.inBrowseSequence->setChecked(true);
    w.Apply();
    EXPECT_EQ(p->Title(), "Titolo nuovo");
    EXPECT_EQ(p->I32(page_rec::kBackColour), 0x00FF00);
    EXPECT_EQ(p->I32(page_rec::kFixedBackground), 1);
    EXPECT_EQ(p->I32(page_rec::kHeaderPage), -2);
    EXPECT_EQ(p->I32(page_rec::kFooterPage), 0);
    EXPECT_EQ(p->U8(page_rec::kOutsideBrowse), 0);
    EXPECT_EQ(p->I32(page_rec::kRevision), 9);
    EXPECT_EQ(p->SourceName(), "a.rt");
    EXPECT_EQ(ScriptMetaText(*p), "<META name=\"x\">\n<SCRIPT>a && b</SCRIPT>");
    std::string raw(p->Wrapper()->begin() + 12, p->Wrapper()->end());
    EXPECT_EQ(raw.substr(0, 12), "<Z S0 >&lt;M");
    // Emptying the text keeps the source name; a page without one loses the wrapper.
    SetScriptMetaText(*p, "  \n");
    EXPECT_EQ(p->SourceName(), "a.rt");
    SetScriptMetaText(*set.Page(0), "x");
    SetScriptMetaText(*set.Page(0), "");
    EXPECT_FALSE(set.Page(0)->HasWrapper());
    // A page cannot be its own header; unknown pages become the hypertext's.
    PageProperties props = PageProperties::Read(*p);
    props.headerPage = 1;
    props.footerPage = 42;
    props.Write(*p);
    EXPECT_EQ(p->I32(page_rec::kHeaderPage), -1);
    EXPECT_EQ(p->I32(page_rec::kFooterPage), -1);
}

using ExportWindow = Fixture;

TEST_F(ExportWindow, TheTextFormatWritesTheTickedPagesInsideTheChosenFolder) {
    AddPages(2);
    SetText(*set.Page(0), "<Z S0 >A");
    SetText(*set.Page(1), "<Z S0 >B");
    SetText(*set.Page(2), "<Z S0 >C");
    THQVtoTxt txt(&set);
    TFExport w(set, txt, store);
    w.Load("");
    EXPECT_EQ(w.Mode(), 4);
    auto* model = qobject_cast<QStandardItemModel*>(w.format->model());
    for (int i = 0; i < w.format->count(); ++i) {
        SCOPED_TRACE(w.format->itemText(i).toStdString());
        const int mode = w.format->itemData(i).toInt();
        EXPECT_EQ(model->item(i)->isEnabled(), mode == 4 || mode == 0);
    }
    ASSERT_EQ(w.pages->count(), 3);
    w.pages->item(1)->setCheckState(Qt::Unchecked);
    fs::path folder = Dir() / "nuova" / "cartella";
    w.folder->setText(QString::fromStdString(folder.string()));
    w.mainFileName->setText("../../fuori.txt");  // the folder part is dropped
    ASSERT_TRUE(w.Export()) << messages.joined();
    std::ifstream in(folder / "fuori.txt", std::ios::binary);
    std::string out((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(out, "AC");
    EXPECT_FALSE(fs::exists(Dir() / "fuori.txt"));
    EXPECT_EQ(ExportModeSettings::Load(store, 4).expPathInWindow, folder);
    EXPECT_EQ(w.status->text().toStdString().rfind("Esportate", 0), 0u);

    // "Tutte" clears every page, then ticks them again.
    w.ToggleAll();
    EXPECT_TRUE(w.Request().pages.empty());
    w.ToggleAll();
    EXPECT_EQ(w.Request().pages.size(), 3u);

    // A folder that cannot be made exports nothing.
    std::ofstream(Dir() / "file") << "x";
    w.folder->setText(QString::fromStdString((Dir() / "file" / "sub").string()));
    EXPECT_FALSE(w.Export());
    EXPECT_NE(messages.joined().find("Errore nella creazione directory: \""), std::string::npos);
}

TEST_F(ExportWindow, TheImportWindowOffersOnlyTheTextFormatAndNeedsAFile) {
    THQVtoTxt txt(&set);
    TFImport w(txt, store);
    EXPECT_EQ(w.Mode(), 4);
    EXPECT_LT(w.Import(), 0);
    EXPECT_NE(messages.joined().find("Occorre scegliere almeno un file"), std::string::npos);
    std::ofstream(Dir() / "a.txt") << "riga <1>\n";
    w.AddFiles({QString::fromStdString((Dir() / "a.txt").string())});
    w.AddFiles({QString::fromStdString((Dir() / "a.txt").string())});  // listed once
    EXPECT_EQ(w.files->count(), 1);
    w.backColour->SetColour(0x0000FF);
    int32_t first = w.Import();
    ASSERT_GT(first, 0);
    EXPECT_EQ(Text(*set.Page(first)), "<Z S0 >riga &lt;1&gt;");
    EXPECT_EQ(set.Page(first)->I32(page_rec::kBackColour), 0x0000FF);
}

using Album = Fixture;

TEST_F(Album, DeletesAPictureOnlyThroughTheDeleteWindowAndNeverPage0) {
    AddPages(1);
    TFAlbum album(set, store);
    album.ShowTab(TFAlbum::Pictures);
    album.AddFiles({QString::fromStdString(WriteGif(Dir(), "uno.gif", 10).string())});
    THQVoggetto* pic = set.GetObject(immagine, 0);
    ASSERT_TRUE(pic && !pic->IsFree());
    auto placement = set.AddImmagineNew(pic);
    THQVoggetto* placed = THQVoggetto::Register(placement, -1);
    placement.release();
    ASSERT_TRUE(placed);
    SetText(*set.Page(1), "<Z S0 >prima" + Tag(placed->Id()) + "dopo");
    set.Page(0)->SetI32(page_rec::kBackPicture, pic->Number());
    album.Reload();
    ASSERT_EQ(album.List(TFAlbum::Pictures)->topLevelItemCount(), 1);
    album.List(TFAlbum::Pictures)->setCurrentItem(album.List(TFAlbum::Pictures)->topLevelItem(0));

    // The delete window lists where the picture is used; Annulla deletes nothing.
    std::vector<std::string> shown;
    album.runDeleteWindow = [&](TFCancella& w) {
        w.Wait();
        for (int i = 0; i < w.list->count(); ++i) shown.push_back(w.list->item(i)->text().toStdString());
        w.reject();
    };
    album.DeleteChosen();
    EXPECT_FALSE(pic->IsFree());
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_NE(shown[0].find("è presente in/collegato da /utilizzato in:"), std::string::npos) << shown[0];
    EXPECT_NE(shown[1].find("{nello sfondo testo}"), std::string::npos) << shown[1];  // page 0
    EXPECT_NE(shown[2].find("{nel testo}"), std::string::npos) << shown[2];           // page 1

    // Ok deletes it with its placement, the tag and the background reference.
    album.runDeleteWindow = [](TFCancella& w) { w.DeleteListed(); };
    album.DeleteChosen();
    EXPECT_TRUE(pic->IsFree());
    EXPECT_TRUE(placed->IsFree());
    EXPECT_EQ(Text(*set.Page(1)), "<Z S0 >primadopo");
    EXPECT_EQ(set.Page(0)->I32(page_rec::kBackPicture), -1);
    EXPECT_EQ(album.List(TFAlbum::Pictures)->topLevelItemCount(), 0);

    // Pages: page 0 stays whatever is chosen.
    album.ShowTab(TFAlbum::Pages);
    QTreeWidget* pages = album.List(TFAlbum::Pages);
    ASSERT_EQ(pages->topLevelItemCount(), 2);
    for (int i = 0; i < 2; ++i) pages->topLevelItem(i)->setCheckState(0, Qt::Checked);
    std::string lines;
    album.runDeleteWindow = [&](TFCancella& w) {
        w.Wait();
        EXPECT_EQ(w.DeleteListed(), 1);
        for (int i = 0; i < w.list->count(); ++i) lines += w.list->item(i)->text().toStdString() + "\n";
    };
    album.DeleteChosen();
    EXPECT_FALSE(set.Page(0)->IsFree());
    EXPECT_TRUE(set.Page(1)->IsFree());
    EXPECT_NE(lines.find("sembra inutilizzato. [X] Cancellato"), std::string::npos) << lines;
    EXPECT_EQ(pages->topLevelItemCount(), 1);
}

TEST_F(Album, TheDeleteWindowShowsTheSearchAsItGoesAndStopsItOnEveryWayOut) {
    AddPages(3);
    set.Page(1)->SetTitle("Capitolo");
    set.Page(2)->SetI32(page_rec::kHeaderPage, 1);
    TFCancella w(set, store);
    QSignalSpy finished(&w, &TFCancella::searchFinished);
    std::vector<int32_t> ids{set.Page(1)->Id(), set.Page(3)->Id(), MakeId(immagine, 40), 0};
    w.Load(ids);
    w.Wait();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(w.Searching());
    EXPECT_TRUE(w.progress->isHidden());
    std::vector<std::string> lines;
    for (int i = 0; i < w.list->count(); ++i) lines.push_back(w.list->item(i)->text().toStdString());
    std::vector<std::string> expected;
    for (int32_t id : ids) {
        THQVoggetto* o = set.GetObjectById(id);
        if (!o) {
            expected.push_back("Non definito.");
            continue;
        }
        for (const std::string& l : app::ReferenceLines(set, id)) expected.push_back(FromCp(l).toStdString());
    }
    expected.back() += " (la pagina 0 non si cancella)";
    EXPECT_EQ(lines, expected);

    // A search that runs when the window is left: Annulla and closing stop it
    // and nothing arrives afterwards; Ok stops it and deletes every object,
    // also those it had not reached.
    AddPages(150);
    std::string filler(2000, 'x');
    std::vector<int32_t> many;
    for (int32_t n = 4; n < set.ObjectCount(testoHtml); ++n) {
        SetText(*set.Page(n), "<Z S0 >" + filler + Tag(set.Page(n - 1)->Id()));
        many.push_back(set.Page(n)->Id());
    }
    struct Case {
        const char* name;
        std::function<void(TFCancella&)> leave;
    } cases[] = {{"Annulla", [](TFCancella& d) { d.reject(); }},
                 {"closing", [](TFCancella& d) { d.close(); }}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        w.show();
        w.Load(many);
        k.leave(w);
        EXPECT_FALSE(w.Searching());
        int shownLines = w.list->count();
        QCoreApplication::processEvents();
        EXPECT_EQ(w.list->count(), shownLines);
        for (int32_t id : many) EXPECT_FALSE(set.GetObjectById(id)->IsFree());
    }
    w.Load(many);
    EXPECT_EQ(w.DeleteListed(), int(many.size()));
    EXPECT_FALSE(w.Searching());
    for (int32_t id : many) EXPECT_TRUE(set.GetObjectById(id)->IsFree());
    int marked = 0;
    for (int i = 0; i < w.list->count(); ++i) marked += w.list->item(i)->text().endsWith(" [X] Cancellato") ? 1 : 0;
    EXPECT_EQ(marked, int(many.size()));
}

TEST_F(Album, ReplacesAPictureInPlaceAndAddsEmbeddedFiles) {
    TFAlbum album(set, store);
    album.ShowTab(TFAlbum::Pictures);
    album.AddFiles({QString::fromStdString(WriteGif(Dir(), "uno.gif", 10).string()),
                    QString::fromStdString(WriteGif(Dir(), "due.gif", 200).string())});
    ASSERT_EQ(album.List(TFAlbum::Pictures)->topLevelItemCount(), 2);
    THQVoggetto* first = set.GetObject(immagine, 0);
    THQVoggetto* second = set.GetObject(immagine, 1);
    Bytes before, secondBytes;
    ASSERT_TRUE(first->ReadContent(before));
    ASSERT_TRUE(second->ReadContent(secondBytes));
    // Replacing the first by a new file keeps its number; the second stays.
    QTreeWidget* list = album.List(TFAlbum::Pictures);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == first->Id()) list->setCurrentItem(list->topLevelItem(i));
    album.SetReplaceFile(QString::fromStdString(WriteGif(Dir(), "tre.gif", 77).string()));
    ASSERT_TRUE(album.ApplyReplace()) << messages.joined();
    Bytes after;
    ASSERT_TRUE(first->ReadContent(after));
    EXPECT_NE(after, before);
    EXPECT_FALSE(first->IsFree());
    EXPECT_FALSE(second->IsFree());
    // Replacing by a file equal to the second picture leaves the second alone.
    album.SetReplaceFile(QString::fromStdString((Dir() / "due.gif").string()));
    ASSERT_TRUE(album.ApplyReplace());
    ASSERT_TRUE(first->ReadContent(after));
    EXPECT_EQ(after, secondBytes);
    EXPECT_FALSE(second->IsFree());
    // A file that is not a picture changes nothing.
    std::ofstream(Dir() / "no.gif") << "not a picture";
    album.SetReplaceFile(QString::fromStdString((Dir() / "no.gif").string()));
    EXPECT_FALSE(album.ApplyReplace());
    EXPECT_FALSE(first->IsFree());

    album.ShowTab(TFAlbum::Files);
    std::ofstream(Dir() / "a.txt") << "contenuto";
    album.AddFiles({QString::fromStdString((Dir() / "a.txt").string())});
    ASSERT_EQ(album.List(TFAlbum::Files)->topLevelItemCount(), 1);
    EXPECT_EQ(album.List(TFAlbum::Files)->topLevelItem(0)->text(2), "a.txt");
    EXPECT_EQ(album.List(TFAlbum::Files)->topLevelItem(0)->text(1), "9");
}

using NewPageWindow = Fixture;

TEST_F(NewPageWindow, ChoosesAPageOfThisHypertextAnotherOrATemplate) {
    AddPages(1);
    SetText(*set.Page(1), "<Z S0 >uno");
    // Another hypertext, and a template in the data folder's "Templates".
    auto writeHypertext = [&](const fs::path& file, const std::string& title) {
        platform::RecordingMessages m;
        THQVset other(m);
        other.NewHypertext();
        app::NewEmptyPage(other);
        THQVtesto* p = other.Page(app::NewEmptyPage(other));
        p->SetTitle(title);
        SetText(*p, "<Z S0 >" + title);
        ASSERT_TRUE(other.SaveHypertext(file));
    };
    fs::create_directories(Dir() / "Templates");
    writeHypertext(Dir() / "altro.hqv", "Altra");
    writeHypertext(Dir() / "Templates" / "modello.HQV", "Modello");
    { std::ofstream(Dir() / "Templates" / "note.txt") << "x"; }

    TFNuova w(set, store, app::ProgramFolders(Dir()));
    EXPECT_EQ(w.windowTitle(), "Nuova...");
    w.Load();
    EXPECT_EQ(w.pages->count(), 2);
    ASSERT_EQ(w.templates->count(), 1);
    EXPECT_EQ(w.templates->item(0)->text(), "modello");
    EXPECT_EQ(w.templatePages->count(), 2);

    struct Row {
        TFNuova::Tab tab;
        const char* sourceText;  // null: no page to copy
    } rows[] = {
        {TFNuova::Empty, nullptr},
        {TFNuova::CopyExisting, "<Z S0 >uno"},
        {TFNuova::OtherHypertext, "<Z S0 >Altra"},
        {TFNuova::Template, "<Z S0 >Modello"},
    };
    ASSERT_TRUE(w.OpenOther(QString::fromStdString((Dir() / "altro.hqv").string())));
    EXPECT_EQ(w.otherPages->count(), 2);
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.tab));
        w.ShowTab(row.tab);
        for (QListWidget* l : {w.pages, w.otherPages, w.templatePages}) l->setCurrentRow(1);
        const int32_t before = set.ObjectCount(testoHtml);
        const int32_t made = w.MakePage();
        ASSERT_EQ(made, before);
        EXPECT_EQ(Text(*set.Page(made)), "<Z S0 >");  // the copy is the view's
        THQVtesto* source = w.SourcePage();
        if (!row.sourceText) {
            EXPECT_EQ(source, nullptr);
        } else {
            ASSERT_NE(source, nullptr);
            EXPECT_EQ(Text(*source), row.sourceText);
        }
        EXPECT_TRUE(w.WithBackground());
    }
    // A file that is not a hypertext lists nothing, and a copy without a
    // chosen page makes no page.
    { std::ofstream(Dir() / "rotto.hqv") << "non un ipertesto"; }
    EXPECT_FALSE(w.OpenOther(QString::fromStdString((Dir() / "rotto.hqv").string())));
    EXPECT_EQ(w.otherPages->count(), 0);
    w.ShowTab(TFNuova::OtherHypertext);
    const int32_t count = set.ObjectCount(testoHtml);
    EXPECT_EQ(w.MakePage(), -1);
    EXPECT_EQ(set.ObjectCount(testoHtml), count);
}

TEST_F(NewPageWindow, ThePasteModeHasNoEmptyPageAndAsksForTheBackground) {
    AddPages(1);
    TFNuova w(set, store, app::ProgramFolders(Dir()), TFNuova::Mode::Paste);
    EXPECT_EQ(w.windowTitle(), "Incolla...");
    EXPECT_EQ(w.objectName(), "fincolla");
    w.Load();
    ASSERT_EQ(w.tabs->count(), 4);
    EXPECT_EQ(w.tabs->tabText(0), "Da pagina esistente");
    EXPECT_EQ(w.tabs->tabText(3), "Da file Html");
    EXPECT_TRUE(w.tabs->isTabEnabled(3));
    EXPECT_EQ(w.Current(), TFNuova::CopyExisting);
    w.pages->setCurrentRow(1);
    EXPECT_EQ(w.SourcePage(), set.Page(1));
    EXPECT_FALSE(w.WithBackground());
    w.background->setChecked(true);
    EXPECT_TRUE(w.WithBackground());
    const int32_t count = set.ObjectCount(testoHtml);
    EXPECT_EQ(w.MakePage(), -1);  // pasting makes no page
    EXPECT_EQ(set.ObjectCount(testoHtml), count);
}

TEST(MainWindowDialogs, TheWindowCacheKeepsFormLimWindowsAndTheCommandsAreEnabled) {
    TestApp();
    platform::InMemorySettings store;
    TMainForm main(store);
    for (const char* a : {"HypProperties", "ToolsOptions", "FormatPageProperties", "FileExport", "FileImport",
                          "HypAlbum", "InsertNewPage"}) {
        SCOPED_TRACE(a);
        ASSERT_NE(main.Action(a), nullptr);
        EXPECT_TRUE(main.Action(a)->isEnabled());
    }
    main.Set().NewHypertext();
    app::NewEmptyPage(main.Set());
    for (const char* name : {"fpropiper", "fopzioni", "fproptesto", "fexport"}) {
        SCOPED_TRACE(name);
        QDialog* w = main.PrepareWindow(name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), name);
    }
    EXPECT_EQ(main.CachedWindow("fpropiper"), nullptr);  // the least recently used went
    EXPECT_NE(main.CachedWindow("fopzioni"), nullptr);
    QDialog* again = main.PrepareWindow("fopzioni");
    EXPECT_EQ(again, main.CachedWindow("fopzioni"));
    main.PrepareWindow("falbum");
    EXPECT_EQ(main.CachedWindow("fproptesto"), nullptr);
    EXPECT_EQ(main.PrepareWindow("nothing"), nullptr);
}

TEST(DialogPlacement, IsRememberedUnderForms) {
    TestApp();
    platform::InMemorySettings store;
    platform::RecordingMessages messages;
    THQVset set(messages);
    {
        TFNuova w(set, store, app::ProgramFolders(fs::temp_directory_path()));
        w.resize(640, 410);
        w.move(30, 40);
        w.show();
        w.reject();
    }
    auto r = ParsePlacement(store.ReadOr("forms", "fnuova", ""));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->size(), QSize(640, 410));
    TFNuova again(set, store, app::ProgramFolders(fs::temp_directory_path()));
    EXPECT_EQ(again.size(), QSize(640, 410));
    for (const char* bad : {"", "1,2,3", "a,b,c,d", "0,0,1,1", "0,0,99999,300"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParsePlacement(bad));
    }
}


using StyleWindow = Fixture;

TEST_F(StyleWindow, CreatesAStyleWithAUniqueNameAndModifiesInPlace) {
    ASSERT_GE(set.ObjectCount(stileParagrafo), 2);
    THQVoggetto* base = set.GetObject(stileParagrafo, 0);
    std::string baseName = base->Name();
    TFStili w(set, store);
    // Two new styles named like the first one get distinct names.
    for (const char* expected : {" 1", " 2"}) {
        SCOPED_TRACE(expected);
        ASSERT_TRUE(w.Edit(TFStili::Mode::Create));
        EXPECT_EQ(w.windowTitle(), "Crea stile");
        w.name->setText(FromCp(baseName));
        w.size->setValue(18);
        w.bold->setChecked(true);
        THQVoggetto* made = w.Apply();
        ASSERT_TRUE(made && made->IsRegistered());
        EXPECT_EQ(made->Name(), baseName + expected);
        EXPECT_EQ(made->State(), 1);
        EXPECT_EQ(StyleValue(made, Attr::Size), 18);
        EXPECT_EQ(StyleValue(made, Attr::Style) & 1, 1);
    }
    // Modify: the same object changes; a name differing only in case stays.
    int32_t count = set.ObjectCount(stileParagrafo);
    ASSERT_TRUE(w.Edit(TFStili::Mode::Modify, base));
    EXPECT_EQ(w.windowTitle(), "Modifica stile");
    w.name->setText(FromCp(cp1252::Upper(baseName)));
    w.listBullet->setChecked(true);
    w.align->setCurrentIndex(2);
    EXPECT_EQ(w.Apply(), base);
    EXPECT_EQ(set.ObjectCount(stileParagrafo), count);
    EXPECT_EQ(base->Name(), baseName);
    EXPECT_EQ(StyleValue(base, Attr::ListKind), 10);
    EXPECT_EQ(StyleValue(base, Attr::Align), 2);
    // A name longer than 32 characters is cut.
    ASSERT_TRUE(w.Edit(TFStili::Mode::Modify, base));
    w.name->setText(QString(40, 'x'));
    w.Apply();
    EXPECT_EQ(base->Name(), std::string(32, 'x'));
    // Modify without a style is refused with a message.
    EXPECT_FALSE(w.Edit(TFStili::Mode::Modify, nullptr));
    EXPECT_NE(messages.joined().find("StileDaMod must not be undef"), std::string::npos);
}

TEST_F(StyleWindow, TheUnitConvertsTheShownLengthsAndLineSpacingFollowsTheFont) {
    THQVoggetto* base = set.GetObject(stileParagrafo, 0);
    SetStyleValue(*base, Attr::Left, 96);  // one inch at 96 pixels per inch
    SetStyleValue(*base, Attr::Unit, umPixels);
    set.ScreenPixelsPerInch = 96;
    TFStili w(set, store);
    ASSERT_TRUE(w.Edit(TFStili::Mode::Modify, base));
    EXPECT_DOUBLE_EQ(w.left->value(), 96);
    struct Row {
        int unit;
        double shown;
    } rows[] = {{umInches, 1}, {umCentimetres, 2.54}, {umMillimetres, 25.4}, {umPoints, 72}, {umPicas, 6}, {umPixels, 96}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.unit);
        w.SetUnit(row.unit);
        EXPECT_NEAR(w.left->value(), row.shown, 0.01);
        EXPECT_EQ(StyleValue(&w.Scratch(), Attr::Left), 96);
    }
    w.size->setValue(12);
    // Editing other fields keeps the stored face, whatever face stands in for it.
    EXPECT_EQ(StyleFace(&w.Scratch()), StyleFace(base));
    w.face->setCurrentFont(QFont("DejaVu Sans Mono"));
    EXPECT_EQ(StyleFace(&w.Scratch()), ToCp(w.face->currentFont().family()));
    w.lineSpacing->setChecked(true);
    EXPECT_EQ(StyleValue(&w.Scratch(), Attr::LineHeight), 16);  // 12 points at 96 pixels per inch
    w.lineSpacing->setChecked(false);
    EXPECT_EQ(StyleValue(&w.Scratch(), Attr::LineHeight), style_rec::kAutoLineHeight);
    w.linkSizeOn->setChecked(true);
    EXPECT_EQ(StyleValue(&w.Scratch(), Attr::LinkSize), 12);
    w.linkSizeOn->setChecked(false);
    EXPECT_EQ(StyleValue(&w.Scratch(), Attr::LinkSize), -1);
    // Annulla leaves the style as it was.
    EXPECT_EQ(StyleValue(base, Attr::Unit), umPixels);
}


TEST_F(Album, RenamesThroughTheListFindsByNameAndTellsWhereAnObjectIsUsed) {
    AddPages(2);
    set.Page(1)->SetTitle("Capitolo");
    set.Page(2)->SetTitle("Appendice");
    set.Page(2)->SetI32(page_rec::kHeaderPage, 1);
    TFAlbum album(set, store);
    album.ShowTab(TFAlbum::Pages);
    QTreeWidget* list = album.List(TFAlbum::Pages);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->headerItem()->text(0), "Titolo");
    EXPECT_EQ(list->headerItem()->text(1), "Dimensione");
    EXPECT_EQ(list->headerItem()->text(2), "Nome file");
    QTreeWidgetItem* chapter = nullptr;
    for (int i = 0; i < 3; ++i)
        if (list->topLevelItem(i)->text(3) == "1") chapter = list->topLevelItem(i);
    ASSERT_TRUE(chapter);
    EXPECT_EQ(chapter->text(0).toStdString(), "Capitolo");
    EXPECT_EQ(chapter->toolTip(0).toStdString(), "Collegamento a: Capitolo (1)");
    EXPECT_EQ(chapter->text(1), QString::number(set.Page(1)->ContentLength()));
    chapter->setText(0, QString::fromUtf8("Capitolo primo è"));
    EXPECT_EQ(set.Page(1)->Title(), "Capitolo primo \xE8");

    album.find->setText("append");
    int shown = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i) shown += list->topLevelItem(i)->isHidden() ? 0 : 1;
    EXPECT_EQ(shown, 1);
    ASSERT_TRUE(list->currentItem());
    EXPECT_EQ(list->currentItem()->text(3), "2");

    // Page 1 is the header of page 2.
    std::vector<std::string> used = app::ReferenceLines(set, set.Page(1)->Id());
    ASSERT_EQ(used.size(), 2u);
    EXPECT_EQ(FromCp(used[1]).toStdString(),
              "    - " + set.Page(2)->Title() + "   {come intestazione o piè di pagina}");
    EXPECT_EQ(app::ReferenceLines(set, set.Page(2)->Id()).size(), 1u);
    EXPECT_TRUE(app::DeleteObject(set, *set.Page(1)));
    EXPECT_EQ(set.Page(2)->I32(page_rec::kHeaderPage), -1);
    EXPECT_FALSE(app::DeleteObject(set, *set.Page(1)));  // already free
    EXPECT_FALSE(app::DeleteObject(set, *set.Page(0)));
}

TEST(CharacterWindow, GivesBackTheFontWithItsPositionAndKeepsAnAbsentFace) {
    TestApp();
    platform::InMemorySettings store;
    TFCarattere w(store);
    TMyFont in{"Faccia che non esiste", 1 | 4, 0x0000FF, 14, 0};
    w.Load(in);
    EXPECT_EQ(w.Font(), in);
    w.superscript->setChecked(true);
    w.italic->setChecked(true);
    w.strike->setChecked(true);
    TMyFont out = w.Font();
    EXPECT_EQ(out.position, 2);
    EXPECT_EQ(out.style, 1 | 2 | 4 | 8);
    EXPECT_EQ(out.face, "Faccia che non esiste");
    struct Row {
        uint8_t position;
        const char* text;
    } rows[] = {{0, "Applica font Normale"}, {1, "Applica font Pedice"}, {2, "Applica font Apice"}};
    for (const Row& r : rows) EXPECT_EQ(PositionUndoText(r.position), r.text);
}

TEST(SymbolWindow, OffersTheDefinedCharactersOfTheCodePage) {
    TestApp();
    platform::InMemorySettings store;
    TFSimbolo w(store);
    EXPECT_EQ(w.Chosen(), 0);
    struct Row {
        uint8_t code;
        bool choosable;
    } rows[] = {{'A', true}, {0xE8, true}, {0x80, true}, {0x81, false}, {0x8D, false}, {0x7F, false}, {0xFF, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(int(r.code));
        w.Select(r.code);
        EXPECT_EQ(uint8_t(w.Chosen()), r.choosable ? r.code : 0);
    }
    w.Select(0xE8);
    EXPECT_EQ(w.table->currentItem()->text(), QString::fromUtf8("\u00e8"));
    EXPECT_EQ(TFSimbolo::CodeAt(0, 0), 0x20);
    EXPECT_EQ(TFSimbolo::CodeAt(13, 15), 0xFF);
    EXPECT_EQ(TFSimbolo::CodeAt(14, 0), 0);
}

}  // namespace
}  // namespace ovik::ui
