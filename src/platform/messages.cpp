#include "platform/messages.h"

#include <cctype>
#include <cstdio>

namespace ovik::platform {

const char* Messages::CaptionOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information: return kInformationCaption;
        case MessageKind::Warning: return kWarningCaption;
        case MessageKind::Error: return kErrorCaption;
        default: return "";
    }
}

void RecordingMessages::add(MessageKind kind, const std::string& text) {
    std::string caption = (kind == MessageKind::QuestionYesNo ||
                           kind == MessageKind::QuestionYesNoCancel)
                              ? ApplicationTitle()
                              : CaptionOf(kind);
    entries_.push_back({kind, caption, text});
}

Answer RecordingMessages::next() {
    if (answers_.empty()) return defaultAnswer;
    Answer a = answers_.front();
    answers_.erase(answers_.begin());
    return a;
}

Answer RecordingMessages::AskYesNo(const std::string& text) {
    add(MessageKind::QuestionYesNo, text);
    Answer a = next();
    return a == Answer::Cancel ? Answer::No : a;
}

Answer RecordingMessages::AskYesNoCancel(const std::string& text) {
    add(MessageKind::QuestionYesNoCancel, text);
    return next();
}

std::string RecordingMessages::joined() const {
    std::string s;
    for (auto& e : entries_) {
        if (!s.empty()) s += '\n';
        s += e.text;
    }
    return s;
}

namespace {
void Print(const char* caption, const std::string& text) {
    std::fprintf(stderr, "%s %s\n", caption, text.c_str());
}
}  // namespace

void ConsoleMessages::Information(const std::string& text) {
    if (!quiet) Print(kInformationCaption, text);
}
void ConsoleMessages::Warning(const std::string& text) { Print(kWarningCaption, text); }
void ConsoleMessages::Error(const std::string& text) { Print(kErrorCaption, text); }
namespace {
// Reads one reply line: "s"/"si"/"y"/"yes" is Yes, "n"/"no" No, "a"/"c" Cancel
// (when allowed); anything else gives `def`.
Answer ReadReply(bool cancel, Answer def) {
    std::fprintf(stderr, cancel ? "[s/n/a] " : "[s/n] ");
    std::fflush(stderr);
    char line[64];
    if (!std::fgets(line, sizeof line, stdin)) return def;
    std::string r;
    for (char* c = line; *c && *c != '\n' && *c != '\r'; ++c) r += char(std::tolower(uint8_t(*c)));
    if (r == "s" || r == "si" || r == "y" || r == "yes") return Answer::Yes;
    if (r == "n" || r == "no") return Answer::No;
    if (cancel && (r == "a" || r == "c")) return Answer::Cancel;
    return def;
}
}  // namespace

Answer ConsoleMessages::AskYesNo(const std::string& text) {
    Print((ApplicationTitle() + ":").c_str(), text);
    const Answer def = fixed_ == Answer::Cancel ? Answer::No : fixed_;
    return asking ? ReadReply(false, def) : def;
}
Answer ConsoleMessages::AskYesNoCancel(const std::string& text) {
    Print((ApplicationTitle() + ":").c_str(), text);
    return asking ? ReadReply(true, fixed_) : fixed_;
}

Messages& NullMessages() {
    static RecordingMessages sink;
    sink.clear();
    return sink;
}

}  // namespace ovik::platform
