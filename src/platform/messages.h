// Messages and questions that the engine puts to the user.
//
// The engine never shows UI itself: it reports through this interface. Boxes are
// titled "Informazione" (information), "Attenzione!" (warning) or "Errore!"
// (error); questions are titled with the application title. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace ovik::platform {

enum class Answer { Yes, No, Cancel };
enum class MessageKind { Information, Warning, Error, QuestionYesNo, QuestionYesNoCancel };

inline constexpr const char* kInformationCaption = "Informazione";
inline constexpr const char* kWarningCaption = "Attenzione!";
inline constexpr const char* kErrorCaption = "Errore!";

class Messages {
public:
    virtual ~Messages() = default;

    virtual void Information(const std::string& text) = 0;
    virtual void Warning(const std::string& text) = 0;
    virtual void Error(const std::string& text) = 0;
    virtual Answer AskYesNo(const std::string& text) = 0;
    virtual Answer AskYesNoCancel(const std::string& text) = 0;

    // The caption of the two kinds of question.
    void SetApplicationTitle(std::string title) { applicationTitle_ = std::move(title); }
    const std::string& ApplicationTitle() const { return applicationTitle_; }

    static const char* CaptionOf(MessageKind kind);

private:
    std::string applicationTitle_ = "Ovik";
};

// Keeps every message for tests and answers questions from a queue of prepared
// answers (default: `defaultAnswer`).
class RecordingMessages : public Messages {
public:
    struct Entry {
        MessageKind kind;
        std::string caption;
        std::string text;
    };

    void Information(const std::string& text) override { add(MessageKind::Information, text); }
    void Warning(const std::string& text) override { add(MessageKind::Warning, text); }
    void Error(const std::string& text) override { add(MessageKind::Error, text); }
    Answer AskYesNo(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;

    void QueueAnswer(Answer a) { answers_.push_back(a); }
    Answer defaultAnswer = Answer::No;

    const std::vector<Entry>& entries() const { return entries_; }
    void clear() { entries_.clear(); }
    // The texts of all messages, joined by newlines (handy in assertions).
    std::string joined() const;

private:
    void add(MessageKind kind, const std::string& text);
    Answer next();
    std::vector<Entry> entries_;
    std::vector<Answer> answers_;
};

// Writes messages to standard error as "caption: text"; questions get the
// given fixed answer, or - with `asking` on - are asked on the terminal (an
// empty or unreadable reply gives the fixed answer).
class ConsoleMessages : public Messages {
public:
    explicit ConsoleMessages(Answer fixedAnswer = Answer::No) : fixed_(fixedAnswer) {}
    void Information(const std::string& text) override;
    void Warning(const std::string& text) override;
    void Error(const std::string& text) override;
    Answer AskYesNo(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;

    bool quiet = false;  // drops information boxes; warnings and errors still show
    bool asking = false;  // read the answer from standard input

private:
    Answer fixed_;
};

// A process-wide sink used where no owner gave one (a recorder of nothing).
Messages& NullMessages();

}  // namespace ovik::platform
