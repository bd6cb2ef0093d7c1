// Form elements, buttons, markers, multimedia and floating frames on a page
// being shown: which control each kind and subtype gets, their sizes from the
// record and the standard-control metrics, the state a reader sees and
// enters, reset buttons, picture buttons, media players and floating frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/hqv_set.h"
#include "page/placed_controls.h"
#include "page/placed_floating.h"
#include "page/placed_forms.h"
#include "page/placed_markers.h"
#include "page/placed_media.h"
#include "page/thqv_page.h"
#include "platform/media_player.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "support/page_text.h"

namespace ovik {
namespace {

using platform::FixedControlMetrics;
using testing::Content;
using testing::Tag;

constexpr int32_t kCw = FixedControlMetrics::kCharWidth;

struct ControlsTest : ::testing::Test {
    platform::RecordingMessages msgs;
    THQVset set{msgs};
    platform::FixedMetricsMeasurer measurer;
    FixedControlMetrics metrics;
    platform::RecordingMediaPlayers players;
    PageHost host;
    std::unique_ptr<THQVpage> view;
    THQVtesto* page = nullptr;

    ControlsTest() {
        set.NewHypertext();
        host.set = &set;
        host.measurer = &measurer;
        host.controlMetrics = &metrics;
        host.mediaPlayers = &players;
        page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
        platform::ResetMediaErrorMessages();
    }

    THQVoggetto* Add(uint8_t kind, uint8_t subtype) {
        auto o = NewControlObject(set, kind, subtype);
        return THQVoggetto::Register(o, -1);
    }

    // Shows the page holding the objects' tags in one paragraph; the controls
    // in the same order.
    std::vector<PagePlacedObject*> Show(const std::vector<THQVoggetto*>& objects, bool readOnly = false) {
        std::string text = "<Z S0 >";
        for (THQVoggetto* o : objects) text += Tag(o->Id());
        page->SetContent(Content(text));
        if (view) view->ClosePage();
        host.ReadOnly = readOnly;
        view = std::make_unique<THQVpage>(host);
        view->SetReadOnly(readOnly);
        view->ShowPage(page);
        std::vector<PagePlacedObject*> out;
        for (auto& c : view->Controls()) out.push_back(c.get());
        return out;
    }
    template <class T>
    T* ShowOne(THQVoggetto* o, bool readOnly = false) {
        auto c = Show({o}, readOnly);
        return c.size() == 1 ? dynamic_cast<T*>(c[0]) : nullptr;
    }
};

TEST_F(ControlsTest, EveryKindAndSubtypeGetsItsControlPopupAndUndoText) {
    struct Case {
        uint8_t kind, subtype;
        ControlClass cls;
        const char* popup;
        const char* undo;
    };
    const Case cases[] = {
        {shortObj, 10, ControlClass::BelPanel, "PopupComment", "Modifica oggetto"},
        {shortObj, 28, ControlClass::BelPanel, "PopupComment", "Modifica oggetto"},
        {shortObj, 16, ControlClass::None, "", "Modifica oggetto"},
        {dbloc, 7, ControlClass::Multimedia, "PopupJava", "Modifica multimedia"},
        {inputStat, 2, ControlClass::Edit, "PopupInput", "Modifica casella edit"},
        {inputStat, 4, ControlClass::Memo, "PopupInput", "Modifica box testo"},
        {inputStat, 5, ControlClass::BelPanel, "PopupInput", "Modifica oggetto"},
        {inputStat, 6, ControlClass::RadioButton, "PopupInput", "Modifica box"},
        {inputStat, 7, ControlClass::CheckBox, "PopupInput", "Modifica box"},
        {inputStat, 8, ControlClass::ListBox, "PopupInput", "Modifica lista"},
        {inputStat, 9, ControlClass::ComboBox, "PopupInput", "Modifica combo"},
        {inputStat, 18, ControlClass::Floating, "PopupFloating", "Modifica cornice indipendente"},
        {inputStat, 10, ControlClass::None, "", "Modifica oggetto"},
        {inputDin, 2, ControlClass::Memo, "PopupDin", "Modifica box testo"},
        {inputDin, 6, ControlClass::ListBox, "PopupDin", "Modifica lista"},
        {inputDin, 7, ControlClass::ComboBox, "PopupDin", "Modifica combo"},
        {inputDin, 12, ControlClass::BelPanel, "PopupDin", "Modifica oggetto"},
        {bottoneCGI, 3, ControlClass::Button, "PopupButton", "Modifica bottone"},
        {inizioForm, 4, ControlClass::FormStart, "PopupFormStart", "Modifica oggetto"},
        {inizioForm, 3, ControlClass::None, "", "Modifica oggetto"},
        {multiMedia, 6, ControlClass::Multimedia, "PopupMultimedia", "Modifica multimedia"},
        {multiMedia, 7, ControlClass::None, "", "Modifica oggetto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(KindName(c.kind)) + " " + std::to_string(c.subtype));
        THQVoggetto* o = Add(c.kind, c.subtype);
        EXPECT_EQ(ControlClassOf(*o), c.cls);
        EXPECT_STREQ(PopupMenuOf(*o), c.popup);
        EXPECT_STREQ(UndoTextOf(*o), c.undo);
        auto shown = Show({o});
        ASSERT_EQ(shown.size(), 1u);
        auto* control = dynamic_cast<TMyyControl*>(shown[0]);
        EXPECT_EQ(control != nullptr, c.cls != ControlClass::None);
        if (control) {
            EXPECT_EQ(control->PopupName(), c.popup);
        }
    }
    EXPECT_STREQ(ResizeUndoTextOf(*Add(bottoneCGI, 1)), "Dimensiona bottone");
    EXPECT_STREQ(ResizeUndoTextOf(*Add(multiMedia, 3)), "Dimensiona multimedia");
    EXPECT_STREQ(ResizeUndoTextOf(*Add(inputStat, 18)), "Dimensiona cornice indipendente");
}

TEST_F(ControlsTest, SizesComeFromTheRecordAndTheStandardControls) {
    auto edit = Add(inputStat, 1);
    edit->SetU8(form_rec::kWidthChars, 20);
    auto memo = Add(inputStat, 4);
    memo->SetU8(form_rec::kColumns, 30);
    memo->SetU8(form_rec::kRows, 5);
    auto list = Add(inputStat, 8);
    list->SetU8(form_rec::kWidthChars, 3);
    auto button = Add(bottoneCGI, 1);
    button->SetStr(button_rec::kCaption, button_rec::kCaptionLen, "Invia");
    auto frame = Add(inputStat, 18);
    frame->SetI16(form_rec::kWidth, 220);
    frame->SetI16(form_rec::kHeight, 90);
    auto video = Add(multiMedia, 3);
    video->SetU8(media_rec::kCyclic, 0);
    video->SetI16(media_rec::kWidth, 80);
    video->SetI16(media_rec::kHeight, 60);
    auto program = Add(multiMedia, 5);
    program->SetI16(media_rec::kWidth, 300);
    program->SetI16(media_rec::kHeight, 40);
    auto cyclicSound = Add(multiMedia, 1);
    auto buttonsSound = Add(multiMedia, 2);
    buttonsSound->SetU8(media_rec::kCyclic, 0);
    auto db = Add(dbloc, 7);
    db->SetU8(media_rec::kDbType, 19);
    struct Case {
        THQVoggetto* o;
        int32_t w, h;
    };
    const Case cases[] = {
        {edit, 20 * kCw, FixedControlMetrics::kEditHeight},
        {memo, 30 * kCw, 5 * FixedControlMetrics::kMemoLineHeight + 4},
        {Add(inputStat, 6), 13, FixedControlMetrics::kCaptionHeight},
        {Add(inputStat, 7), 13, FixedControlMetrics::kCaptionHeight},
        {list, FixedControlMetrics::kListWidth, 3 * FixedControlMetrics::kMemoLineHeight + 4},
        {Add(inputStat, 9), FixedControlMetrics::kListWidth, FixedControlMetrics::kComboHeight},
        {Add(inputStat, 5), 18, 18},
        {Add(inputDin, 11), 18, 18},
        {Add(inizioForm, 2), 18, 18},
        {button, (5 + 2) * kCw, FixedControlMetrics::kEditHeight},
        {frame, 220, 90},
        {video, 141, 60 + 30},
        {program, 300, 40},
        {cyclicSound, 18, 18},
        {buttonsSound, 141, 30},
        {Add(multiMedia, 6), 18, 18},
        {db, 27, 18},
    };
    std::vector<THQVoggetto*> objects;
    for (const Case& c : cases) objects.push_back(c.o);
    auto shown = Show(objects);
    ASSERT_EQ(shown.size(), objects.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i]->Width(), cases[i].w);
        EXPECT_EQ(shown[i]->Height(), cases[i].h);
    }
    EXPECT_FALSE(dynamic_cast<TMyyControl*>(shown[9])->HandlesEnabled());  // a plain button
    EXPECT_FALSE(dynamic_cast<TMyyControl*>(shown[14])->HandlesEnabled());  // a sound
    EXPECT_TRUE(dynamic_cast<TMyyControl*>(shown[11])->HandlesEnabled());   // a video
    EXPECT_EQ(dynamic_cast<TMyyControl*>(shown[13])->IconName(), "nota");
    EXPECT_EQ(dynamic_cast<TMyyControl*>(shown[16])->IconName(), "dbrep");
}

TEST_F(ControlsTest, MarkersHaveTheirIconsWidthsAndTexts) {
    struct Case {
        uint8_t subtype;
        const char* icon;
        int32_t width;
    };
    const Case cases[] = {{10, "notepad", 18}, {11, "html", 18},    {12, "binary", 18},  {13, "lancia", 18},
                          {14, "ancora", 18},  {15, "triang", 18},  {21, "imagelk", 36}, {22, "fogliolk", 36},
                          {23, "foglio", 36},  {24, "fond", 36},    {25, "xcoord", 36},  {26, "ycoord", 36},
                          {27, "par", 90},     {28, "fond", 90}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.subtype));
        THQVoggetto* o = Add(shortObj, c.subtype);
        auto* m = ShowOne<TMyyBelPanel>(o);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->IconName(), c.icon);
        EXPECT_EQ(m->Width(), c.width);
        EXPECT_EQ(m->Height(), 18);
    }
    THQVoggetto* par = Add(shortObj, 27);
    par->SetContent(Content("a=1"));
    auto* m = ShowOne<TMyyBelPanel>(par);
    EXPECT_EQ(m->Hint(), "Parametri: a=1");
    EXPECT_EQ(m->Text(), "a=1");
    THQVoggetto* comment = Add(shortObj, 10);
    comment->SetContent(Content("nota: breve"));
    EXPECT_EQ(ShowOne<TMyyBelPanel>(comment)->Text(), "");  // 18 wide: the icon only
}

TEST_F(ControlsTest, AReaderSeesOnlyAnchorsWhenPreviewedAndCatalogueLinks) {
    struct Case {
        uint8_t kind, subtype;
        bool plain, withAnchors;
    };
    const Case cases[] = {{shortObj, 14, false, true},  {shortObj, 15, true, true},
                          {shortObj, 10, false, false}, {shortObj, 13, false, false},
                          {shortObj, 27, false, false}, {inputStat, 1, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.subtype));
        auto* m = dynamic_cast<TMyyControl*>(Show({Add(c.kind, c.subtype)}, true)[0]);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->ShownInReadOnly(false), c.plain);
        EXPECT_EQ(m->ShownInReadOnly(true), c.withAnchors);
    }
}

TEST_F(ControlsTest, ListsSelectFromTheirMarks) {
    struct Case {
        uint8_t kind, subtype;
        bool multiple;
        std::string content;
        std::vector<int32_t> selected;
        std::string value;
    };
    const Case cases[] = {
        {inputStat, 8, false, "uno\r\n1\r\nX\r\ndue\r\n2\r\n\r\ntre\r\n3\r\nn\r\n", {0}, "1"},
        {inputStat, 8, false, "uno\r\n1\r\nX\r\ndue\r\n2\r\ns\r\ntre\r\n3\r\nN\r\n", {1}, "2"},
        {inputStat, 8, true, "uno\r\n1\r\nX\r\ndue\r\n2\r\nn\r\ntre\r\n3\r\nyes\r\n", {0, 2}, ""},
        {inputStat, 9, true, "uno\r\n1\r\nX\r\ndue\r\n2\r\nX\r\n", {1}, "2"},
        {inputStat, 9, false, "uno\n1\n\ndue\n2\n", {}, ""},
        {inputDin, 6, false, "uno\r\n1\r\nX\r\n", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        THQVoggetto* o = Add(c.kind, c.subtype);
        o->SetU8(form_rec::kMultiple, c.multiple ? 1 : 0);
        o->SetContent(Content(c.content));
        auto* l = ShowOne<TMyyListBox>(o);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->Selected(), c.selected);
        EXPECT_EQ(l->ValueText(), c.value);
        l->SetValueText("1");
        EXPECT_EQ(l->Selected(), c.selected);
    }
    EXPECT_EQ(ParseListItems("a\r\nb\r\nX\r\nc\r\n").size(), 2u);
    EXPECT_EQ(ListItemsText(ParseListItems("a\r\nb\r\nX\r\n")), "a\r\nb\r\nX\r\n");
}

TEST_F(ControlsTest, EditsTextBoxesAndBoxesGiveTheStateAReaderEnters) {
    auto edit = Add(inputStat, 2);
    edit->SetStr(form_rec::kValue, form_rec::kValueLen, "segreto");
    edit->SetU8(form_rec::kShowInitial, 1);
    auto hiddenValue = Add(inputStat, 1);
    hiddenValue->SetStr(form_rec::kValue, form_rec::kValueLen, "non mostrato");
    hiddenValue->SetU8(form_rec::kShowInitial, 0);
    auto memo = Add(inputStat, 4);
    memo->SetU8(form_rec::kShowInitial, 1);
    memo->SetContent(Content("testo iniziale"));
    auto radio = Add(inputStat, 6);
    radio->SetStr(form_rec::kValue, form_rec::kValueLen, "si");
    radio->SetU8(form_rec::kChecked, 0);
    auto check = Add(inputStat, 7);
    check->SetStr(form_rec::kValue, form_rec::kValueLen, "ok");
    check->SetU8(form_rec::kChecked, 1);
    auto shown = Show({edit, hiddenValue, memo, radio, check}, true);
    auto* e = dynamic_cast<TMyyEdit*>(shown[0]);
    EXPECT_EQ(e->ValueText(), "segreto");
    EXPECT_EQ(e->ShownText(), "#######");
    EXPECT_EQ(dynamic_cast<TMyyEdit*>(shown[1])->ValueText(), "");
    EXPECT_EQ(dynamic_cast<TMyyMemo*>(shown[2])->ValueText(), "testo iniziale");
    auto* r = dynamic_cast<TMyyCheckedControl*>(shown[3]);
    auto* c = dynamic_cast<TMyyCheckedControl*>(shown[4]);
    EXPECT_EQ(r->ValueText(), "");
    EXPECT_EQ(c->ValueText(), "ok");
    r->SetValueText("CHECKED");
    EXPECT_EQ(r->ValueText(), "si");
    c->SetValueText("no");
    EXPECT_EQ(c->ValueText(), "");

    // A click changes only the shown state: a radio button stays checked, a
    // check box toggles; releasing outside changes nothing.
    r->Press();
    r->Release(true);
    EXPECT_TRUE(r->Checked);
    c->Press();
    EXPECT_TRUE(c->pressed);
    c->Release(false);
    EXPECT_FALSE(c->Checked);
    c->Press();
    c->Release(true);
    EXPECT_TRUE(c->Checked);
    c->Press();
    c->Release(true);
    EXPECT_FALSE(c->Checked);
    EXPECT_EQ(c->Object()->U8(form_rec::kChecked), 1);
    EXPECT_EQ(r->Object()->U8(form_rec::kChecked), 0);
}

// One step of a reader's input: a key, or typed characters.
struct Input {
    EditKey key;
    std::string typed;  // used when key is Other
};

TEST_F(ControlsTest, AReaderTypesIntoEditFieldsAndTextBoxes) {
    using K = EditKey;
    struct Case {
        uint8_t subtype;  // 1 edit, 4 text box
        std::string initial;
        int32_t caret;
        std::vector<Input> inputs;
        std::string text;
        int32_t caretAfter;
    };
    const Case cases[] = {
        {1, "", 0, {{K::Other, "ciao"}}, "ciao", 4},
        {1, "abc", 0, {{K::End, ""}, {K::Backspace, ""}, {K::Other, "Z"}}, "abZ", 3},
        {1, "abc", 0, {{K::Right, ""}, {K::Delete, ""}, {K::Home, ""}, {K::Other, "-"}}, "-ac", 1},
        // Nothing to erase before the start or after the end.
        {1, "ab", 0, {{K::Backspace, ""}, {K::End, ""}, {K::Delete, ""}}, "ab", 2},
        // An edit field takes no line breaks and no line moves.
        {1, "ab", 1, {{K::Enter, ""}, {K::Up, ""}, {K::Down, ""}}, "ab", 1},
        // Control characters are not typed.
        {1, "", 0, {{K::Other, std::string("a\tb\x01", 4)}}, "ab", 2},
        // Text boxes: Enter breaks the line; a break is one step for the caret
        // and for Backspace and Delete.
        {4, "", 0, {{K::Other, "uno"}, {K::Enter, ""}, {K::Other, "due"}}, "uno\r\ndue", 8},
        {4, "uno\r\ndue", 5, {{K::Backspace, ""}}, "unodue", 3},
        {4, "uno\r\ndue", 3, {{K::Delete, ""}}, "unodue", 3},
        {4, "uno\r\ndue", 3, {{K::Right, ""}, {K::Other, "x"}}, "uno\r\nxdue", 6},
        {4, "uno\r\ndue", 5, {{K::Left, ""}, {K::Left, ""}, {K::Other, "x"}}, "unxo\r\ndue", 3},
        // Up and Down keep the column where the other line is long enough.
        {4, "abcdef\r\nxy\r\nlungo", 4, {{K::Down, ""}}, "abcdef\r\nxy\r\nlungo", 10},
        {4, "abcdef\r\nxy\r\nlungo", 15, {{K::Up, ""}, {K::Up, ""}}, "abcdef\r\nxy\r\nlungo", 2},
        {4, "uno\r\ndue", 6, {{K::Home, ""}, {K::Other, ">"}, {K::End, ""}, {K::Other, "<"}},
         "uno\r\n>due<", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.subtype) + " " + c.initial + " @" + std::to_string(c.caret));
        THQVoggetto* o = Add(inputStat, c.subtype);
        auto* t = dynamic_cast<TMyyTextControl*>(Show({o}, true)[0]);
        ASSERT_NE(t, nullptr);
        EXPECT_TRUE(t->TakesKeys());
        t->SetValueText(c.initial);
        t->SetCaret(c.caret);
        for (const Input& in : c.inputs) {
            if (in.key != K::Other) t->ReaderKeyDown(in.key, 0);
            for (char ch : in.typed) t->ReaderKeyPress(uint8_t(ch));
        }
        EXPECT_EQ(t->ValueText(), c.text);
        EXPECT_EQ(t->caret, c.caretAfter);
        // What a reader types never reaches the record.
        EXPECT_EQ(o->Str(form_rec::kValue, form_rec::kValueLen), "");
        EXPECT_EQ(ContentText(*o), "");
    }
    // A caret given inside a line break stands before it.
    THQVoggetto* memo = Add(inputStat, 4);
    auto* m = dynamic_cast<TMyyTextControl*>(Show({memo}, true)[0]);
    m->SetValueText("a\r\nb");
    m->SetCaret(2);
    EXPECT_EQ(m->caret, 1);
    m->SetCaret(99);
    EXPECT_EQ(m->caret, 4);
}

TEST_F(ControlsTest, AReaderPicksInListsAndComboBoxesAndTicksBoxesWithTheSpaceBar) {
    const std::string five = "a\r\n1\r\n\r\nb\r\n2\r\nX\r\nc\r\n3\r\n\r\nd\r\n4\r\n\r\ne\r\n5\r\n\r\n";
    const int32_t lh = metrics.MemoLineHeight();
    THQVoggetto* list = Add(inputStat, 8);
    list->SetContent(Content(five));
    list->SetU8(form_rec::kWidthChars, 2);  // two rows shown
    THQVoggetto* multi = Add(inputStat, 8);
    multi->SetContent(Content(five));
    multi->SetU8(form_rec::kWidthChars, 5);
    multi->SetU8(form_rec::kMultiple, 1);
    THQVoggetto* combo = Add(inputStat, 9);
    combo->SetContent(Content(five));
    THQVoggetto* dyn = Add(inputDin, 6);
    auto shown = Show({list, multi, combo, dyn}, true);
    auto* l = dynamic_cast<TMyyListBox*>(shown[0]);
    auto* ml = dynamic_cast<TMyyListBox*>(shown[1]);
    auto* cb = dynamic_cast<TMyyListBox*>(shown[2]);
    ASSERT_TRUE(l && ml && cb);
    EXPECT_FALSE(dynamic_cast<TMyyControl*>(shown[3])->TakesKeys());

    // Keys move the one selected item and scroll it into the two rows.
    struct Step {
        EditKey key;
        int32_t selected, top;
        bool changed;
    };
    const Step steps[] = {{EditKey::Down, 2, 1, true},  {EditKey::Down, 3, 2, true},
                          {EditKey::End, 4, 3, true},   {EditKey::Down, 4, 3, false},
                          {EditKey::PageUp, 2, 2, true}, {EditKey::Home, 0, 0, true},
                          {EditKey::Up, 0, 0, false}};
    EXPECT_EQ(l->TopItem(), 0);
    for (const Step& s : steps) {
        SCOPED_TRACE(int(s.key));
        EXPECT_EQ(l->ReaderKeyDown(s.key, 0), s.changed);
        EXPECT_EQ(l->Selected(), std::vector<int32_t>{s.selected});
        EXPECT_EQ(l->TopItem(), s.top);
    }
    // A click picks the line under it, counted from the first item shown.
    l->ReaderKeyDown(EditKey::End, 0);  // items 3 and 4 shown
    EXPECT_EQ(l->ItemAt(TMyyListBox::kListMargin + lh / 2), 3);
    EXPECT_TRUE(l->ReaderClick(5, TMyyListBox::kListMargin + lh / 2));
    EXPECT_EQ(l->ValueText(), "4");
    EXPECT_FALSE(l->ReaderClick(5, TMyyListBox::kListMargin + 2 * lh + 1));  // below the rows
    EXPECT_FALSE(l->ReaderClick(5, 0));                                       // on the margin

    // A multiple-selection list toggles clicked items; keys pick one.
    EXPECT_TRUE(ml->ReaderClick(1, TMyyListBox::kListMargin + 3 * lh));
    EXPECT_EQ(ml->Selected(), (std::vector<int32_t>{1, 3}));
    EXPECT_TRUE(ml->ReaderClick(1, TMyyListBox::kListMargin + 1 * lh));
    EXPECT_EQ(ml->Selected(), std::vector<int32_t>{3});
    EXPECT_TRUE(ml->ReaderKeyDown(EditKey::Down, 0));  // from the item clicked last
    EXPECT_EQ(ml->Selected(), std::vector<int32_t>{2});

    // A combo box moves with the keys; a click is left to its drop-down.
    EXPECT_FALSE(cb->ReaderClick(3, 3));
    EXPECT_TRUE(cb->ReaderKeyDown(EditKey::Down, 0));
    EXPECT_EQ(cb->ValueText(), "3");
    cb->Select(0);
    EXPECT_EQ(cb->ValueText(), "1");
    EXPECT_EQ(ContentText(*combo), five);  // the record keeps its marks

    // The space bar ticks a radio button and toggles a check box.
    THQVoggetto* radio = Add(inputStat, 6);
    THQVoggetto* check = Add(inputStat, 7);
    shown = Show({radio, check}, true);
    auto* r = dynamic_cast<TMyyCheckedControl*>(shown[0]);
    auto* c = dynamic_cast<TMyyCheckedControl*>(shown[1]);
    EXPECT_FALSE(r->ReaderKeyPress('x'));
    EXPECT_TRUE(r->ReaderKeyPress(' '));
    EXPECT_FALSE(r->ReaderKeyPress(' '));
    EXPECT_TRUE(r->Checked);
    EXPECT_TRUE(c->ReaderKeyPress(' '));
    EXPECT_TRUE(c->ReaderKeyPress(' '));
    EXPECT_FALSE(c->Checked);
}

TEST_F(ControlsTest, TabGoesRoundTheControlsThatTakeKeys) {
    THQVoggetto* marker = Add(shortObj, 10);
    THQVoggetto* edit = Add(inputStat, 1);
    THQVoggetto* button = Add(bottoneCGI, 1);
    THQVoggetto* check = Add(inputStat, 7);
    THQVoggetto* list = Add(inputStat, 8);
    auto shown = Show({marker, edit, button, check, list}, true);
    auto index = [&](size_t i) { return shown[i]->ControlIndex(); };
    EXPECT_EQ(NextReaderControl(*view, -1, false), index(1));
    EXPECT_EQ(NextReaderControl(*view, index(1), false), index(3));
    EXPECT_EQ(NextReaderControl(*view, index(4), false), index(1));
    EXPECT_EQ(NextReaderControl(*view, index(1), true), index(4));
    EXPECT_EQ(NextReaderControl(*view, -1, true), index(4));
    Show({marker, button}, true);
    EXPECT_EQ(NextReaderControl(*view, -1, false), -1);
}

TEST_F(ControlsTest, ResetRestoresTheControlsOfItsForm) {
    // first form: check box A; second form: check box B, reset; after: none.
    auto start1 = Add(inizioForm, 1);
    auto a = Add(inputStat, 7);
    auto start2 = Add(inizioForm, 2);
    auto b = Add(inputStat, 7);
    auto reset = Add(bottoneCGI, 3);
    auto shown = Show({start1, a, start2, b, reset}, true);
    auto* ca = dynamic_cast<TMyyCheckedControl*>(shown[1]);
    auto* cb = dynamic_cast<TMyyCheckedControl*>(shown[3]);
    auto* button = dynamic_cast<TMyyButton*>(shown[4]);
    ASSERT_TRUE(ca && cb && button);
    ca->Checked = cb->Checked = true;
    EXPECT_EQ(ResetForm(*view, *button), 1);
    EXPECT_TRUE(ca->Checked);
    EXPECT_FALSE(cb->Checked);

    // What a reader typed and picked goes back to the record's state too.
    auto edit = Add(inputStat, 1);
    edit->SetStr(form_rec::kValue, form_rec::kValueLen, "nome");
    edit->SetU8(form_rec::kShowInitial, 1);
    auto list = Add(inputStat, 8);
    list->SetContent(Content("a\r\n1\r\nX\r\nb\r\n2\r\n\r\n"));
    shown = Show({start1, edit, list, reset}, true);
    auto* e = dynamic_cast<TMyyEdit*>(shown[1]);
    auto* l = dynamic_cast<TMyyListBox*>(shown[2]);
    e->SetCaret(4);
    for (char ch : std::string("!!")) e->ReaderKeyPress(uint8_t(ch));
    l->ReaderKeyDown(EditKey::Down, 0);
    ASSERT_EQ(e->ValueText(), "nome!!");
    ASSERT_EQ(l->ValueText(), "2");
    EXPECT_EQ(ResetForm(*view, *dynamic_cast<TMyyControl*>(shown[3])), 2);
    EXPECT_EQ(e->ValueText(), "nome");
    EXPECT_EQ(e->caret, 0);
    EXPECT_EQ(l->ValueText(), "1");

    // A form start after the button: every form control of the page.
    auto start3 = Add(inizioForm, 1);
    shown = Show({start1, a, reset, start3, b}, true);
    ca = dynamic_cast<TMyyCheckedControl*>(shown[1]);
    cb = dynamic_cast<TMyyCheckedControl*>(shown[4]);
    ca->Checked = cb->Checked = true;
    EXPECT_EQ(ResetForm(*view, *dynamic_cast<TMyyControl*>(shown[2])), 2);
    EXPECT_FALSE(ca->Checked);
    EXPECT_FALSE(cb->Checked);
}

TEST_F(ControlsTest, APictureButtonTakesThePicturesNewSizeAsShownSize) {
    THQVoggetto* picture = set.AddNewObject(immagine);
    picture->SetU16(85, 64);
    picture->SetU16(87, 32);
    auto button = Add(bottoneCGI, 2);
    button->SetI32(button_rec::kPicture, picture->Number());
    button->SetU16(button_rec::kNaturalWidth, 64);
    button->SetU16(button_rec::kNaturalHeight, 32);
    button->SetI16(button_rec::kShownWidth, 128);
    button->SetI16(button_rec::kShownHeight, 16);
    auto* b = ShowOne<TMyyButton>(button);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->HandlesEnabled());
    EXPECT_EQ(b->Width(), 128);  // same natural size: the shown size stays
    EXPECT_EQ(b->Height(), 16);

    picture->SetU16(85, 50);
    b = ShowOne<TMyyButton>(button);
    EXPECT_EQ(b->Width(), 50);
    EXPECT_EQ(b->Height(), 32);
    EXPECT_EQ(b->Object()->U16(button_rec::kNaturalWidth), 50);
    EXPECT_EQ(b->Object()->U16(button_rec::kNaturalHeight), 32);
    EXPECT_EQ(b->Object()->I16(button_rec::kShownWidth), 50);
    EXPECT_EQ(b->Object()->I16(button_rec::kShownHeight), 32);

    b->Resize(70, 40);
    EXPECT_EQ(b->Width(), 70);
    EXPECT_EQ(b->Object()->I16(button_rec::kShownHeight), 40);
}

TEST_F(ControlsTest, FloatingFramesSizeTargetAndNesting) {
    auto frame = Add(inputStat, 18);
    frame->SetI32(form_rec::kPage, MakeId(testoHtml, 3));
    frame->SetU8(form_rec::kTarget, TMyyFloating::kSelf);
    frame->SetU8(form_rec::kShowFrames, 1);
    auto* f = ShowOne<TMyyFloating>(frame);
    ASSERT_NE(f, nullptr);
    FloatingSettings s = f->Settings(true, true);
    EXPECT_EQ(s.page, 3);
    EXPECT_TRUE(s.autoJump);
    EXPECT_TRUE(s.showNested);
    EXPECT_TRUE(s.activePreview);
    EXPECT_TRUE(s.readOnly);
    EXPECT_TRUE(f->KeepsLinks());
    EXPECT_FALSE(f->Settings(false, true).activePreview);
    for (uint8_t target : {0, 2, 3}) {
        frame->SetU8(form_rec::kTarget, target);
        f = ShowOne<TMyyFloating>(frame);
        EXPECT_FALSE(f->Settings(true, false).autoJump);
        EXPECT_FALSE(f->KeepsLinks());
    }
    // Percentages of the available width and the page's height.
    frame->SetU8(form_rec::kUnit, 1);
    frame->SetI16(form_rec::kWidth, 50);
    frame->SetI16(form_rec::kHeight, 25);
    f = ShowOne<TMyyFloating>(frame);
    f->SetAvailableWidth(400);
    view->Box()->geometry.clientHeight = 200;
    f->SizeFromObject();
    EXPECT_EQ(f->Width(), 200);
    EXPECT_EQ(f->Height(), 50);

    EXPECT_TRUE(FloatingMayShow({1}, 2));
    EXPECT_TRUE(FloatingMayShow({1}, 1));
    EXPECT_FALSE(FloatingMayShow({1, 1}, 1));
    EXPECT_FALSE(FloatingMayShow({1, 2, 1}, 1));
}

// --- multimedia -------------------------------------------------------------------------------

struct MediaTest : ControlsTest {
    THQVoggetto* file = nullptr;
    MediaTest() {
        file = set.AddNewObject(genLink);
        file->SetFileName("suono.wav");
        std::string bytes = "RIFF....WAVE";
        file->SetContent(Bytes(bytes.begin(), bytes.end()));
    }
    THQVoggetto* Sound(bool cyclic, int16_t loops) {
        THQVoggetto* o = Add(multiMedia, 1);
        o->SetI32(media_rec::kFile, file->Id());
        o->SetU8(media_rec::kCyclic, cyclic ? 1 : 0);
        o->SetI16(media_rec::kLoops, loops);
        return o;
    }
    int Plays() const { return int(std::count(players.log.begin(), players.log.end(), "play")); }
    platform::RecordingMediaPlayers::Player* LastPlayer() const {
        for (auto it = players.players.rbegin(); it != players.players.rend(); ++it)
            if (*it) return *it;
        return nullptr;
    }
};

TEST_F(MediaTest, ACyclicSoundWithTwoLoopsPlaysThreeTimes) {
    auto* m = ShowOne<TMyyMultimedia>(Sound(true, 2), true);
    ASSERT_NE(m, nullptr);
    auto* p = LastPlayer();
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(m->PlayerShown());
    EXPECT_EQ(m->IconName(), "nota");
    EXPECT_EQ(Plays(), 1);
    for (int i = 0; i < 5; ++i) p->FinishPlay();
    EXPECT_EQ(Plays(), 3);
    EXPECT_EQ(std::count(players.log.begin(), players.log.end(), "rewind"), 5);

    // Endless loops go on; the copy the player opened is private and whole.
    players.log.clear();
    m = ShowOne<TMyyMultimedia>(Sound(true, -1), true);
    p = LastPlayer();
    for (int i = 0; i < 10; ++i) p->FinishPlay();
    EXPECT_EQ(Plays(), 11);
    EXPECT_EQ(p->openedBytes, "RIFF....WAVE");
    EXPECT_TRUE(set.IsOwnTempFile(m->OpenedFile()));
    EXPECT_TRUE(msgs.entries().empty()) << msgs.joined();
}

TEST_F(MediaTest, PlayingNeedsAReadOnlyViewWithoutAutoJump) {
    struct Case {
        bool readOnly, autoJump, cyclic;
        bool opened;
        int plays;
    };
    const Case cases[] = {{true, false, true, true, 1},
                          {false, false, true, true, 0},
                          {true, true, true, false, 0},
                          {true, false, false, true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.readOnly) + std::to_string(c.autoJump) + std::to_string(c.cyclic));
        players.log.clear();
        host.AutoJump = c.autoJump;
        auto* m = ShowOne<TMyyMultimedia>(Sound(c.cyclic, 1), c.readOnly);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(std::count_if(players.log.begin(), players.log.end(),
                                [](const std::string& e) { return e.rfind("open ", 0) == 0; }),
                  c.opened ? 1 : 0);
        EXPECT_EQ(Plays(), c.plays);
        EXPECT_EQ(m->PlayerShown(), !c.cyclic);
        EXPECT_EQ(m->Width(), c.cyclic ? 18 : 141);
        EXPECT_EQ(m->Play(), c.readOnly && !c.autoJump);
    }
}

TEST_F(MediaTest, DeviceErrorsAreToldOncePerRunOthersEveryTime) {
    struct Case {
        int code;
        const char* text;
        int expectedMessages;  // after three failures
        const char* begins;
    };
    const Case cases[] = {
        {263, "x", 1, "Il lettore per questo tipo di oggetto multimediale non \xC3\xA8 correttamente registrato"},
        {265, "x", 1, "Il file multimediale selezionato \xC3\xA8 gi\xC3\xA0 in uso"},
        {277, "Errore del dispositivo", 3, "Errore del dispositivo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        msgs.clear();
        for (int i = 0; i < 3; ++i) {
            players.failNextOpen = {c.code, c.text};
            auto* m = ShowOne<TMyyMultimedia>(Sound(true, 3), true);
            EXPECT_EQ(m->LoopsLeft(), 0);
        }
        ASSERT_EQ(int(msgs.entries().size()), c.expectedMessages);
        EXPECT_EQ(msgs.entries()[0].kind, platform::MessageKind::Error);
        EXPECT_EQ(msgs.entries()[0].text.rfind(c.begins, 0), 0u) << msgs.entries()[0].text;
        EXPECT_EQ(Plays(), 0);
    }
}

TEST_F(MediaTest, ThePlayersButtonsAndFailuresFoundWhilePlaying) {
    auto* m = ShowOne<TMyyMultimedia>(Sound(false, 0), true);
    ASSERT_NE(m, nullptr);
    auto* p = LastPlayer();
    ASSERT_NE(p, nullptr);
    struct Case {
        int32_t x, y;
        TMyyMultimedia::PlayerButton button;
        const char* logged;
    };
    using B = TMyyMultimedia::PlayerButton;
    const Case cases[] = {{0, 0, B::Play, "play"},    {30, 29, B::Pause, "pause"}, {60, 10, B::Stop, "rewind"},
                          {90, 10, B::Step, "step +1"}, {140, 10, B::Back, "step -1"}, {141, 10, B::None, ""},
                          {10, 30, B::None, ""},        {-1, 5, B::None, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(m->PlayerButtonAt(c.x, c.y), c.button);
        players.log.clear();
        EXPECT_EQ(m->PressPlayerButton(c.button), c.button != B::None);
        EXPECT_EQ(players.log.empty() ? std::string() : players.log.back(), c.logged);
    }
    // A cyclic sound shows no bar.
    auto* cyclic = ShowOne<TMyyMultimedia>(Sound(true, 0), true);
    EXPECT_EQ(cyclic->PlayerButtonAt(5, 5), B::None);
    // An editable page plays nothing.
    m = ShowOne<TMyyMultimedia>(Sound(false, 0), false);
    EXPECT_FALSE(m->PressPlayerButton(B::Play));

    // A player that finds out only while loading: told like a failed opening,
    // device errors once per run, and no loops are left.
    msgs.clear();
    for (int i = 0; i < 2; ++i) {
        m = ShowOne<TMyyMultimedia>(Sound(true, 3), true);
        EXPECT_EQ(m->LoopsLeft(), 3);
        LastPlayer()->FailPlay({platform::kMediaNotRegistered, "x"});
        EXPECT_EQ(m->LoopsLeft(), 0);
        LastPlayer()->FailPlay({5, "Formato sconosciuto"});
    }
    ASSERT_EQ(msgs.entries().size(), 3u) << msgs.joined();
    EXPECT_EQ(msgs.entries()[0].text.rfind("Il lettore per questo tipo", 0), 0u);
    EXPECT_EQ(msgs.entries()[1].text, "Formato sconosciuto");
    EXPECT_EQ(msgs.entries()[2].text, "Formato sconosciuto");
}

TEST_F(MediaTest, VideosAndProgramsResizeInTheirUnit) {
    auto video = Add(multiMedia, 3);
    video->SetU8(media_rec::kCyclic, 0);
    video->SetI16(media_rec::kWidth, 50);
    video->SetI16(media_rec::kHeight, 50);
    auto* m = ShowOne<TMyyMultimedia>(video);
    m->Resize(100, 100);  // the player's 30 are not the video's
    EXPECT_EQ(m->Object()->I16(media_rec::kWidth), 141);
    EXPECT_EQ(m->Object()->I16(media_rec::kHeight), 70);
    EXPECT_EQ(m->Height(), 100);
    EXPECT_EQ(m->PictureArea().top, 30);

    auto program = Add(multiMedia, 5);
    program->SetU8(media_rec::kPercent, 1);
    m = ShowOne<TMyyMultimedia>(program);
    m->SetAvailableWidth(500);
    view->Box()->geometry.clientHeight = 300;
    m->Resize(250, 30);
    EXPECT_EQ(m->Object()->I16(media_rec::kWidth), 50);
    EXPECT_EQ(m->Object()->I16(media_rec::kHeight), 10);
    EXPECT_EQ(m->Width(), 250);
    EXPECT_EQ(m->Height(), 30);
    EXPECT_EQ(LastPlayer(), nullptr);  // a program has no player
}

}  // namespace
}  // namespace ovik
