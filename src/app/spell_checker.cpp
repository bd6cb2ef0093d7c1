#include "app/spell_checker.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/spell_session.h"

namespace ovik::app {

// --- interface queue ---------------------------------------------------------------------

void InterfaceQueue::SetWake(std::function<void()> wake) {
    std::lock_guard<std::mutex> lock(mutex_);
    wake_ = std::move(wake);
}

bool InterfaceQueue::RunAndWait(std::function<void()> task) {
    auto t = std::make_shared<Task>();
    t->run = std::move(task);
    std::function<void()> wake;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (shutdown_) return false;
        tasks_.push_back(t);
        wake = wake_;
    }
    if (wake) wake();
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait(lock, [&] { return t->done || shutdown_; });
    return t->done;
}

int InterfaceQueue::Drain() {
    int n = 0;
    for (;;) {
        std::shared_ptr<Task> t;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (tasks_.empty() || shutdown_) return n;
            t = tasks_.front();
            tasks_.pop_front();
        }
        t->run();
        ++n;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            t->done = true;
        }
        cv_.notify_all();
    }
}

void InterfaceQueue::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shutdown_ = true;
        tasks_.clear();
        wake_ = nullptr;
    }
    cv_.notify_all();
}

bool InterfaceQueue::IsShutDown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shutdown_;
}

// --- background thread ----------------------------------------------------------------------

TZtSpellThread::TZtSpellThread(std::shared_ptr<SpellCore> core, platform::SpellCallbacks callbacks,
                               SpellPacing pacing)
    : core_(std::move(core)), cb_(std::move(callbacks)), pacing_(pacing) {}

void TZtSpellThread::Terminate() {
    terminate_ = true;
    std::lock_guard<std::mutex> lock(sleepMutex_);
    wakeUp_.notify_all();
}

bool TZtSpellThread::Pause(int ms) {
    std::unique_lock<std::mutex> lock(sleepMutex_);
    wakeUp_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return terminate_.load(); });
    return !terminate_;
}

bool TZtSpellThread::Step(const std::function<void()>& step) {
    if (terminate_) return false;
    return core_->queue->RunAndWait(step) && !terminate_;
}

namespace {

// One text to its end: the first verification with state 2, each further one
// from after the last error with state 1; `step` runs each engine call and
// report (on the interface thread), false to stop.
template <class Verify, class Report>
bool CheckText(const std::string& text, Verify verify, Report report) {
    VerifyResult r;
    if (!verify(size_t(0), kStateSentenceStart, r)) return false;
    size_t running = 0;
    while (r.code != srNoErrors) {
        running += size_t(std::max(r.offset, 0));
        if (!report(r, int32_t(running))) return false;
        running += size_t(std::max(r.length, 1));  // a zero-length error still moves on
        if (running >= text.size()) break;
        if (!verify(running, kStateContinues, r)) return false;
    }
    return true;
}

}  // namespace

void TZtSpellThread::Run() {
    // The thread runs at the lowest priority: its work must never compete with
    // typing.
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 19);
    if (Pause(pacing_.firstMs)) {
        while (Pause(pacing_.nextMs)) {
            std::string text;
            bool got = false;
            if (!Step([&] { got = cb_.nextText && cb_.nextText(text); }) || !got) break;
            if (text.empty()) continue;
            auto verify = [&](size_t from, int state, VerifyResult& r) {
                return Step([&] {
                    r = {};
                    try {
                        if (core_->engine) r = core_->engine->Verify(text, from, state);
                    } catch (...) {
                        // Errors of a verification are swallowed: the paragraph stays unmarked.
                    }
                });
            };
            auto report = [&](const VerifyResult& r, int32_t position) {
                return Step([&] {
                    if (cb_.mark) cb_.mark(position, r.length);
                });
            };
            if (!CheckText(text, verify, report)) break;
            if (!Step([&] {
                    if (cb_.paragraphDone) cb_.paragraphDone();
                }))
                break;
        }
    }
    // The finished callback runs once, whatever ended the thread.
    core_->queue->RunAndWait([&] {
        if (cb_.finished) cb_.finished();
    });
}

void CheckWholeText(const SpellEngine& engine, const std::string& text,
                    const std::function<void(const VerifyResult&, int32_t position)>& report) {
    auto verify = [&](size_t from, int state, VerifyResult& r) {
        r = engine.Verify(text, from, state);
        return true;
    };
    auto rep = [&](const VerifyResult& r, int32_t position) {
        report(r, position);
        return true;
    };
    CheckText(text, verify, rep);
}

void TZtSpellThread::RunInline(SpellEngine& engine, platform::SpellCallbacks cb) {
    std::string text;
    while (cb.nextText && cb.nextText(text)) {
        if (text.empty()) continue;
        CheckWholeText(engine, text, [&](const VerifyResult& r, int32_t position) {
            if (cb.mark) cb.mark(position, r.length);
        });
        if (cb.paragraphDone) cb.paragraphDone();
    }
    if (cb.finished) cb.finished();
}

// --- checker ----------------------------------------------------------------------------------

TZtSpellChecker::TZtSpellChecker() : core_(std::make_shared<SpellCore>()) {
    core_->queue = std::make_shared<InterfaceQueue>();
}

TZtSpellChecker::~TZtSpellChecker() {
    Close();
    // Background threads still alive stop at their next step; they are waited
    // for, so none outlives the checker's callers.
    core_->queue->Shutdown();
    std::unique_lock<std::mutex> lock(core_->mutex);
    core_->threadsGone.wait_for(lock, std::chrono::seconds(5), [this] { return core_->threads == 0; });
}

void TZtSpellChecker::SetOptions(TSpellOptions options) {
    options_ = options;
    if (core_->engine) core_->engine->SetOptions(options);
}

bool TZtSpellChecker::SetLanguage(TLanguage language) {
    if (IsOpen()) return false;
    if (!FindDictionary(language, DictionaryFolders)) return false;
    language_ = language;
    return true;
}

std::string TZtSpellChecker::DialogCaption() const {
    std::string caption = Caption;
    size_t at = caption.find("%s");
    if (at != std::string::npos) caption.replace(at, 2, LanguageName(language_));
    return caption;
}

void TZtSpellChecker::Bind(const platform::InteractiveSpellCallbacks& cb) {
    OnGetPar = cb.getPar;
    OnMisspelling = cb.misspelling;
    OnChangeText = cb.changeText;
    OnEnd = cb.end;
}

void TZtSpellChecker::Open() {
    if (IsOpen()) return;
    auto files = FindDictionary(language_, DictionaryFolders);
    if (!files) return;  // no dictionary for the language: the checker stays closed
    std::unique_ptr<SpellEngine> engine;
    try {
        engine = std::make_unique<SpellEngine>(*files, UserDictionaryPath, CreateUserDictionary);
    } catch (const ESpellError&) {
        throw;
    } catch (const std::exception&) {
        throw ESpellError("Errore caricando Spell DLL " + files->dic.string());
    }
    engine->SetOptions(options_);
    core_->engine = std::move(engine);
    if (OnOpen) OnOpen();
}

void TZtSpellChecker::Close() {
    if (!IsOpen()) return;
    core_->engine.reset();
    if (OnClose) OnClose();
}

std::shared_ptr<platform::SpellThread> TZtSpellChecker::Start(platform::SpellCallbacks callbacks) {
    auto thread = std::make_shared<TZtSpellThread>(core_, std::move(callbacks), Pacing);
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        ++core_->threads;
    }
    std::shared_ptr<SpellCore> core = core_;
    std::thread([thread, core] {
        thread->Run();
        std::lock_guard<std::mutex> lock(core->mutex);
        --core->threads;
        core->threadsGone.notify_all();
    }).detach();
    return thread;
}

void TZtSpellChecker::Execute() {
    cancelled = false;
    if (!IsOpen() || !OnGetPar) return;
    TZtSpellSession session(*this);
    if (!session.Begin()) return;
    if (ShowProgressWin) {
        session.ShowProgress();
        if (RunDialog) RunDialog(session);
        else session.RunLoop();
    } else {
        session.RunLoop();
        if (!session.Finished() && RunDialog) RunDialog(session);
    }
    if (!session.Finished()) session.Close();
}

std::vector<std::string> TZtSpellChecker::GetSuggestions(const std::string& word) {
    if (!IsOpen()) return {};
    return core_->engine->Suggest(word);
}

void TZtSpellChecker::IgnoreAlways(const std::string& word) {
    if (IsOpen()) core_->engine->IgnoreAlways(word);
}

void TZtSpellChecker::AddToUserDictionary(const std::string& word) {
    if (IsOpen()) core_->engine->AddToUserDictionary(word);
}

}  // namespace ovik::app
