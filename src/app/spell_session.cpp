#include "app/spell_session.h"

#include <algorithm>

#include "app/spell_checker.h"
#include "core/codepage.h"

namespace ovik::app {

std::string SpellErrorMessage(int code) {
    switch (code) {
        case srUnknownInputWord:
        case srReturningChangeOnce: return "Parola sconosciuta:";
        case srInvalidHyphenation: return "A capo errato:";
        case srErrorCapitalization: return "Errore nelle maiuscole:";
        case srWordConsideredAbbreviation: return "Possibile abbreviazione:";
        case srNoSentenceStartCap: return "Errore nella maiuscola a inizio frase:";
        case srRepeatWord: return "Parole ripetute:";
        case srExtraSpaces: return "Spazi extra:";
        case srMissingSpace: return "Spazio mancante:";
        case srInitialNumeral: return "Numeri all'inizio di una parola:";
        default: return "";
    }
}

std::string CollapseSpaces(const std::string& text) {
    if (text.size() < 2) return text;
    std::string head = text.substr(0, text.size() - 2);
    std::string tail = text.substr(text.size() - 2);
    while (!head.empty() && head.back() == ' ') head.pop_back();
    // Before a punctuation mark the blank goes too (spaces before punctuation).
    const char last = tail[1];
    if (tail[0] == ' ' && std::string_view(",;:.!?").find(last) != std::string_view::npos) tail.erase(0, 1);
    return head + tail;
}

TZtSpellSession::TZtSpellSession(TZtSpellChecker& checker) : checker_(checker) {
    view_.skipPageVisible = checker.skipPage;
}

bool TZtSpellSession::Begin() {
    if (!checker_.OnGetPar) {
        finished_ = true;
        return false;
    }
    std::string text;
    int32_t offset = 0;
    checker_.OnGetPar(text, offset);
    if (text.empty()) {
        Finish();
        return false;
    }
    // The characters up to the offset are neither checked nor changed;
    // positions stay those of the text handed over.
    if (offset > 0) std::fill_n(text.begin(), std::min(size_t(offset) + 1, text.size()), ' ');
    copy_ = std::move(text);
    pos_ = 0;
    state_ = offset == 0 ? kStateSentenceStart : kStateNone;
    return true;
}

void TZtSpellSession::ShowProgress() {
    view_.fullView = false;
    view_.progress = 0;
    Changed();
}

void TZtSpellSession::Changed() {
    if (onViewChanged) onViewChanged();
}

void TZtSpellSession::RunLoop() {
    while (!finished_) {
        view_.progress = view_.progress >= 100 ? 0 : view_.progress + 1;
        VerifyResult r;
        if (SpellEngine* engine = checker_.Engine()) r = engine->Verify(copy_, pos_, state_);
        state_ = kStateNone;
        code_ = r.code;
        errPos_ = int32_t(pos_) + r.offset;
        errLen_ = r.length;
        replacement_ = r.replacement;
        if (r.code != srNoErrors && r.code != srReturningChangeAlways && checker_.OnMisspelling)
            checker_.OnMisspelling(r.code, errLen_, errPos_);
        switch (r.code) {
            case srNoErrors: {
                std::string text;
                int32_t offset = 0;
                if (checker_.OnGetPar) checker_.OnGetPar(text, offset);
                if (text.empty()) {
                    Finish();
                    return;
                }
                copy_ = std::move(text);
                pos_ = 0;
                state_ = kStateSentenceStart;
                continue;
            }
            case srReturningChangeAlways: {
                // Replaced without asking. A replacement that holds the word
                // again at the same place would come back for ever: the second
                // time the check goes on after it.
                const bool again = lastAutoChange_ == errPos_;
                lastAutoChange_ = errPos_;
                Replace(replacement_, 0);
                pos_ = size_t(errPos_) + (again ? replacement_.size() : 0);
                continue;
            }
            case 7:
            case 8:
            case 9:
                return;  // not an error: the display stays and waits
            default:
                lastAutoChange_ = -1;
                ShowError();
                return;
        }
    }
}

void TZtSpellSession::ShowError() {
    SpellDialogView& v = view_;
    // The line that holds the error: from after the last line break before it
    // to the next line break.
    size_t lineStart = copy_.find_last_of("\r\n", size_t(errPos_) == 0 ? std::string::npos : size_t(errPos_) - 1);
    lineStart = (lineStart == std::string::npos || errPos_ == 0) ? 0 : lineStart + 1;
    size_t lineEnd = copy_.find_first_of("\r\n", size_t(errPos_ + errLen_));
    if (lineEnd == std::string::npos) lineEnd = copy_.size();
    v.line = copy_.substr(lineStart, lineEnd - lineStart);
    v.redStart = errPos_ - int32_t(lineStart);
    v.redLength = errLen_;
    redText_ = ErrorText();
    editPending_ = false;
    v.infoMsg = SpellErrorMessage(code_);
    v.cancelEditVisible = false;
    v.variants.clear();
    v.selected = -1;
    const std::string error = ErrorText();
    switch (code_) {
        case srUnknownInputWord:
        case srReturningChangeOnce:
        case srInvalidHyphenation:
        case srErrorCapitalization:
        case srWordConsideredAbbreviation:
        case srNoSentenceStartCap:
        case srExtraSpaces: {
            v.delVisible = false;
            v.changeVisible = true;
            v.skipEnabled = true;
            v.skipAllEnabled = v.addEnabled = code_ == srUnknownInputWord;
            if (code_ <= srErrorCapitalization) v.variants = checker_.GetSuggestions(error);
            if (code_ == srReturningChangeOnce &&
                std::find(v.variants.begin(), v.variants.end(), replacement_) == v.variants.end())
                v.variants.insert(v.variants.begin(), replacement_);
            if (code_ == srNoSentenceStartCap && !error.empty()) {
                std::string capital = error;
                capital[0] = cp1252::Upper(capital[0]);
                v.variants = {capital};
            }
            if (code_ == srExtraSpaces) v.variants = {CollapseSpaces(error)};
            const bool any = !v.variants.empty();
            v.selected = any ? 0 : -1;
            v.changeEnabled = any;
            v.variantsEnabled = any;
            v.changeAllEnabled = any && code_ == srUnknownInputWord;
            v.label2 = any ? "Correggi la parola in rosso o scegli uno dei &suggerimenti:" : "Correggi la parola in rosso.";
            break;
        }
        case srRepeatWord:
            v.delVisible = true;
            v.changeVisible = false;
            v.changeAllEnabled = v.skipAllEnabled = v.addEnabled = false;
            v.skipEnabled = true;
            v.variantsEnabled = false;
            v.label2 = "Correggi la parola in rosso.";
            break;
        default:  // 13, 14 and any other code: no suggestions
            v.delVisible = false;
            v.changeVisible = true;
            v.changeEnabled = false;
            v.skipEnabled = true;
            v.skipAllEnabled = v.addEnabled = v.changeAllEnabled = false;
            v.variantsEnabled = false;
            v.label2 = "Correggi la parola in rosso.";
            break;
    }
    v.fullView = true;
    Changed();
}

void TZtSpellSession::SelectVariant(int index) {
    if (index < 0 || size_t(index) >= view_.variants.size()) return;
    view_.selected = index;
    if (editPending_) redText_ = view_.variants[size_t(index)];
    Changed();
}

void TZtSpellSession::EditRed(const std::string& redText) {
    if (finished_) return;
    if (!editPending_) {
        beforeEdit_ = view_;
        editPending_ = true;
        view_.cancelEditVisible = true;
        view_.changeVisible = true;
        view_.changeEnabled = true;
        view_.changeAllEnabled = view_.skipAllEnabled = view_.addEnabled = false;
        view_.delVisible = false;
    }
    redText_ = redText;
    Changed();
}

void TZtSpellSession::CancelEdit() {
    if (!editPending_) return;
    const std::string line = view_.line;
    view_ = beforeEdit_;
    view_.line = line;
    redText_ = ErrorText();
    editPending_ = false;
    view_.cancelEditVisible = false;
    Changed();
}

std::string TZtSpellSession::NewText() const {
    if (editPending_) return redText_;
    if (view_.selected >= 0 && size_t(view_.selected) < view_.variants.size())
        return view_.variants[size_t(view_.selected)];
    return {};
}

void TZtSpellSession::Replace(const std::string& newText, int flag) {
    copy_.replace(size_t(errPos_), size_t(errLen_), newText);
    if (checker_.OnChangeText) checker_.OnChangeText(errPos_, flag, newText, errLen_);
}

void TZtSpellSession::Change() {
    if (finished_) return;
    const std::string newText = NewText();
    if (!editPending_ && code_ == srUnknownInputWord)
        if (SpellEngine* e = checker_.Engine()) e->AddChange(ErrorText(), newText, false);
    Replace(newText, 0);
    pos_ = size_t(errPos_);  // the new text is verified again
    editPending_ = false;
    RunLoop();
}

void TZtSpellSession::ChangeAll() {
    if (finished_) return;
    const std::string newText = NewText();
    if (SpellEngine* e = checker_.Engine()) e->AddChange(ErrorText(), newText, true);
    Replace(newText, 1);
    pos_ = size_t(errPos_) + newText.size();
    editPending_ = false;
    RunLoop();
}

void TZtSpellSession::Skip() {
    if (finished_) return;
    pos_ = size_t(errPos_ + errLen_);
    RunLoop();
}

void TZtSpellSession::SkipAll() {
    if (finished_) return;
    checker_.IgnoreAlways(ErrorText());
    pos_ = size_t(errPos_ + errLen_);
    RunLoop();
}

void TZtSpellSession::Add() {
    if (finished_) return;
    checker_.AddToUserDictionary(ErrorText());
    pos_ = size_t(errPos_);  // verified again: it passes now
    RunLoop();
}

void TZtSpellSession::Delete() {
    if (finished_ || errPos_ <= 0) return;
    // The repeated word and the character before it.
    const int32_t at = errPos_ - 1;
    copy_.erase(size_t(at), size_t(errLen_ + 1));
    if (checker_.OnChangeText) checker_.OnChangeText(at, 0, "", errLen_ + 1);
    pos_ = size_t(at) + 1;
    RunLoop();
}

void TZtSpellSession::Close() {
    if (finished_) return;
    checker_.cancelled = true;
    Finish();
}

void TZtSpellSession::SkipPage() {
    if (finished_) return;
    Finish();
}

void TZtSpellSession::Finish() {
    finished_ = true;
    if (checker_.OnEnd) checker_.OnEnd();
    if (onFinished) onFinished();
}

}  // namespace ovik::app
