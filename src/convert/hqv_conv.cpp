#include "convert/hqv_conv.h"

#include "document/hqv_set.h"

namespace ovik {

THQVconv::THQVconv(THQVset* set) : LinkedHQVset(set) {
    ExportPath = std::filesystem::temp_directory_path();
    ExportFileName = ExportPath / "temp";
}

THQVconv::~THQVconv() = default;

std::string THQVconv::ExportPrefixOf() const {
    if (!ExportPrefix.empty()) return ExportPrefix;
    return LinkedHQVset ? LinkedHQVset->ExpPrefix() : std::string();
}

THQVtesto* THQVconv::NewImportPage() {
    if (!LinkedHQVset) return nullptr;
    auto page = LinkedHQVset->NewObject(testoHtml);
    page->SetI32(page_rec::kBackColour, ImportBackColor);
    page->SetI32(page_rec::kBackPicture, ImportBackPicture ? ImportBackPicture->Number() : -1);
    return static_cast<THQVtesto*>(THQVoggetto::Register(page, -1));
}

THQVoggetto* THQVconv::ResolveId(int32_t id) const {
    uint8_t kind = IdKind(id);
    int32_t n = IdNumber(id);
    if (kind == kFragmentKind) {
        if (!FragmentObjects || size_t(n) >= FragmentObjects->size()) return nullptr;
        return (*FragmentObjects)[size_t(n)].get();
    }
    if (kind == kPageLocalKind) {
        // Page-local objects exist only in working copies of open pages; a
        // stored page never holds such tags.
        return nullptr;
    }
    if (id < 0 || !LinkedHQVset) return nullptr;
    return LinkedHQVset->GetObjectById(id);
}

void ImportReport::Skip(const std::filesystem::path& file, std::string message) {
    skippedFiles.push_back(file);
    messages.push_back(std::move(message));
}

std::vector<std::string> ImportReport::Lines() const {
    std::vector<std::string> lines = messages;
    if (replacedCharacters > 0)
        lines.push_back(std::to_string(replacedCharacters) +
                        (replacedCharacters == 1 ? " carattere non presente" : " caratteri non presenti") +
                        " in Windows-1252 sostituit" + (replacedCharacters == 1 ? "o" : "i") + ".");
    if (droppedControls > 0)
        lines.push_back(std::to_string(droppedControls) +
                        (droppedControls == 1 ? " carattere di controllo tolto" : " caratteri di controllo tolti") +
                        " (NUL o altri codici che il testo di una pagina non può contenere).");
    return lines;
}

std::string ExportProgressText(int32_t pag, int32_t tot, int32_t phase) {
    int64_t pct = tot > 0 ? int64_t(pag) * 100 / tot : 0;
    return "Export in corso, fase " + std::to_string(phase) + ": " + std::to_string(pct) + "%";
}

}  // namespace ovik
