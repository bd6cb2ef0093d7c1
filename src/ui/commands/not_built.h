// The commands whose feature is not built yet: the one list the main window
// consults to keep them disabled. A feature that gets built enables its
// commands by leaving this list.
#pragma once

#include <string_view>
#include <vector>

namespace ovik::ui {

struct NotBuiltCommand {
    const char* name;     // object name of the action or submenu
    const char* feature;  // the feature it waits for
};

const std::vector<NotBuiltCommand>& NotBuiltCommands();
// The feature `name` waits for, or null when the command is built.
const char* MissingFeature(std::string_view name);

}  // namespace ovik::ui
