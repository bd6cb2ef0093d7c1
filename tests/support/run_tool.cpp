#include "support/run_tool.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "support/hqv_builder.h"

namespace ovik::testing {

namespace {
std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

ToolResult RunOvikc(const std::vector<std::string>& args, const std::string& input) {
    TempDir io;
    std::string inPath = (io / "in").string(), outPath = (io / "out").string(),
                errPath = (io / "err").string();
    {
        std::ofstream f(inPath, std::ios::binary);
        f << input;
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        int in = ::open(inPath.c_str(), O_RDONLY);
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv;
        std::string tool = OVIKC_PATH;
        argv.push_back(tool.data());
        std::vector<std::string> copy = args;
        for (auto& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(tool.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ToolResult r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(outPath);
    r.err = Slurp(errPath);
    return r;
}

}  // namespace ovik::testing
