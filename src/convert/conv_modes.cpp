#include "convert/conv_modes.h"

#include <system_error>

#include "core/codepage.h"
#include "platform/host.h"
#include "platform/settings_store.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {
const ConvMode kExport[] = {
    {0, "HTML", "*.htm;*.html;"},
    {1, "RTF (Word, Word Perfect, Publisher, ...): un solo file", "*.rtf;"},
    {2, "RTF (Word, Word Perfect, Publisher, ...): un file per ogni pagina", "*.rtf;"},
    {3, "Rtf WINHELP (WinHelp Compiler): un solo file", "*.rtf;"},
    {4, "ASCII (Blocco note,...)", "*.txt;*.asc;*.pas;*.c;*.cpp;*.ini;"},
    {5, "DOC (Word): un solo file", "*.doc;*.wri;*.rtf;"},
};
const ConvMode kImport[] = {
    {0, "HTML", "*.htm;*.html;"},
    {1, "RTF (Word, Word Perfect, Publisher, ...): più pagine", "*.rtf;"},
    {2, "RTF (Word, Word Perfect, Publisher, ...): una pagina ogni file", "*.rtf;"},
    {3, "Rtf WINHELP (WinHelp Compiler)", "*.rtf;"},
    {4, "ASCII (Blocco note,...)", "*.txt;*.asc;*.pas;*.c;*.cpp;*.ini;*.h;*.inc;*.dpr;"},
    {5, "DOC (Word): più pagine", "*.doc;*.wri;*.rtf;"},
    {6, "DOC (Word): una pagina ogni file", "*.doc;*.wri;*.rtf;"},
};

int ToInt(const std::string& s, int def) {
    try {
        return std::stoi(s);
    } catch (...) {
        return def;
    }
}
}  // namespace

std::vector<ConvMode> ExportModes(bool word) {
    std::vector<ConvMode> v = {kExport[3], kExport[0], kExport[1], kExport[2], kExport[4]};
    if (word) v.push_back(kExport[5]);
    return v;
}

std::vector<ConvMode> ImportModes(bool word) {
    std::vector<ConvMode> v(kImport, kImport + 5);
    if (word) {
        v.push_back(kImport[5]);
        v.push_back(kImport[6]);
    }
    return v;
}

int ModeForFileName(const std::vector<ConvMode>& modes, const std::string& fileName) {
    std::string ext = cp1252::Lower(fs::path(fileName).extension().string());
    if (ext.empty()) return -1;
    std::string key = "*" + ext + ";";
    for (auto& m : modes)
        if (std::string(m.masks).find(key) != std::string::npos) return m.mode;
    return -1;
}

std::string MainFileNameFor(int mode, const fs::path& hypertext) {
    const char* ext = mode == 1 || mode == 3 ? ".rtf" : mode == 4 ? ".txt" : mode == 5 ? ".doc" : nullptr;
    fs::path name = hypertext.filename();
    if (ext) name.replace_extension(ext);
    return name.string();
}

std::string ExportSection(int mode) { return "exp\\" + std::to_string(mode); }

bool ImportFormatNotAvailable(const fs::path& file) {
    const std::string ext = cp1252::Lower(file.extension().string());
    return ext == ".rtf" || ext == ".doc" || ext == ".wri";
}

ExportModeSettings ExportModeSettings::Load(const platform::SettingsStore& store, int mode) {
    ExportModeSettings s;
    std::string sec = ExportSection(mode);
    std::string path = store.ReadOr(sec, "expPathInWindow", "");
    std::error_code ec;
    if (path.empty() || !fs::is_directory(path, ec)) {
        s.expPathInWindow = platform::TemporaryFolder();
        fs::create_directories(s.expPathInWindow, ec);
    } else {
        s.expPathInWindow = path;
    }
    s.largh = ToInt(store.ReadOr(sec, "largh", "210"), 210);
    s.lungh = ToInt(store.ReadOr(sec, "lungh", "297"), 297);
    s.top = ToInt(store.ReadOr(sec, "top", "15"), 15);
    s.bottom = ToInt(store.ReadOr(sec, "bottom", "15"), 15);
    s.dx = ToInt(store.ReadOr(sec, "dx", "15"), 15);
    s.sx = ToInt(store.ReadOr(sec, "sx", "15"), 15);
    s.runHcp = store.ReadOr(sec, "runHcp", "0") == "1";
    s.runTitKey = store.ReadOr(sec, "runTitKey", "0") == "1";
    s.runDefaultHcp = store.ReadOr(sec, "runDefaultHcp", "1") == "1";
    s.hcpPath = store.ReadOr("options", "HcpPath", platform::TemporaryFolder().root_path().string());
    return s;
}

void ExportModeSettings::Save(platform::SettingsStore& store, int mode) const {
    std::string sec = ExportSection(mode);
    store.Write(sec, "expPathInWindow", expPathInWindow.string());
    store.Write(sec, "largh", std::to_string(largh));
    store.Write(sec, "lungh", std::to_string(lungh));
    store.Write(sec, "top", std::to_string(top));
    store.Write(sec, "bottom", std::to_string(bottom));
    store.Write(sec, "dx", std::to_string(dx));
    store.Write(sec, "sx", std::to_string(sx));
    store.Write(sec, "runHcp", runHcp ? "1" : "0");
    store.Write(sec, "runTitKey", runTitKey ? "1" : "0");
    store.Write(sec, "runDefaultHcp", runDefaultHcp ? "1" : "0");
    store.Write("options", "HcpPath", hcpPath);
}

}  // namespace ovik
