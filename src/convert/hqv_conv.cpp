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

std::string ExportProgressText(int32_t pag, int32_t tot, int32_t phase) {
    int64_t pct = tot > 0 ? int64_t(pag) * 100 / tot : 0;
    return "Export in corso, fase " + std::to_string(phase) + ": " + std::to_string(pct) + "%";
}

}  // namespace ovik
