// Spell checking in the editor: the main window's checker (ZtSpellChecker1),
// opened at start with the options of section "orto", its language switches,
// the two "Controllo ortografia" commands, the dialog, and the interface-thread
// side of the background checks (the Qt timer and the hand-over queue's wake).
#pragma once

#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/spell_checker.h"
#include "app/startup.h"
#include "platform/spelling.h"

namespace ovik::ui {

class TMainForm;
class TZtSpellerDialog;

// The page's spell timer and the message loop, as Qt has them.
class QtSpellScheduler : public QObject, public platform::Scheduler {
public:
    QtSpellScheduler();
    void StartTimer(int milliseconds, std::function<void()> fire) override;
    void StopTimer() override;
    void ProcessMessagesFor(int milliseconds) override;

private:
    QTimer timer_;
    std::function<void()> fire_;
};

// Makes the checker's background threads hand their steps to the interface
// thread through Qt's event loop.
void ConnectToEventLoop(app::TZtSpellChecker& checker);

// The user dictionary: CUSTOM.DIC beside the program's settings file.
std::filesystem::path UserDictionaryFile();

class SpellSupport : public QObject {
    Q_OBJECT
public:
    SpellSupport(TMainForm& window, app::AppSettings& settings);
    ~SpellSupport() override;
    app::TZtSpellChecker& Checker() { return checker_; }

    // Opens the checker (start-up); the two commands are enabled only when
    // that succeeds.
    void Start();
    // Section "orto": option bits, progress window, language, background check.
    void ApplyOptions();
    // Close, set the language, open; back to the previous language when the
    // new one cannot be opened. The view is read-only meanwhile. True when the
    // language is now `language`.
    bool SwitchLanguage(app::TLanguage language);
    // A hypertext was opened (or made new): the checker follows its language
    // (a new hypertext takes the checker's).
    void FollowHypertext();
    // "&Controllo ortografia pagina..." (F7) and "Controllo ortografia &ipertesto..." (Ctrl+F7).
    void CheckPage();
    void CheckAllPages();
    // The dialog, made on first use.
    TZtSpellerDialog& Dialog();

private:
    void UpdateCommands();

    TMainForm& window_;
    app::AppSettings& settings_;
    app::TZtSpellChecker checker_;
    TZtSpellerDialog* dialog_ = nullptr;
    bool autoCheck_ = true;
};

}  // namespace ovik::ui
