#include "core/heap_pages.h"

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace ovik {

void UseHugeHeapPages(char** argv) {
    if (!argv || !argv[0] || std::getenv("OVIK_PLAIN_HEAP")) return;
    const char* set = std::getenv("GLIBC_TUNABLES");
    const std::string old = set ? set : "";
    if (old.find("glibc.malloc.hugetlb") != std::string::npos) return;
    const std::string value = old.empty() ? "glibc.malloc.hugetlb=1" : old + ":glibc.malloc.hugetlb=1";
    if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
    ::execv("/proc/self/exe", argv);
    // Not started again: go on as this process, with the environment as it was.
    if (set) ::setenv("GLIBC_TUNABLES", old.c_str(), 1);
    else ::unsetenv("GLIBC_TUNABLES");
}

}  // namespace ovik
