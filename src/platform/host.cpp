#include "platform/host.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace ovik::platform {

std::filesystem::path TemporaryFolder() {
    std::error_code ec;
    auto p = std::filesystem::temp_directory_path(ec);
    if (ec) return "/tmp";
    return p;
}

std::string UserName() {
    if (const char* u = std::getenv("USER"); u && *u) return u;
    if (passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
    return "";
}

}  // namespace ovik::platform
