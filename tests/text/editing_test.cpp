// Editing a box through the editor's key, character and mouse entry points.

#include <gtest/gtest.h>

#include <random>

#include "text/editing_fixture.h"

namespace ovik::testing {
namespace {

using Edit = EditingFixture;

TEST_F(Edit, TypographicQuotesFollowTheCharacterBefore) {
    struct Row {
        const char* name;
        std::string typed;
        std::string expected;
    } rows[] = {
        {"blank, double quote, hi, double quote", " \"hi\"", std::string(" \x93hi\x94")},
        {"apostrophe at the start, then inside a word", "'l'a", std::string("\x91l\x92" "a")},
        {"quote after a closing quote opens", "\"a\"\"", std::string("\x93" "a\x94\x93")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Open("<Z S0 >");
        editor.autoEngQuote = true;
        Type(row.typed);
        EXPECT_EQ(Text(), row.expected);
        ExpectInvariants(box);
    }
    Open("<Z S0 >");
    editor.autoEngQuote = false;
    Type("\"'");
    EXPECT_EQ(Text(), "\"'");
}

TEST_F(Edit, TypingThenBackspacesThenTypingGivesThreeEntries) {
    Open("<Z S0 >");
    const std::string loaded = Own();
    Type("abcdefghij");
    for (int i = 0; i < 3; ++i) Key(EditKey::Backspace);
    Type("XY");
    EXPECT_EQ(Text(), "abcdefgXY");
    EXPECT_EQ(history.UndoDescriptions(),
              (std::vector<std::string>{"Inserimento caratteri", "Cancella selezione",
                                        "Inserimento caratteri"}));
    history.UndoOne();
    EXPECT_EQ(Text(), "abcdefg");
    history.UndoOne();
    EXPECT_EQ(Text(), "abcdefghij");
    history.UndoOne();
    EXPECT_EQ(Own(), loaded);
    ExpectInvariants(box);
}

TEST_F(Edit, BoldWordInPlainSentenceKeepsTheTextAfterPlain) {
    Open("<Z S0 >uno due tre");
    Sel(0, 4, 0, 7);
    editor.SetStyleBits(1);
    EXPECT_EQ(history.UndoDescriptions().front(), "Applica stile font: Grassetto ");
    EXPECT_GE(P().Records()[4].runFont, 0);
    EXPECT_GE(P().Records()[7].runFont, 0);
    EXPECT_EQ(P().FontAt(3).style, 0);
    EXPECT_EQ(P().FontAt(4).style, 1);
    EXPECT_EQ(P().FontAt(6).style, 1);
    EXPECT_EQ(P().FontAt(7).style, 0);
    EXPECT_EQ(P().FontAt(10).style, 0);
    ExpectInvariants(box);
}

TEST_F(Edit, RunCommandsOverParagraphsAndPendingValues) {
    Open("<Z S0 >abc<Z S0 >def<Z S0 >ghi");
    Sel(0, 1, 2, 2);
    editor.SetColour(255);
    EXPECT_EQ(history.UndoDescriptions().front(), "Applica colore Rosso");
    EXPECT_EQ(P(0).FontAt(0).colour, 0);
    EXPECT_EQ(P(0).FontAt(1).colour, 255);
    EXPECT_EQ(P(1).FontAt(0).colour, 255);
    EXPECT_EQ(P(2).FontAt(1).colour, 255);
    EXPECT_EQ(P(2).FontAt(2).colour, 0);
    ExpectInvariants(box);

    // Without a selection the value waits for the next typed character.
    Caret(1, 3);
    editor.SetSize(20);
    EXPECT_EQ(history.UndoCount(), 1u);
    Type("xy");
    EXPECT_EQ(Text(1), "defxy");
    EXPECT_EQ(P(1).FontAt(3).size, 20);
    EXPECT_EQ(P(1).FontAt(4).size, 20);  // typing goes on in the run just begun

    Open("<Z S0 >ab");
    Caret(0, 1);
    editor.SetStyleBits(2);
    Type("x");
    EXPECT_EQ(Text(), "axb");
    EXPECT_EQ(P().FontAt(1).style, 2);
    EXPECT_EQ(P().FontAt(2).style, 0);  // the text after keeps its font
    ExpectInvariants(box);
}

TEST_F(Edit, UndoTextsOfRunAndParagraphCommands) {
    struct Row {
        const char* name;
        std::function<void(BoxEditor&)> command;
        std::string text;
    } rows[] = {
        {"face", [](BoxEditor& e) { e.SetFace("Arial"); }, "Applica font Arial"},
        {"subscript", [](BoxEditor& e) { e.SetPosition(1); }, "Applica font Pedice"},
        {"superscript", [](BoxEditor& e) { e.SetPosition(2); }, "Applica font Apice"},
        {"italic bold", [](BoxEditor& e) { e.SetStyleBits(3); }, "Applica stile font: Italico Grassetto "},
        {"set and clear", [](BoxEditor& e) { e.SetAndClearStyleBits(1, 2); }, "Applica stile font: "},
        {"size", [](BoxEditor& e) { e.SetSize(12); }, "Applica dimensione font 12"},
        {"custom colour", [](BoxEditor& e) { e.SetColour(0x123456); }, "Applica colore Custom"},
        {"link", [](BoxEditor& e) { e.SetLink(0x03000005); }, "Inserisci collegamento "},
        {"centre", [](BoxEditor& e) { e.SetAlignment(2); }, "Centra"},
        {"right", [](BoxEditor& e) { e.SetAlignment(1); }, "Allinea a destra"},
        {"line height", [](BoxEditor& e) { e.SetLineHeight(1.5); }, "Altezza linea 1.5"},
        {"space above", [](BoxEditor& e) { e.SetSpaceAbove(4); }, "Margine sup 4"},
        {"space below", [](BoxEditor& e) { e.SetSpaceBelow(0.25); }, "Margine inf 0.25"},
        {"indent", [](BoxEditor& e) { e.SetFirstIndent(-3); }, "Margine indent -3"},
        {"left", [](BoxEditor& e) { e.SetLeftMargin(7); }, "Margine sx 7"},
        {"right margin", [](BoxEditor& e) { e.SetRightMargin(8); }, "Margine dx 8"},
        {"link colour", [](BoxEditor& e) { e.SetLinkColour(0xFF00FF); }, "Colore link Fucsia"},
        {"link size", [](BoxEditor& e) { e.SetLinkSize(14); }, "Dimensione link 14"},
        {"link style", [](BoxEditor& e) { e.SetLinkStyle(2); }, "Stile link Italico "},
        {"list", [](BoxEditor& e) { e.SetListKind(6); }, "Numerazione 6"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Open("<Z S0 M5 >alfa beta");
        const std::string loaded = Own();
        Sel(0, 0, 0, 4);
        row.command(editor);
        ASSERT_EQ(history.UndoCount() > 0, true);
        EXPECT_EQ(history.UndoDescriptions().front(), row.text);
        ExpectInvariants(box);
        history.UndoOne();
        EXPECT_EQ(Own(), loaded);
        history.Clear();
    }
    // Setting the unit records nothing.
    Open("<Z S0 >x");
    editor.SetUnit(umMillimetres);
    EXPECT_EQ(history.UndoCount(), 0u);
    EXPECT_EQ(P().Style().Get(Attr::Unit), umMillimetres);
}

TEST_F(Edit, TextsOfColoursAndNumbers) {
    EXPECT_EQ(ColourName(0), "Nero");
    EXPECT_EQ(ColourName(0x808000), "Acqua");
    EXPECT_EQ(ColourName(0xC0C0C0), "Grigio chiaro");
    EXPECT_EQ(ColourName(0xFFFFFF), "Bianco");
    EXPECT_EQ(ColourName(1), "Custom");
    EXPECT_EQ(StyleText(0), "");
    EXPECT_EQ(StyleText(1), "Grassetto ");
    EXPECT_EQ(NumberText(10), "10");
    EXPECT_EQ(NumberText(0.1), "0.1");
    EXPECT_EQ(NumberText(-2.5), "-2.5");
}

TEST_F(Edit, EnterInsideBoldRunContinuesBold) {
    Open("<Z S0 >ab<Y y1 >cdef<Y y0 >gh");
    const std::string loaded = Own();
    Caret(0, 4);
    Key(EditKey::Enter);
    ASSERT_EQ(box.ParagraphCount(), 2);
    EXPECT_EQ(Text(0), "abcd");
    EXPECT_EQ(Text(1), "efgh");
    EXPECT_EQ(P(1).FontAt(0).style, 1);
    EXPECT_EQ(P(1).FontAt(2).style, 0);
    EXPECT_EQ(box.caret.paragraphIndex, 1);
    EXPECT_EQ(box.caret.charIndex, 0);
    Type("X");
    EXPECT_EQ(P(1).FontAt(0).style, 1);
    ExpectInvariants(box);
    const std::string edited = Own();
    history.UndoOne();
    EXPECT_EQ(history.UndoDescriptions().front(), "Inserimento paragrafo");
    history.UndoOne();
    EXPECT_EQ(box.ParagraphCount(), 1);
    EXPECT_EQ(Own(), loaded);
    history.RedoOne();
    history.RedoOne();
    EXPECT_EQ(Own(), edited);
}

TEST_F(Edit, JoiningParagraphs) {
    // Delete at the end of a paragraph with text: the first paragraph's
    // attributes win, the second keeps its runs.
    Open("<Z S0 A2 >abc<Z S0 A1 >d<Y y1 >ef");
    const std::string loaded = Own();
    Caret(0, 3);
    Key(EditKey::Delete);
    ASSERT_EQ(box.ParagraphCount(), 1);
    EXPECT_EQ(Text(), "abcdef");
    EXPECT_EQ(P().Style().Get(Attr::Align), 2);
    EXPECT_EQ(P().FontAt(3).style, 0);
    EXPECT_EQ(P().FontAt(4).style, 1);
    EXPECT_EQ(box.caret.charIndex, 3);
    ExpectInvariants(box);
    history.UndoOne();
    EXPECT_EQ(Own(), loaded);

    // The whole text of a paragraph and its mark: the paragraph goes and the
    // next one keeps its own style and runs.
    Open("<Z S0 A2 >abc<Z S0 A1 >d<Y y1 >ef");
    Sel(0, 0, 1, 0);
    Key(EditKey::Delete);
    ASSERT_EQ(box.ParagraphCount(), 1);
    EXPECT_EQ(P().Style().Get(Attr::Align), 1);
    EXPECT_EQ(P().FontAt(1).style, 1);
    history.UndoOne();
    EXPECT_EQ(Own(), loaded);

    // Backspace at a paragraph start, across three paragraphs with a selection.
    Open("<Z S0 >ab<Z S0 >cd<Z S0 >ef");
    Caret(1, 0);
    Key(EditKey::Backspace);
    EXPECT_EQ(Text(0), "abcd");
    Open("<Z S0 >ab<Z S0 >cd<Z S0 ><Y y1 >ef");
    Sel(0, 1, 2, 1);
    Key(EditKey::Backspace);
    ASSERT_EQ(box.ParagraphCount(), 1);
    EXPECT_EQ(Text(), "af");
    EXPECT_EQ(P().FontAt(1).style, 1);
    EXPECT_EQ(history.UndoDescriptions().front(), "Cancella selezione");
    ExpectInvariants(box);
}

// The second paragraph's characters look the same after a join, whatever
// the paragraph overrides and whatever style it has.
TEST_F(Edit, JoinedTextKeepsEachCharactersLook) {
    auto titolo = set.NewObject(stileParagrafo);
    titolo->SetName("Titolo");
    SetStyleValue(*titolo, Attr::Size, 20);
    const int32_t n = THQVoggetto::Register(titolo, -1)->Number();
    const std::string S = "<Z S" + std::to_string(n) + " ";
    struct Row {
        const char* name;
        std::string markup;
        std::vector<std::pair<int32_t, int32_t>> sizeAndStyle;  // per character after the join
    } rows[] = {
        {"own font tag at the start", "<Z S0 >aa<Z S0 s20 ><Y y1 >bb", {{12, 0}, {12, 0}, {12, 1}, {12, 1}}},
        {"paragraph override without runs", "<Z S0 >aa<Z S0 s20 >bb", {{12, 0}, {12, 0}, {20, 0}, {20, 0}}},
        {"another style's runs", "<Z S0 >aa" + S + "><Y y1 >b<Y >c",
         {{12, 0}, {12, 0}, {20, 1}, {20, 0}}},
        {"run after plain text", "<Z S0 >aa<Z S0 y2 >b<Y s8 >c", {{12, 0}, {12, 0}, {12, 2}, {8, 0}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Open(r.markup);
        Caret(0, 2);
        Key(EditKey::Delete);
        ASSERT_EQ(box.ParagraphCount(), 1);
        ASSERT_EQ(P().Length(), int32_t(r.sizeAndStyle.size()));
        for (int32_t i = 0; i < P().Length(); ++i) {
            EXPECT_EQ(P().FontAt(i).size, r.sizeAndStyle[size_t(i)].first) << i;
            EXPECT_EQ(P().FontAt(i).style, r.sizeAndStyle[size_t(i)].second) << i;
        }
        ExpectInvariants(box);
    }
}

// A run's face keeps every character a style can hold, through the markup.
TEST_F(Edit, LongFaceNamesOfRunsSurviveStoring) {
    const std::string face25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
    Open("<Z S0 >abc");
    Sel(0, 1, 0, 2);
    editor.SetFace(face25);
    EXPECT_EQ(P().FontAt(1).face, face25);
    const std::string stored = Own();
    EXPECT_NE(stored.find("F\"" + face25 + "\""), std::string::npos) << stored;
    Load(stored);
    EXPECT_EQ(P().FontAt(1).face, face25);
    // The character window's choice likewise; names past 32 are cut there.
    Sel(0, 0, 0, 1);
    TMyFont chosen = box.TextAttributes().FontAt();
    const TMyFont shown = chosen;
    chosen.face = face25 + "0123456789";
    editor.SetFont(shown, chosen);
    EXPECT_EQ(P().FontAt(0).face, (face25 + "0123456789").substr(0, 32));
}

TEST_F(Edit, DeletingOnePlacedObjectRecordsCancellaOggetto) {
    FakeObject pic(set, 1);
    controls.controls.push_back(&pic);
    Open("<Z S0 >a<$FF000001>b");
    ASSERT_EQ(Text(), "a b");
    const std::string loaded = Own();
    Sel(0, 1, 0, 2);
    Key(EditKey::Delete);
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(history.UndoDescriptions().front(), "Cancella oggetto");
    history.UndoOne();
    EXPECT_EQ(Own(), loaded);
    ASSERT_GE(P().Records()[1].object, 0);
    EXPECT_EQ(P().Objects()[size_t(P().Records()[1].object)], &pic);
    ExpectInvariants(box);
}

TEST_F(Edit, InsertingObjectsAndTables) {
    FakeObject pic(set, 4);
    FakeTable table(set, 5, 1, 1);
    controls.controls = {&pic, &table};
    Open("<Z S0 >abcd");
    const std::string loaded = Own();
    Caret(0, 2);
    editor.InsertObject(&pic, true);
    EXPECT_EQ(Text(), "ab cd");
    EXPECT_EQ(history.UndoDescriptions().front(), "Inserimento oggetti");
    EXPECT_EQ(box.caret.charIndex, 3);
    auto acts = Drain();
    ASSERT_FALSE(acts.empty());
    EXPECT_EQ(acts.back().kind, EditAction::ObjectFocus);
    // A table gets a paragraph of its own.
    Caret(0, 1);
    editor.InsertObject(&table, false);
    ASSERT_EQ(box.ParagraphCount(), 3);
    EXPECT_EQ(Text(0), "a");
    EXPECT_EQ(Text(1), " ");
    EXPECT_EQ(Text(2), "b cd");
    ExpectInvariants(box);
    // Delete and Backspace next to the table leave its paragraph alone.
    const std::string withTable = Own();
    const size_t entries = history.UndoCount();
    Caret(0, 1);
    Key(EditKey::Delete);
    Caret(2, 0);
    Key(EditKey::Backspace);
    Caret(1, 1);
    Key(EditKey::Delete);
    EXPECT_EQ(Own(), withTable);
    EXPECT_EQ(history.UndoCount(), entries);
    // Typing next to the table goes into a new paragraph.
    Caret(1, 1);
    Type("z");
    EXPECT_EQ(box.ParagraphCount(), 4);
    EXPECT_EQ(Text(2), "z");
    const std::string edited = Own();
    std::vector<PlacedObject*> detached;
    history.detachControl = [&](THQVbox&, PlacedObject* o) { detached.push_back(o); };
    history.UndoOne();
    EXPECT_TRUE(detached.empty());  // undoing the typing keeps the table
    history.UndoOne();
    EXPECT_EQ(detached, std::vector<PlacedObject*>{&table});
    history.UndoOne();
    EXPECT_EQ(detached, (std::vector<PlacedObject*>{&table, &pic}));
    EXPECT_EQ(Own(), loaded);
    // Redo reads the tags back and finds the detached controls again.
    while (history.CanRedo()) history.RedoOne();
    EXPECT_EQ(Own(), edited);
    ExpectInvariants(box);
}

TEST_F(Edit, ReplacingTheSelection) {
    Open("<Z S0 >uno <Y y1 >due<Y y0 > tre");
    Sel(0, 4, 0, 7);
    editor.ReplaceSelection("quattro");
    EXPECT_EQ(Text(), "uno quattro tre");
    EXPECT_EQ(history.UndoDescriptions().front(), "Sostituzione selezione con: quattro");
    EXPECT_EQ(P().FontAt(10).style, 1);
    EXPECT_EQ(P().FontAt(11).style, 0);
    EXPECT_TRUE(box.hasSelection);
    Sel(0, 4, 0, 11);
    editor.ReplaceSelection("x");
    EXPECT_EQ(Text(), "uno x tre");
    EXPECT_EQ(P().FontAt(5).style, 0);
    ExpectInvariants(box);

    Open("<Z S0 >ab<Z S0 >cd");
    Sel(0, 1, 1, 1);
    editor.ReplaceSelection("x");
    EXPECT_EQ(msgs.entries().back().text,
              "Funzione non disponibile per parole non comprese interamente in un paragrafo.");
    EXPECT_EQ(Text(0), "ab");
    EXPECT_EQ(history.UndoCount(), 1u);  // the entry is still recorded
}

TEST_F(Edit, LinksOnTheSelection) {
    Open("<Z S0 >ab<Z S0 >cd");
    editor.SetLink(0x03000007);
    EXPECT_EQ(msgs.entries().back().text, "Selection must exists!");
    Sel(0, 1, 1, 1);
    editor.SetLink(0x03000007);
    EXPECT_EQ(P(0).Records()[0].link, kNoLink);
    EXPECT_EQ(P(0).Records()[1].link, 0x03000007);
    EXPECT_EQ(P(1).Records()[0].link, 0x03000007);
    EXPECT_EQ(P(1).Records()[1].link, kNoLink);
    ExpectInvariants(box);  // end records stay without a link
    // Typing at the end of a link extends it.
    Caret(0, 2);
    Type("x");
    EXPECT_EQ(P(0).Records()[2].link, 0x03000007);
    Sel(0, 0, 1, 2);
    editor.SetLink(kNoLink);
    for (int i = 0; i < 2; ++i)
        for (const CharRecord& r : P(i).Records()) EXPECT_EQ(r.link, kNoLink);
}

TEST_F(Edit, ListKindTenIndentsByTenMillimetres) {
    Open("<Z S0 M5 l10 >voce");
    editor.SetListKind(10);
    EXPECT_EQ(P().Style().Get(Attr::Indent), -38);
    EXPECT_EQ(P().Style().Get(Attr::Left), 48);
    EXPECT_EQ(P().Style().Get(Attr::ListKind), 10);
    // Again on a list paragraph: nothing moves.
    editor.SetListKind(6);
    EXPECT_EQ(P().Style().Get(Attr::Left), 48);
    editor.SetListKind(0);
    EXPECT_EQ(P().Style().Get(Attr::Indent), 0);
    EXPECT_EQ(P().Style().Get(Attr::Left), 10);
    EXPECT_EQ(P().Style().Get(Attr::ListKind), 0);
}

TEST_F(Edit, CaretMovesAndExitCodes) {
    Open("<Z S0 >alfa, beta<Z S0 >x");
    Caret(0, 2);
    Key(EditKey::Right, kCtrl);
    EXPECT_EQ(box.caret.charIndex, 6);
    Key(EditKey::Left, kCtrl);
    EXPECT_EQ(box.caret.charIndex, 0);
    Key(EditKey::Right, kCtrl);
    Key(EditKey::Right, kCtrl);
    EXPECT_EQ(box.caret.paragraphIndex, 0);
    EXPECT_EQ(box.caret.charIndex, 10);
    Key(EditKey::Right, kCtrl);
    EXPECT_EQ(box.caret.paragraphIndex, 1);

    // Right at the end of the last own paragraph does nothing.
    Caret(1, 1);
    Key(EditKey::Right);
    EXPECT_EQ(editor.exitCode, kExitRight);
    EXPECT_EQ(box.caret.paragraphIndex, 1);
    EXPECT_EQ(box.caret.charIndex, 1);
    Drain();
    // In a cell box the view is told to move to the next cell.
    FakeTable table(set, 9, 1, 1);
    box.cellOwner = table.Object();
    Key(EditKey::Right);
    auto acts = Drain();
    ASSERT_EQ(acts.size(), 1u);
    EXPECT_EQ(acts[0].kind, EditAction::ExitBox);
    EXPECT_EQ(acts[0].exitCode, kExitRight);
    box.cellOwner = nullptr;
    Caret(0, 0);
    Key(EditKey::Left);
    EXPECT_EQ(editor.exitCode, kExitLeft);
    Key(EditKey::Up);
    EXPECT_EQ(editor.exitCode, kExitUp);
}

TEST_F(Edit, LineMovesKeepThePreferredX) {
    pageWidth = 100;  // about ten characters a line
    Open("<Z S0 >aaaa bbbb cccc dddd eeee ffff<Z S0 >kkkk llll");
    const auto& lines = P(0).Lines();
    ASSERT_GE(lines.size(), 3u);
    const int32_t col = 2;
    Caret(0, lines[0].first + col);
    Key(EditKey::Down);
    EXPECT_EQ(box.caret.paragraphIndex, 0);
    EXPECT_EQ(box.caret.charIndex, lines[1].first + col);
    Key(EditKey::Down, kShift);
    EXPECT_EQ(box.caret.charIndex, lines[2].first + col);
    EXPECT_TRUE(box.hasSelection);
    Key(EditKey::Down);  // collapses to the selection end
    Key(EditKey::End);
    Key(EditKey::Down);  // from the end of a line: the next line, not past it
    EXPECT_EQ(LineOf(P(box.caret.paragraphIndex), box.caret.charIndex), box.caret.lineIndex);
    Caret(0, lines[1].first + 1);
    Key(EditKey::Home);
    EXPECT_EQ(box.caret.charIndex, lines[1].first);
    Key(EditKey::End);
    EXPECT_EQ(box.caret.charIndex, lines[1].first + lines[1].count);
    Key(EditKey::Up, kCtrl);
    EXPECT_EQ(editor.exitCode, kExitUp);  // already in the first paragraph
    Key(EditKey::Down, kCtrl);
    EXPECT_EQ(box.caret.paragraphIndex, 1);
    EXPECT_EQ(box.caret.charIndex, 0);
    Key(EditKey::End, kCtrl);
    EXPECT_EQ(box.caret.paragraphIndex, 1);
    EXPECT_EQ(box.caret.charIndex, 9);
    Key(EditKey::PageUp);
    EXPECT_EQ(box.caret.paragraphIndex, 0);
    EXPECT_EQ(editor.exitCode, kExitUp);
    Key(EditKey::PageDown);
    EXPECT_EQ(box.caret.paragraphIndex, 1);
    EXPECT_EQ(editor.exitCode, kExitDown);
}

TEST_F(Edit, ShiftExtendsAndPlainKeysCollapse) {
    Open("<Z S0 >abcdef");
    Caret(0, 1);
    Key(EditKey::Right, kShift);
    Key(EditKey::Right, kShift);
    Key(EditKey::Right, kShift);
    ASSERT_TRUE(box.hasSelection);
    EXPECT_EQ(box.SelectionStart().charIndex, 1);
    EXPECT_EQ(box.SelectionEnd().charIndex, 4);
    Key(EditKey::Left, kShift);
    EXPECT_EQ(box.SelectionEnd().charIndex, 3);
    Key(EditKey::Right);
    EXPECT_FALSE(box.hasSelection);
    EXPECT_EQ(box.caret.charIndex, 3);
    Key(EditKey::Left, kShift);
    Key(EditKey::Left, kShift);
    Key(EditKey::Left);
    EXPECT_EQ(box.caret.charIndex, 1);
    // Typing replaces a selection.
    Sel(0, 0, 0, 3);
    Type("Z");
    EXPECT_EQ(Text(), "Zdef");
    EXPECT_EQ(history.UndoCount(), 2u);
}

TEST_F(Edit, ReadOnlyLockedAndF9) {
    Open("<Z S0 >ab<$03000002>cd<%>");
    editor.readOnly = true;
    Key(EditKey::Down);
    Key(EditKey::Left);
    auto acts = Drain();
    ASSERT_EQ(acts.size(), 2u);
    EXPECT_EQ(acts[0].kind, EditAction::Scroll);
    EXPECT_EQ(acts[0].dy, 10);
    EXPECT_EQ(acts[1].dx, -10);
    EXPECT_FALSE(editor.KeyPress('x'));
    EXPECT_EQ(Text(), "abcd");
    editor.readOnly = false;
    box.Lock();
    EXPECT_FALSE(editor.KeyPress('x'));
    EXPECT_FALSE(editor.KeyDown(EditKey::Enter, 0));
    box.Unlock();
    EXPECT_EQ(Text(), "abcd");
    Caret(0, 3);
    Key(EditKey::F9);
    acts = Drain();
    ASSERT_EQ(acts.size(), 1u);
    EXPECT_EQ(acts[0].kind, EditAction::FollowLink);
    EXPECT_EQ(acts[0].link, 0x03000002);
    Key(EditKey::Delete, kShift);
    acts = Drain();
    ASSERT_EQ(acts.size(), 1u);
    EXPECT_EQ(acts[0].kind, EditAction::Cut);
}

TEST_F(Edit, KeysThatDoNothingAndHeaderParagraphs) {
    Open("<Z S0 >abc");
    Caret(0, 2);
    struct Row {
        const char* name;
        EditKey key;
        uint8_t mods;
    } rows[] = {
        {"Ctrl+Backspace", EditKey::Backspace, kCtrl},
        {"Ctrl+Delete", EditKey::Delete, kCtrl},
        {"Alt+Delete", EditKey::Delete, kAlt},
        {"another key", EditKey::Other, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(editor.KeyDown(row.key, row.mods));
        EXPECT_EQ(Text(), "abc");
        EXPECT_EQ(history.UndoCount(), 0u);
    }
    // Backspace at the first editable position deletes nothing.
    Caret(0, 0);
    Key(EditKey::Backspace);
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(history.UndoCount(), 0u);

    // Header paragraphs: presses on them are ignored, moves stop before them.
    box.ClearParagraphs();
    BoxStream main(std::string_view("<Z S0 >own")), head(std::string_view("<Z S0 >header"));
    box.LoadText(&main, &head, nullptr);
    RelayoutBox(box);
    ASSERT_EQ(box.headerCount, 1);
    Caret(1, 1);
    editor.MouseDown(MouseButton::Left, XBefore(0, 2), YAt(0), 0);
    editor.MouseUp(MouseButton::Left, XBefore(0, 2), YAt(0), 0);
    EXPECT_EQ(box.caret.paragraphIndex, 1);
    Key(EditKey::Up);
    EXPECT_EQ(editor.exitCode, kExitUp);
    Key(EditKey::Home, kCtrl);
    EXPECT_EQ(box.caret.paragraphIndex, 1);
    EXPECT_EQ(box.caret.charIndex, 0);
}

TEST_F(Edit, AClickPutsTheCaretOnTheNearerSideOfTheCharacter) {
    Open("<Z S0 >alfa beta");
    const int32_t w = P(0).Records()[2].width;
    ASSERT_GE(w, 4);
    struct Row {
        const char* name;
        int32_t x;
        int32_t caret;
    } rows[] = {
        {"just inside the left edge", XBefore(0, 2) + 1, 2},
        {"left half", XBefore(0, 2) + w / 2 - 1, 2},
        {"right half", XBefore(0, 2) + w - 1, 3},
        {"middle goes after", XAt(0, 2), 3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        editor.MouseDown(MouseButton::Left, r.x, YAt(0), 0);
        editor.MouseUp(MouseButton::Left, r.x, YAt(0), 0);
        EXPECT_EQ(box.caret.charIndex, r.caret);
    }
}

TEST_F(Edit, MouseSelectsPlacesAndFollows) {
    Open("<Z S0 >alfa beta  gamma<Z S0 >vai <$03000002>qui<%>");
    // Press, move, release: a selection.
    editor.MouseDown(MouseButton::Left, XBefore(0, 1), YAt(0), 0);
    editor.MouseMove(XBefore(0, 7), YAt(0), true);
    editor.MouseUp(MouseButton::Left, XBefore(0, 7), YAt(0), 0);
    ASSERT_TRUE(box.hasSelection);
    EXPECT_EQ(box.SelectionStart().charIndex, 1);
    EXPECT_EQ(box.SelectionEnd().charIndex, 7);
    // A click places the caret.
    editor.MouseDown(MouseButton::Left, 300, YAt(1), 0);
    editor.MouseUp(MouseButton::Left, 300, YAt(1), 0);
    EXPECT_FALSE(box.hasSelection);
    EXPECT_EQ(box.caret.paragraphIndex, 1);
    EXPECT_EQ(box.caret.charIndex, 7);
    // A double click selects the word with its trailing blanks.
    editor.DoubleClick(XAt(0, 6), YAt(0));
    editor.MouseDown(MouseButton::Left, XAt(0, 6), YAt(0), 0);  // ignored after a double click
    editor.MouseUp(MouseButton::Left, XAt(0, 6), YAt(0), 0);
    ASSERT_TRUE(box.hasSelection);
    EXPECT_EQ(box.SelectionStart().charIndex, 5);
    EXPECT_EQ(box.SelectionEnd().charIndex, 11);
    Drain();
    // Right release on a link of a link object: the link menu; without: the context menu.
    editor.MouseDown(MouseButton::Right, XAt(1, 5), YAt(1), 0);
    editor.MouseUp(MouseButton::Right, XAt(1, 5), YAt(1), 0);
    auto acts = Drain();
    ASSERT_FALSE(acts.empty());
    EXPECT_EQ(acts.back().kind, EditAction::OpenLinkMenu);
    EXPECT_EQ(acts.back().link, 0x03000002);
    editor.MouseUp(MouseButton::Right, XAt(1, 1), YAt(1), 0);
    EXPECT_EQ(Drain().back().kind, EditAction::ContextMenu);
    // A double click on a link, and any release on one in a read-only box, follow it.
    box.hasSelection = false;
    editor.DoubleClick(XAt(1, 5), YAt(1));
    EXPECT_EQ(Drain().back().kind, EditAction::FollowLink);
    editor.readOnly = true;
    editor.MouseDown(MouseButton::Left, XAt(1, 5), YAt(1), 0);
    editor.MouseUp(MouseButton::Left, XAt(1, 5), YAt(1), 0);
    EXPECT_EQ(Drain().back().kind, EditAction::FollowLink);
}

TEST_F(Edit, PendingStyleHoldsOverEnter) {
    // Bold typed, bold turned off, Enter: the new paragraph's text is not
    // bold; bold turned on with nothing typed yet holds over Enter as well.
    struct Row {
        bool typeBold;
        uint8_t toClear, toSet;
        uint8_t expected;
    } rows[] = {{true, 1, 0, 0}, {false, 0, 1, 1}, {true, 0, 0, 1}};
    for (auto& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.typeBold << int(r.toClear) << int(r.toSet));
        Open("<Z S0 >ab");
        Caret(0, 2);
        if (r.typeBold) {
            editor.SetAndClearStyleBits(0, 1);
            editor.KeyPress('c');
        }
        if (r.toClear || r.toSet) editor.SetAndClearStyleBits(r.toClear, r.toSet);
        editor.InsertParagraph();
        editor.KeyPress('d');
        ASSERT_EQ(box.ParagraphCount(), 2);
        EXPECT_EQ(Text(1), "d");
        EXPECT_EQ(P(1).FontAt(0).style & 1, r.expected);
        ExpectInvariants(box);
    }
}

TEST_F(Edit, PendingValuesAddUp) {
    Open("<Z S0 >ab");
    Caret(0, 2);
    editor.SetAndClearStyleBits(0, 1);
    editor.SetFace("Arial");
    editor.SetSize(20);
    editor.KeyPress('c');
    const TMyFont f = P(0).FontAt(2);
    EXPECT_EQ(f.style & 1, 1);
    EXPECT_EQ(f.face, "Arial");
    EXPECT_EQ(f.size, 20);
    ExpectInvariants(box);
}

TEST_F(Edit, TheCharacterWindowsChangeIsOneCommandOverWhatWasChanged) {
    // Bold and a size at once: the italic run keeps its italic, one entry
    // takes both back.
    Open("<Z S0 >ab<Y y2 >cd<Y y0 >ef");
    const std::string loaded = Own();
    Sel(0, 0, 0, 6);
    const TMyFont shown = box.TextAttributes().FontAt();
    ASSERT_EQ(shown.style, 0);
    TMyFont chosen = shown;
    chosen.style = 1;
    chosen.size = 20;
    editor.SetFont(shown, chosen);
    EXPECT_EQ(history.UndoCount(), 1u);
    EXPECT_EQ(history.UndoDescriptions().front(), "Applica font " + shown.face);
    struct Char {
        int32_t index;
        uint8_t style;
    } chars[] = {{0, 1}, {2, 3}, {3, 3}, {5, 1}};
    for (const Char& c : chars) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(P().FontAt(c.index).style, c.style);
        EXPECT_EQ(P().FontAt(c.index).size, 20);
        EXPECT_EQ(P().FontAt(c.index).face, shown.face);
    }
    ExpectInvariants(box);
    history.UndoOne();
    EXPECT_EQ(Own(), loaded);

    // A single change reads as that attribute's command; no change records nothing.
    struct Row {
        const char* name;
        std::function<void(TMyFont&)> change;
        std::string text;
    } rows[] = {
        {"nothing", [](TMyFont&) {}, ""},
        {"face", [](TMyFont& f) { f.face = "Arial"; }, "Applica font Arial"},
        {"size", [](TMyFont& f) { f.size = 14; }, "Applica dimensione font 14"},
        {"colour", [](TMyFont& f) { f.colour = 255; }, "Applica colore Rosso"},
        {"italic", [](TMyFont& f) { f.style = 2; }, "Applica stile font: Italico "},
        {"superscript", [](TMyFont& f) { f.position = 2; }, "Applica font Apice"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Open("<Z S0 >alfa");
        Sel(0, 0, 0, 4);
        TMyFont f = box.TextAttributes().FontAt();
        r.change(f);
        editor.SetFont(box.TextAttributes().FontAt(), f);
        if (r.text.empty()) {
            EXPECT_EQ(history.UndoCount(), 0u);
            continue;
        }
        ASSERT_EQ(history.UndoCount(), 1u);
        EXPECT_EQ(history.UndoDescriptions().front(), r.text);
        EXPECT_EQ(P().FontAt(1), f);
    }

    // Without a selection the change waits for the next typed character.
    Open("<Z S0 >ab");
    Caret(0, 2);
    TMyFont next = box.TextAttributes().FontAt();
    next.style = 1;
    next.colour = 255;
    editor.SetFont(box.TextAttributes().FontAt(), next);
    EXPECT_EQ(history.UndoCount(), 0u);
    Type("c");
    EXPECT_EQ(P().FontAt(2).style, 1);
    EXPECT_EQ(P().FontAt(2).colour, 255);
    EXPECT_EQ(P().FontAt(1).style, 0);
}

TEST_F(Edit, DraggingTheSelectionMovesOrCopies) {
    Open("<Z S0 >uno due tre");
    const std::string loaded = Own();
    Sel(0, 0, 0, 4);
    editor.MouseDown(MouseButton::Left, XAt(0, 1), YAt(0), 0);
    EXPECT_TRUE(editor.dragPending);
    editor.MouseMove(XAt(0, 9), YAt(0), true);
    ASSERT_EQ(Drain().back().kind, EditAction::StartDrag);
    EXPECT_FALSE(editor.DragOver(editor, XAt(0, 2), YAt(0)));  // onto itself
    editor.Drop(editor, XBefore(0, 8), YAt(0), MouseButton::Left, 0);
    EXPECT_EQ(Text(), "due uno tre");
    EXPECT_EQ(history.UndoDescriptions(),
              (std::vector<std::string>{"Inserimento tramite trascina selezione", "Cancella selezione"}));
    ExpectInvariants(box);
    history.UndoOne();
    history.UndoOne();
    EXPECT_EQ(Own(), loaded);

    // A right click inside the selection keeps it and asks for the context
    // menu; a left click there places the caret.
    Sel(0, 0, 0, 3);
    editor.MouseDown(MouseButton::Right, XAt(0, 1), YAt(0), 0);
    editor.MouseUp(MouseButton::Right, XAt(0, 1), YAt(0), 0);
    EXPECT_TRUE(box.hasSelection);
    EXPECT_EQ(Drain().back().kind, EditAction::ContextMenu);
    editor.MouseDown(MouseButton::Left, XAt(0, 1), YAt(0), 0);
    editor.MouseUp(MouseButton::Left, XAt(0, 1), YAt(0), 0);
    EXPECT_FALSE(box.hasSelection);

    // Ctrl copies; the right button asks first.
    Sel(0, 0, 0, 3);
    editor.Drop(editor, 300, YAt(0), MouseButton::Left, kCtrl);
    EXPECT_EQ(Text(), "uno due treuno");
    Sel(0, 4, 0, 7);
    editor.Drop(editor, 0, YAt(0), MouseButton::Right, 0);
    EXPECT_EQ(Drain().back().kind, EditAction::DragMenu);
    EXPECT_EQ(Text(), "uno due treuno");
    editor.DropChoice(BoxEditor::DropKind::Move);
    EXPECT_EQ(Text(), "dueuno  treuno");
    ExpectInvariants(box);
}

TEST_F(Edit, ObjectsDataCarriesTextStylesAndObjects) {
    FakeObject pic(set, 3);
    controls.controls.push_back(&pic);
    Open("<Z S0 A2 >ab<Y y1 >c<$FF000003>d<Z S0 >ef");
    Bytes data = WriteObjectsData(box, box.MakePosition(0, 1), box.MakePosition(1, 1), false);
    ASSERT_GE(data.size(), 24u);
    EXPECT_EQ(GetI32(data.data()), 1);
    Open("<Z S0 >XY");
    Caret(0, 1);
    ASSERT_TRUE(ReadObjectsData(editor, data, "Inserimento da Cartella appunti", false));
    ASSERT_EQ(box.ParagraphCount(), 2);
    EXPECT_EQ(Text(0), "Xbc d");
    EXPECT_EQ(Text(1), "eY");
    EXPECT_EQ(P(0).FontAt(2).style, 1);
    ASSERT_GE(P(0).Records()[3].object, 0);
    EXPECT_EQ(P(0).Objects()[size_t(P(0).Records()[3].object)], &pic);
    ExpectInvariants(box);
    history.UndoOne();
    EXPECT_EQ(Text(0), "XY");
    EXPECT_EQ(box.ParagraphCount(), 1);
    // Bad data changes nothing.
    for (Bytes bad : {Bytes{}, Bytes{2, 0, 0, 0}, Bytes{1, 0, 0, 0, 5, 0}}) {
        EXPECT_FALSE(ReadObjectsData(editor, bad, "x", false));
        EXPECT_EQ(Text(0), "XY");
    }
    Bytes cut = data;
    cut.resize(cut.size() / 2);
    ReadObjectsData(editor, cut, "x", false);
    ExpectInvariants(box);
}

TEST_F(Edit, PastingIntoAnEmptyParagraphKeepsTheCopiedStyle) {
    THQVoggetto* titolo = set.AddNewObject(stileParagrafo);
    titolo->SetName("Titolo");
    titolo->SetState(1);
    SetStyleValue(*titolo, Attr::Size, 24);
    ASSERT_GT(titolo->Number(), 1);
    const std::string src = "<Z S" + std::to_string(titolo->Number()) + " >ab<Y y1 >cd";
    Open(src);
    Bytes data = WriteObjectsData(box, box.MakePosition(0, 0), box.MakePosition(0, 4), false);

    struct Row {
        const char* name;
        const char* target;
        bool keepStyle;
        bool takesTitolo;
    } rows[] = {
        {"empty paragraph, keep style", "<Z S0 ><Y y2 >", true, true},
        {"middle of text, keep style", "<Z S0 >xy", true, true},
        {"middle of text, target style", "<Z S0 >xy", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Open(row.target);
        const std::string before = Own();
        Caret(0, P().Length() / 2);
        ASSERT_TRUE(ReadObjectsData(editor, data, "Inserimento da Cartella appunti", row.keepStyle));
        EXPECT_EQ(P().Style().Base() == titolo, row.takesTitolo);
        ExpectInvariants(box);
        history.UndoOne();
        EXPECT_EQ(Own(), before);
    }
}

// Every entry point at random, with positions and values outside any sense:
// the model keeps its invariants and undoing everything restores the page.
TEST_F(Edit, RandomInputKeepsTheModelSound) {
    FakeObject pic(set, 2);
    controls.controls.push_back(&pic);
    const EditKey keys[] = {EditKey::Backspace, EditKey::Enter, EditKey::PageUp, EditKey::PageDown,
                            EditKey::Home,      EditKey::End,   EditKey::Left,   EditKey::Right,
                            EditKey::Up,        EditKey::Down,  EditKey::Delete, EditKey::F9,
                            EditKey::Other};
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return int32_t(rng() % uint32_t(n)); };
        pageWidth = 60 + pick(300);
        Open("<Z S0 >uno <$03000002>due<%> tre<Z S0 M1 l5 ><Y y1 s20 >quattro <$FF000002> cinque<Z S0 >");
        history.SetDepth(1000);
        const std::string loaded = Own();
        for (int s = 0; s < 150; ++s) {
            const int32_t x = pick(500) - 50, y = pick(300) - 50;
            const MouseButton b = pick(3) == 0 ? MouseButton::Right : MouseButton::Left;
            switch (pick(14)) {
                case 0: case 1: case 2: editor.KeyDown(keys[pick(13)], uint8_t(pick(8))); break;
                case 3: case 4: editor.KeyPress(uint8_t(pick(256))); break;
                case 5: editor.MouseDown(b, x, y, 0); break;
                case 6: editor.MouseMove(x, y, pick(2) == 0); break;
                case 7: editor.MouseUp(b, x, y, 0); break;
                case 8: editor.DoubleClick(x, y); break;
                case 9: editor.Drop(editor, x, y, b, uint8_t(pick(3))); break;
                case 10: editor.DropChoice(BoxEditor::DropKind(pick(3))); break;
                case 11: editor.SetStyleBits(uint8_t(pick(16))); break;
                case 12: editor.ReplaceSelection(pick(2) ? "zz" : "w"); break;
                case 13: editor.SetListKind(uint8_t(pick(2) * 10)); break;
            }
            ExpectInvariants(box);
            if (HasFailure()) return;
        }
        actions.Clear();
        EXPECT_GT(history.UndoCount(), 5u);
        while (history.CanUndo()) history.UndoOne();
        EXPECT_EQ(Own(), loaded);
    }
}

}  // namespace
}  // namespace ovik::testing
