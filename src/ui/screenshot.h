// Pictures of the dialog windows and the menus, for checking their look by eye.
#pragma once

#include <string>

namespace ovik::ui {

// Shows window `name` over a small sample hypertext (settings in memory),
// saves a picture of it to `out` and returns 0; 1 when the window is unknown
// or the picture cannot be saved.
int ScreenshotWindow(const std::string& name, const std::string& out);
// Saves a picture of the main window with the menu `name` (its objectName,
// "FileMenu") open. Returns 0 on success.
int ScreenshotMenu(const std::string& name, const std::string& out);

}  // namespace ovik::ui
