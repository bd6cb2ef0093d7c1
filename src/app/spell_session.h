// TZtSpellSession: one interactive check, as the dialog TZtSpellerDialog runs
// it, without widgets. It asks the checker's owner for texts (OnGetPar),
// verifies them, and describes what the dialog shows (SpellDialogView: the
// message, the line with the error in red, the suggestions, which buttons are
// shown and enabled). The dialog's buttons call the methods below; each one
// that continues runs the check loop again, which shows the next error or
// finishes.
//
//   TZtSpellSession s(checker);
//   if (s.Begin()) { s.RunLoop(); while (!s.Finished()) s.Skip(); }
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/spell_engine.h"

namespace ovik::app {

class TZtSpellChecker;

// What the dialog shows.
struct SpellDialogView {
    bool fullView = false;  // false: the progress view (panel with the bar)
    int progress = 0;       // 0 .. 100
    std::string infoMsg;    // InfoMsg
    // Misspelling: the line that holds the error; the red range in it.
    std::string line;
    int32_t redStart = 0, redLength = 0;
    std::string label2;
    std::vector<std::string> variants;
    int selected = -1;
    bool variantsEnabled = false;
    bool changeVisible = true, changeEnabled = false;
    bool changeAllEnabled = false;
    bool skipEnabled = false, skipAllEnabled = false, addEnabled = false;
    bool delVisible = false;
    bool cancelEditVisible = false;
    bool skipPageVisible = false;
};

// The message of an error kind ("Parola sconosciuta:" ...), empty for codes
// that are not errors.
std::string SpellErrorMessage(int code);
// Extra spaces collapsed: the last two characters kept, the blanks at the end
// of the characters before them dropped ("x   y" gives "x y"); before a
// punctuation mark no blank is kept ("x ," gives "x,").
std::string CollapseSpaces(const std::string& text);

class TZtSpellSession {
public:
    explicit TZtSpellSession(TZtSpellChecker& checker);

    // Asks for the first text. False when there is none (the check has already
    // finished and OnEnd was raised).
    bool Begin();
    // The progress view.
    void ShowProgress();
    // Verifies until an error must be shown or the texts are exhausted.
    void RunLoop();

    const SpellDialogView& View() const { return view_; }
    bool Finished() const { return finished_; }
    // Called whenever the view changed (the dialog refills its controls) and
    // when the check finished (the dialog closes).
    std::function<void()> onViewChanged;
    std::function<void()> onFinished;

    // The current text and the error shown in it.
    const std::string& Text() const { return copy_; }
    int ErrorCode() const { return code_; }
    int32_t ErrorPosition() const { return errPos_; }
    int32_t ErrorLength() const { return errLen_; }
    std::string ErrorText() const { return copy_.substr(size_t(errPos_), size_t(errLen_)); }

    // --- the dialog's controls --------------------------------------------------------
    void SelectVariant(int index);
    // The user changed the red range to `redText` (the rest of the line
    // refuses changes). While the edit is pending, choosing a suggestion puts
    // it into the red range.
    void EditRed(const std::string& redText);
    const std::string& RedText() const { return redText_; }
    bool EditPending() const { return editPending_; }
    void CancelEdit();
    void Change();      // "&Cambia", or a double click in the list
    void ChangeAll();   // "Cambia &Tutto"
    void Skip();        // "&Ignora"
    void SkipAll();     // "I&gnora Tutto"
    void Add();         // "&Aggiungi"
    void Delete();      // "Ca&ncella"
    void Close();       // "C&hiudi" or Esc
    void SkipPage();    // "&Salta la pagina"

private:
    void Replace(const std::string& newText, int flag);
    void ShowError();
    void Finish();
    void Changed();
    // The new text for Change and ChangeAll.
    std::string NewText() const;

    TZtSpellChecker& checker_;
    SpellDialogView view_;
    std::string copy_;
    size_t pos_ = 0;
    int state_ = kStateNone;
    int code_ = 0;
    int32_t errPos_ = 0, errLen_ = 0;
    std::string replacement_;
    std::string redText_;
    bool editPending_ = false;
    SpellDialogView beforeEdit_;
    bool finished_ = false;
    int64_t lastAutoChange_ = -1;
};

}  // namespace ovik::app
