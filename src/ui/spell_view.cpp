// The editing view's side of spell checking: background checks of the shown
// page, the spelling items of the box's context menu, and the interactive
// checks from the caret and of every page.
#include <QScrollBar>

#include "app/spell_checker.h"
#include "document/hqv_set.h"
#include "page/thqv_par.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/page_view.h"
#include "ui/spell_support.h"
#include "ui/translations.h"

namespace ovik::ui {

void TPageView::SetSpellChecker(app::TZtSpellChecker* checker, bool autoCheck) {
    if (!spellScheduler_) spellScheduler_ = std::make_unique<QtSpellScheduler>();
    const bool wasOn = model_.Host().AutoSpellCheck && model_.Host().spellChecker;
    if (Page()) Page()->StopSpellCheck();
    spell_ = checker;
    model_.Host().spellChecker = checker;
    model_.Host().scheduler = spellScheduler_.get();
    model_.Host().AutoSpellCheck = autoCheck;
    model_.Host().repaintParagraph = [this](THQVparag&) { viewport()->update(); };
    model_.Host().replaceText = [this](THQVbox& b, int32_t paragraph, int32_t start, int32_t length,
                               const std::string& text) {
        if (&b != Box() || !Editor()) return;
        Editor()->CloseGroups();
        Editor()->SetSelection(b.MakePosition(paragraph, start), b.MakePosition(paragraph, start + length));
        if (text.empty()) Editor()->DeleteSelection();
        else Editor()->ReplaceSelection(text);
        viewport()->update();
    };
    if (!Box() || !Page()) return;
    if (checker && autoCheck) {
        Page()->ScheduleSpellCheck(0);
    } else if (wasOn) {
        // Without background checking no marks are shown.
        ParagraphWalk walk(*Box());
        while (THQVparag* p = walk.Next()) p->ClearSpellMask();
        viewport()->update();
    }
}

namespace {

// Clears the marks over every occurrence of `word` in the page.
void ForgetMarks(THQVbox& box, const std::string& word) {
    ParagraphWalk walk(box);
    while (THQVparag* p = walk.Next()) {
        if (p->SpellMask().empty()) continue;
        std::string& mask = p->MutableSpellMask();
        const std::string& text = p->Text();
        for (size_t i = 0; i < mask.size() && i < text.size();) {
            if (mask[i] != '!') {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < mask.size() && mask[j] == '!') ++j;
            if (text.compare(i, j - i, word) == 0) std::fill(mask.begin() + long(i), mask.begin() + long(j), ' ');
            i = j;
        }
    }
}

}  // namespace

void TPageView::AddSpellingItems(QMenu& menu, int32_t x, int32_t y) {
    if (!spell_ || !spell_->IsOpen() || !Box() || !Editor() || readOnly_) return;
    int32_t paragraph = -1;
    const int32_t ch = Editor()->CharAt(x, y, paragraph);
    if (ch < 0 || paragraph < 0 || paragraph >= Box()->ParagraphCount()) return;
    const THQVparag& p = Box()->Paragraph(paragraph);
    const std::string& mask = p.SpellMask();
    if (size_t(ch) >= mask.size() || mask[size_t(ch)] != '!') return;
    // The word is the run of marks around the character.
    int32_t start = ch, end = ch + 1;
    while (start > 0 && mask[size_t(start - 1)] == '!') --start;
    while (size_t(end) < mask.size() && mask[size_t(end)] == '!') ++end;
    if (end > p.Length()) return;
    const std::string word = p.Text().substr(size_t(start), size_t(end - start));

    QAction* before = menu.actions().isEmpty() ? nullptr : menu.actions().first();
    auto add = [&](const QString& caption) {
        auto* a = new QAction(Tr(caption), &menu);
        menu.insertAction(before, a);
        return a;
    };
    const std::vector<std::string> suggestions = spell_->GetSuggestions(word);
    for (const std::string& s : suggestions) {
        QAction* a = add(FromCp(s));
        a->setObjectName("spellSuggestion");
        connect(a, &QAction::triggered, this, [this, paragraph, start, end, s] {
            if (!Box() || paragraph >= Box()->ParagraphCount() || end > Box()->Paragraph(paragraph).Length()) return;
            model_.Host().replaceText(*Box(), paragraph, start, end - start, s);
            AfterInput();
        });
    }
    if (suggestions.empty()) add("(nessun suggerimento)")->setEnabled(false);
    menu.insertSeparator(before);
    connect(add("&Ignora tutti"), &QAction::triggered, this, [this, word] {
        spell_->IgnoreAlways(word);
        if (Box()) ForgetMarks(*Box(), word);
        if (Page()) Page()->ScheduleSpellCheck(1);
        viewport()->update();
    });
    connect(add("&Aggiungi"), &QAction::triggered, this, [this, word] {
        spell_->AddToUserDictionary(word);
        if (Box()) ForgetMarks(*Box(), word);
        if (Page()) Page()->ScheduleSpellCheck(1);
        viewport()->update();
    });
    menu.insertSeparator(before);
    QAction* check = add("&Controllo ortografia");
    check->setShortcut(QKeySequence("F7"));
    connect(check, &QAction::triggered, this, [this, paragraph, start] {
        if (!Box()) return;
        Box()->SetCaret(paragraph, start);
        Box()->hasSelection = false;
        SpellCheckFromCursor();
        if (Page()) Page()->ScheduleSpellCheck(1);
    });
    if (before) menu.insertSeparator(before);
}

void TPageView::SpellCheckFromCursor(bool fromCursor) {
    if (TPageView* child = ActiveChild()) return child->SpellCheckFromCursor(fromCursor);
    if (!spell_ || !spell_->IsOpen() || !Page() || !Box() || !Editor() || readOnly_) return;
    Page()->StopSpellCheck();
    Editor()->CloseGroups();
    platform::InteractiveSpellCallbacks cb = Page()->InteractiveSpellCheck(fromCursor);
    // The selected error shows in the view behind the dialog.
    auto select = cb.misspelling;
    cb.misspelling = [this, select](int code, int32_t length, int32_t position) {
        if (select) select(code, length, position);
        EnsureCaretVisible();
        viewport()->update();
    };
    spell_->Bind(cb);
    spell_->Execute();
    spell_->Bind({});
    AfterInput();
}

void TPageView::SpellCheckAllPages() {
    if (!spell_ || !spell_->IsOpen() || !model_.LinkedHQVset() || readOnly_) return;
    THQVset& set = *model_.LinkedHQVset();
    const int32_t back = PageNumber();
    const bool autoCheck = model_.Host().AutoSpellCheck;
    model_.Host().AutoSpellCheck = false;
    spell_->skipPage = true;
    for (int32_t n = 0; n < set.ObjectCount(testoHtml); ++n) {
        THQVtesto* p = set.Page(n);
        if (!p || p->IsFree()) continue;
        if (!ShowPage(set, n) || !Page()) continue;
        SpellCheckFromCursor(false);
        if (spell_->cancelled) break;
    }
    spell_->skipPage = false;
    model_.Host().AutoSpellCheck = autoCheck;
    ShowPage(set, back);
    if (Page()) Page()->ScheduleSpellCheck(1);
}

}  // namespace ovik::ui
