#include "app/program_folders.h"

#include <system_error>

#include "core/codepage.h"
#include "document/hqv_set.h"
#include "document/lifecycle.h"
#include "platform/host.h"

namespace ovik::app {

namespace fs = std::filesystem;

fs::path ProgramFolders::Find(const char* name) const {
    std::error_code ec;
    fs::path here = data_ / name;
    if (fs::is_directory(here, ec)) return here;
    fs::path up = data_;
    for (int i = 0; i < 3 && up.has_parent_path() && up.parent_path() != up; ++i) {
        up = up.parent_path();
        if (fs::is_directory(up / name, ec)) return up / name;
    }
    return here;
}

fs::path ProgramFolders::LibraryFile(const std::string& defaultLibSetting) const {
    const std::string lower = cp1252::Lower(defaultLibSetting);
    if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".cus") == 0) return defaultLibSetting;
    return Custom() / kDefaultLibraryName;
}

bool ProgramFolders::IsIn(const fs::path& file, const fs::path& folder) {
    std::error_code ec;
    fs::path parent = fs::absolute(file, ec).parent_path();
    return SameFile(parent, folder);
}

bool OpenLibrary(THQVset& lib, const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        fs::create_directories(file.parent_path(), ec);
        lib.NewHypertext();
        if (!lib.SaveHypertext(file, 2)) return false;
        return true;  // the save read the new file back
    }
    return lib.OpenHypertext(file);
}

int CleanUpAfterEarlierRuns() { return RemoveStaleTempFolders(platform::TemporaryFolder()); }

}  // namespace ovik::app
