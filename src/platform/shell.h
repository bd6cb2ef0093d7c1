// The desktop as the engine reaches it: opening a file or an address with the
// program the desktop associates with it, and starting a program with an
// argument list (never through a shell command line).
//
// Files handed to the desktop (a link's parameters file, an embedded file
// extracted to be opened) go into the hand-over folder, which outlives the
// temporary folder of a hypertext: the program that opens them may still be
// reading them after the hypertext is closed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ovik::platform {

class Shell {
public:
    virtual ~Shell() = default;
    // Paths and addresses are UTF-8. Each returns false when the desktop could
    // not be asked (the engine ignores failures, as the user sees them anyway).
    virtual bool OpenFile(const std::filesystem::path& file) = 0;
    virtual bool OpenAddress(const std::string& address) = 0;
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args) = 0;
    // The folder files are handed over in (created, private to the user).
    virtual std::filesystem::path HandOverFolder();
};

// Writes `bytes` into a new file of the hand-over folder named `name` (made
// safe; a unique variant when a file of that name exists). Empty path when the
// file cannot be written.
std::filesystem::path WriteHandOverFile(Shell& shell, const std::string& name, const std::string& bytes);

// Keeps every request for tests; does nothing else.
class RecordingShell : public Shell {
public:
    struct Call {
        enum Kind { File, Address, Program } kind;
        std::string target;              // file, address or program
        std::vector<std::string> args;   // program arguments
    };
    bool OpenFile(const std::filesystem::path& file) override;
    bool OpenAddress(const std::string& address) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
    std::filesystem::path HandOverFolder() override;

    const std::vector<Call>& calls() const { return calls_; }
    void clear() { calls_.clear(); }
    // Where hand-over files go (a fresh folder under the temporary folder by default).
    std::filesystem::path folder;

private:
    std::vector<Call> calls_;
};

// The batch tool's shell: prints each request on standard output, hands files
// and addresses to "xdg-open" found on PATH and starts programs directly, and
// returns only after the launched process has exited.
class ConsoleShell : public Shell {
public:
    bool OpenFile(const std::filesystem::path& file) override;
    bool OpenAddress(const std::string& address) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
};

// Runs `program` (searched on PATH when it has no "/") with `args`, without a
// shell, and waits for it. False when it could not be started or failed.
bool RunAndWait(const std::string& program, const std::vector<std::string>& args);

}  // namespace ovik::platform
