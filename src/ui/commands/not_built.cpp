#include "ui/commands/not_built.h"

namespace ovik::ui {

const std::vector<NotBuiltCommand>& NotBuiltCommands() {
    static const std::vector<NotBuiltCommand> list = {
        {"FilePrinterSetup", "printing"},
        {"FileMargins", "printing"},
        {"FilePrint", "printing"},
        {"FilePrintPage", "printing"},
        {"FilePrintAll", "printing"},
        // These perform no action in this program.
        {"InsertCustom", "no action"},
        {"InsertDb", "no action"},
        {"HypSearches", "no action"},
        {"HypExplore", "no action"},
        {"PublishCd", "cd-rom publishing"},
        {"PublishWinHelp", "help-file export"},
        {"PublishFtp", "no action"},
        {"PublishServer", "no action"},
    };
    return list;
}

const char* MissingFeature(std::string_view name) {
    for (const NotBuiltCommand& c : NotBuiltCommands())
        if (name == c.name) return c.feature;
    return nullptr;
}

}  // namespace ovik::ui
