// TZtSpellerDialog: the interactive spell check's window. It shows what the
// session (src/app/spell_session.h) describes - the message, the line with the
// error in red (only the red range can be edited), the suggestions, the buttons
// - and hands every button to the session.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

#include "app/spell_session.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TZtSpellerDialog : public TFDialog {
    Q_OBJECT
public:
    TZtSpellerDialog(platform::SettingsStore& store, QWidget* parent = nullptr);
    // Runs the session modally until it has finished. `caption` is the
    // checker's caption with the language's name.
    void Run(app::TZtSpellSession& session, const QString& caption);

    QLabel* InfoMsg = nullptr;
    QTextEdit* Misspelling = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* Variants = nullptr;
    QPushButton *ChangeButton = nullptr, *ChangeAllButton = nullptr, *SkipButton = nullptr,
                *SkipAllButton = nullptr, *AddButton = nullptr, *DelButton = nullptr, *CancelButton = nullptr,
                *CancelEdit = nullptr, *BSalta = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Label3 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    app::TZtSpellSession* Session() const { return session_; }

protected:
    void reject() override;

private:
    void Refresh();
    // Puts the line into the rich edit with the red range coloured.
    void FillLine();
    void LineEdited();

    app::TZtSpellSession* session_ = nullptr;
    QWidget* full_ = nullptr;
    std::string prefix_, suffix_, shownRed_, filledLine_;
    int32_t filledStart_ = -1;
    bool filling_ = false;
};

}  // namespace ovik::ui
