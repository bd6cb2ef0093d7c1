// Shared plumbing of ovikc: argument parsing, the command table, progress line.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "document/hqv_set.h"
#include "platform/messages.h"

namespace ovik::cli {

// Options may stand anywhere on the line. Options listed in kValueOptions take
// the next argument as their value; every other option is a flag.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> options;

    bool Has(const std::string& opt) const { return options.count(opt) > 0; }
    std::string Value(const std::string& opt, const std::string& def = "") const {
        auto it = options.find(opt);
        return (it == options.end() || it->second.empty()) ? def : it->second.back();
    }
};

// Thrown for a wrong command line: main prints the message and the usage.
struct UsageError {
    std::string message;
};
// Thrown for a failed operation: main prints the message and exits with 1.
struct Failure {
    std::string message;
};

struct Command {
    std::string name;
    std::string usage;    // "FILE [--json]"
    std::string summary;  // one line
    std::vector<std::string> valueOptions;
    std::function<int(const Args&, platform::ConsoleMessages&)> run;
};

// Commands register themselves from their own source file.
std::vector<Command>& Commands();
struct Registrar {
    explicit Registrar(Command c) { Commands().push_back(std::move(c)); }
};

Args Parse(int argc, char** argv, int first, const std::vector<std::string>& valueOptions);

// Opens a hypertext for a command; throws Failure when it cannot be read.
std::unique_ptr<THQVset> OpenOrFail(const std::string& path, platform::Messages& msgs);
void SaveOrFail(THQVset& set, const std::string& path);

// A page list "1,4,7-9" -> {1, 4, 7, 8, 9}; throws UsageError when malformed.
std::set<int32_t> PageList(const std::string& text);

// The pages a command works on, in number order: every page in use, or those
// "--pages LIST" names. Listed numbers that name no page in use are reported
// on standard error ("page N: no such page") and left out.
std::vector<int32_t> ChosenPages(const Args& a, const THQVset& set);

// Number argument; throws UsageError when it is not a whole number.
long long ToNumber(const std::string& s, const char* what);

// A progress line on a terminal (stderr), rewritten in place; silent when stderr
// is not a terminal or when quiet.
class ProgressLine {
public:
    explicit ProgressLine(bool quiet);
    ~ProgressLine();
    void Show(const std::string& text);
    void Done();

private:
    bool enabled_;
    bool shown_ = false;
};

}  // namespace ovik::cli
