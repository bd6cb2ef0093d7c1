// What the engine asks of the host system that is not UI: folders and names.
#pragma once

#include <filesystem>
#include <string>

namespace ovik::platform {

// The user's temporary folder (TMPDIR or /tmp).
std::filesystem::path TemporaryFolder();

// The login name of the user, used as the default author of a new hypertext.
std::string UserName();

// The screen resolution the engine assumes when no display is attached.
inline constexpr int kDefaultPixelsPerInch = 96;

}  // namespace ovik::platform
