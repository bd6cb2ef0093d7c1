// The formats of the export and import commands and the settings the export
// window keeps per format, in the settings store under "exp\" + mode number.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ovik {

namespace platform {
class SettingsStore;
}

struct ConvMode {
    int mode;
    const char* entry;  // the caption in "Scegli formato:"
    const char* masks;  // "*.rtf;" ...
};

// Export modes in the order the export window lists them. The word-processor
// entry (mode 5) is included only when it is available.
std::vector<ConvMode> ExportModes(bool wordProcessorAvailable);
// Import modes in the order the import window lists them.
std::vector<ConvMode> ImportModes(bool wordProcessorAvailable);
// The first mode, in list order, whose masks hold the file's extension; -1 when
// none does.
int ModeForFileName(const std::vector<ConvMode>& modes, const std::string& fileName);
// The main file name a chosen export mode proposes: the hypertext's file name
// with ".rtf" (modes 1 and 3), ".txt" (4) or ".doc" (5), without its folder.
std::string MainFileNameFor(int mode, const std::filesystem::path& hypertext);

// Settings of one export mode.
struct ExportModeSettings {
    std::filesystem::path expPathInWindow;
    int largh = 210, lungh = 297, top = 15, bottom = 15, dx = 15, sx = 15;
    bool runHcp = false, runTitKey = false, runDefaultHcp = true;
    std::string hcpPath;

    // Reads mode `mode`; a stored folder that no longer exists becomes the
    // user's temporary folder, which is created.
    static ExportModeSettings Load(const platform::SettingsStore& store, int mode);
    void Save(platform::SettingsStore& store, int mode) const;
};

std::string ExportSection(int mode);

// The message of a command whose part is not built yet.
inline constexpr const char* kNotAvailableText = "Questa funzione non è ancora disponibile.";

// True for the files an import cannot read yet: RTF, DOC and WRI documents,
// whose converters are missing (as plain text they would show their raw bytes).
bool ImportFormatNotAvailable(const std::filesystem::path& file);

}  // namespace ovik
