#include "core/heap_pages.h"

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace ovik {

namespace {
// Set for the program started again: what GLIBC_TUNABLES was before ("-" for
// not set), so that programs this one starts (a browser, a shell) get the
// environment the user gave.
constexpr const char* kBefore = "OVIK_TUNABLES_BEFORE";

void Restore(const std::string& before) {
    if (before == "-") ::unsetenv("GLIBC_TUNABLES");
    else ::setenv("GLIBC_TUNABLES", before.c_str(), 1);
}
}  // namespace

void UseHugeHeapPages(char** argv) {
    if (const char* before = std::getenv(kBefore)) {
        // Started again: the C library has read the tunable by now.
        const std::string value = before;
        ::unsetenv(kBefore);
        Restore(value);
        return;
    }
    if (!argv || !argv[0] || std::getenv("OVIK_PLAIN_HEAP")) return;
    const char* set = std::getenv("GLIBC_TUNABLES");
    const std::string old = set ? set : "";
    if (old.find("glibc.malloc.hugetlb") != std::string::npos) return;
    const std::string value = old.empty() ? "glibc.malloc.hugetlb=1" : old + ":glibc.malloc.hugetlb=1";
    if (::setenv(kBefore, set ? old.c_str() : "-", 1) != 0) return;
    if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) == 0) ::execv("/proc/self/exe", argv);
    // Not started again: go on as this process, with the environment as it was.
    ::unsetenv(kBefore);
    Restore(set ? old : "-");
}

}  // namespace ovik
