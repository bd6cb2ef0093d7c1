// TZtSpellChecker: the spell checker component. It finds the dictionary for
// its language, loads the engine (src/app/spell_engine.h), passes the option
// bits, and offers the three ways of checking: the interactive check
// (Execute, driven by a TZtSpellSession and the host's dialog), the background
// check (Start: a TZtSpellThread that paces the work and hands every step to
// the interface thread), and single requests (suggestions, ignore, add).
//
// Every engine call runs on the interface thread. The background thread only
// sleeps and queues steps on an InterfaceQueue, which the host drains on the
// interface thread (the editor wakes it through its event loop; tests and the
// command line drain it themselves).
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/spell_engine.h"
#include "platform/spelling.h"

namespace ovik::app {

class TZtSpellSession;

// Work handed from background threads to the interface thread.
class InterfaceQueue {
public:
    // `wake` (any thread) asks the host to call Drain on the interface thread.
    explicit InterfaceQueue(std::function<void()> wake = {}) : wake_(std::move(wake)) {}
    void SetWake(std::function<void()> wake);
    // From a worker: runs `task` on the interface thread and waits until it has
    // run. False (and the task not run) once the queue is shut down.
    bool RunAndWait(std::function<void()> task);
    // On the interface thread: runs the queued tasks. The number run.
    int Drain();
    // Drops the queued tasks and makes every waiter return false.
    void Shutdown();
    bool IsShutDown() const;

private:
    struct Task {
        std::function<void()> run;
        bool done = false;
    };
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::shared_ptr<Task>> tasks_;
    std::function<void()> wake_;
    bool shutdown_ = false;
};

// The pauses of a background check: before the first paragraph and before
// each further one.
struct SpellPacing {
    int firstMs = 300;
    int nextMs = 100;
};

class TZtSpellChecker;

// Verifies a whole text as a background check does: every error, its position
// counted from the text's start.
void CheckWholeText(const SpellEngine& engine, const std::string& text,
                    const std::function<void(const VerifyResult&, int32_t position)>& report);

// What a background thread shares with its checker: the engine (null while
// closed), the queue, and the count of threads still alive.
struct SpellCore {
    std::unique_ptr<SpellEngine> engine;
    std::shared_ptr<InterfaceQueue> queue;
    std::mutex mutex;
    std::condition_variable threadsGone;
    int threads = 0;
};

// A background check: walks the texts the callbacks hand out and reports every
// error; frees itself when it ends.
class TZtSpellThread : public platform::SpellThread {
public:
    TZtSpellThread(std::shared_ptr<SpellCore> core, platform::SpellCallbacks callbacks, SpellPacing pacing);
    void Terminate() override;
    bool Terminated() const { return terminate_; }
    // The thread's work, also run without a thread by `RunInline`.
    void Run();
    // Runs a whole check at once on the calling thread (no pauses): the command
    // line's headless check.
    static void RunInline(SpellEngine& engine, platform::SpellCallbacks callbacks);

private:
    // Sleeps; false when termination was requested meanwhile.
    bool Pause(int ms);
    // Runs a step on the interface thread; false when it could not run.
    bool Step(const std::function<void()>& step);

    std::shared_ptr<SpellCore> core_;
    platform::SpellCallbacks cb_;
    SpellPacing pacing_;
    std::atomic<bool> terminate_{false};
    std::mutex sleepMutex_;
    std::condition_variable wakeUp_;
};

class TZtSpellChecker : public platform::SpellChecker {
public:
    TZtSpellChecker();
    ~TZtSpellChecker() override;
    TZtSpellChecker(const TZtSpellChecker&) = delete;
    TZtSpellChecker& operator=(const TZtSpellChecker&) = delete;

    // --- properties -------------------------------------------------------------------
    TSpellOptions Options() const { return options_; }
    // Stored; passed to the engine at once when open.
    void SetOptions(TSpellOptions options);
    TLanguage Language() const { return language_; }
    // Accepted only while closed and for a language whose dictionary is
    // installed. False when refused.
    bool SetLanguage(TLanguage language);
    std::string Caption = "Controllo ortografico %s";
    std::string RegistryPathForWinPos;
    bool ShowProgressWin = true;
    std::vector<std::filesystem::path> DictionaryFolders = SystemDictionaryFolders();
    // The user dictionary (a word list); empty = none. Created when missing
    // unless CreateUserDictionary is off.
    std::filesystem::path UserDictionaryPath;
    bool CreateUserDictionary = true;
    SpellPacing Pacing;
    // The dialog's caption: Caption with the language's name for %s.
    std::string DialogCaption() const;

    // --- events -------------------------------------------------------------------------
    // The next text to check, empty when none; `offset` (in: 0) for the first
    // text is the index of the last character not to check (0: all, and the
    // text starts a sentence).
    std::function<void(std::string& text, int32_t& offset)> OnGetPar;
    std::function<void(int code, int32_t length, int32_t position)> OnMisspelling;
    // The range (position, length) of the current text became `text`; flag 1
    // for "Cambia Tutto".
    std::function<void(int32_t position, int flag, const std::string& text, int32_t length)> OnChangeText;
    std::function<void()> OnEnd, OnOpen, OnClose;
    // Binds the four events at once.
    void Bind(const platform::InteractiveSpellCallbacks& callbacks);

    // The host's dialog: shows it modally for the session until the session
    // has finished. Without one, Execute only runs what needs no answer.
    std::function<void(TZtSpellSession&)> RunDialog;

    // --- operations ------------------------------------------------------------------------
    // Loads the dictionary of Language; nothing when already open; stays closed
    // silently when no dictionary is installed for it. Throws ESpellError when
    // loading fails.
    void Open();
    void Close();
    bool IsOpen() const { return core_->engine != nullptr; }
    bool Active() const override { return IsOpen(); }
    std::shared_ptr<platform::SpellThread> Start(platform::SpellCallbacks callbacks) override;
    // The interactive check.
    void Execute();
    std::vector<std::string> GetSuggestions(const std::string& word);
    void IgnoreAlways(const std::string& word);
    void AddToUserDictionary(const std::string& word);
    // The cancel flag (set when the user closes the dialog) and the skip-page
    // flag (the dialog offers "&Salta la pagina").
    bool cancelled = false;
    bool skipPage = false;

    SpellEngine* Engine() const { return core_->engine.get(); }
    InterfaceQueue& Queue() { return *core_->queue; }
    std::shared_ptr<InterfaceQueue> SharedQueue() const { return core_->queue; }

private:
    std::shared_ptr<SpellCore> core_;
    TSpellOptions options_ = kDefaultSpellOptions;
    TLanguage language_ = 1040;
};

}  // namespace ovik::app
