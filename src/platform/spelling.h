// What the page model asks of the host for background spell checking: the
// linked spell checker that runs a check thread, and the timer that delays it.
//
// The check thread reads paragraph texts only through the callbacks, which the
// host calls in the interface thread's context; the engine asks the thread to
// stop and waits cooperatively, processing the host's pending messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ovik::platform {

// The callbacks a check thread calls (on the interface thread).
struct SpellCallbacks {
    // The next text to check into `text`; false when there is none left.
    std::function<bool(std::string& text)> nextText;
    // A misspelt range (start, length) in the text last handed out.
    std::function<void(int32_t start, int32_t length)> mark;
    // The text last handed out has been checked.
    std::function<void()> paragraphDone;
    // The thread ends (after every text, or when told to terminate).
    std::function<void()> finished;
};

// The events of an interactive check (a modal dialog that walks through the
// texts its owner hands over), as a page binds them.
struct InteractiveSpellCallbacks {
    // The next text (empty when none); `offset` (given as 0) for the first text
    // is the index of the last character not to check, 0 for all of it.
    std::function<void(std::string& text, int32_t& offset)> getPar;
    // An error (code, length, position in the current text) is about to show.
    std::function<void(int code, int32_t length, int32_t position)> misspelling;
    // The range (position, length) of the current text became `text`; `flag`
    // is 1 for a change of every occurrence.
    std::function<void(int32_t position, int flag, const std::string& text, int32_t length)> changeText;
    // The check has ended.
    std::function<void()> end;
};

// A running check.
class SpellThread {
public:
    virtual ~SpellThread() = default;
    // Asks the thread to stop; it still calls `finished`.
    virtual void Terminate() = 0;
};

// The spell checker linked to an editing view.
class SpellChecker {
public:
    virtual ~SpellChecker() = default;
    virtual bool Active() const = 0;
    // Starts a check thread calling `callbacks`.
    virtual std::shared_ptr<SpellThread> Start(SpellCallbacks callbacks) = 0;
};

// A single-shot timer and the message loop, as the interface thread has them.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Arms the timer: `fire` runs once after `milliseconds` unless stopped.
    virtual void StartTimer(int milliseconds, std::function<void()> fire) = 0;
    virtual void StopTimer() = 0;
    // Waits about `milliseconds` while processing pending messages (so that a
    // check thread's callbacks can run).
    virtual void ProcessMessagesFor(int milliseconds) = 0;
};

}  // namespace ovik::platform
