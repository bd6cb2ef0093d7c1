// Changing a style records its old look for undo.
#include <gtest/gtest.h>

#include "document/hqv_set.h"
#include "document/style_record.h"
#include "platform/messages.h"
#include "qt_test_app.h"
#include "ui/dialogs/styles.h"
#include "undo/undo.h"

namespace ovik::ui {
namespace {

TEST(StyleUndo, UndoBringsBackTheOldLookAndRedoTheNew) {
    TestApp();
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    THQVoggetto* style = set.AddNewObject(stileParagrafo);
    style->SetName("Titolo");
    THQVundoList history(set);
    history.SetDepth(20);
    int refreshed = 0;
    history.refreshViews = [&] { ++refreshed; };
    auto scratch = set.NewObject(stileParagrafo);
    scratch->Assign(*style);
    scratch->SetI16(style_rec::kSize, 24);
    THQVoggetto* stored = StoreStyle(set, *scratch, style, "Titolo", &history);
    ASSERT_EQ(stored, style);
    EXPECT_EQ(style->I16(style_rec::kSize), 24);
    ASSERT_EQ(history.UndoDescriptions().size(), 1u);
    EXPECT_EQ(history.UndoDescriptions()[0], "Modifica stile: Titolo");
    history.UndoOne();
    EXPECT_EQ(set.GetObject(stileParagrafo, style->Number())->I16(style_rec::kSize), 12);
    EXPECT_GE(refreshed, 1);
    history.RedoOne();
    EXPECT_EQ(set.GetObject(stileParagrafo, style->Number())->I16(style_rec::kSize), 24);
    // A new style has nothing to undo.
    auto fresh = set.NewObject(stileParagrafo);
    StoreStyle(set, *fresh, nullptr, "Nuovo", &history);
    EXPECT_EQ(history.UndoDescriptions().size(), 1u);
}

}  // namespace
}  // namespace ovik::ui
