// The program's folders of templates, samples and custom objects, and the
// library hypertext of reusable custom objects.
#pragma once

#include <filesystem>
#include <string>

namespace ovik {
class THQVset;
}

namespace ovik::app {

inline constexpr const char* kTemplatesFolder = "Templates";
inline constexpr const char* kHypTemplatesFolder = "HypTemplates";
inline constexpr const char* kSamplesFolder = "es_hqv";
inline constexpr const char* kCustomFolder = "Custom";
inline constexpr const char* kHelpFolder = "help";
inline constexpr const char* kManualName = "manuale.hqv";
inline constexpr const char* kEnglishManualName = "manual.hqv";
inline constexpr const char* kFrameTemplatesFolder = "ModelliCornici";
inline constexpr const char* kDefaultLibraryName = "default.cus";

// The folders under the program's data folder (the installed data, or the
// build tree when the program runs from it).
class ProgramFolders {
public:
    explicit ProgramFolders(std::filesystem::path dataFolder) : data_(std::move(dataFolder)) {}

    const std::filesystem::path& DataFolder() const { return data_; }
    // "Templates" and "HypTemplates": when missing under the data folder, the
    // nearest folder of that name up to three levels above it (a program run
    // from a build tree finds the source tree's data that way).
    std::filesystem::path Templates() const { return Find(kTemplatesFolder); }
    std::filesystem::path HypTemplates() const { return Find(kHypTemplatesFolder); }
    std::filesystem::path Samples() const { return data_ / kSamplesFolder; }
    std::filesystem::path Custom() const { return data_ / kCustomFolder; }
    // The user manual, a hypertext built with the program.
    std::filesystem::path Manual() const { return data_ / kHelpFolder / kManualName; }
    std::filesystem::path FrameTemplates() const { return data_ / kFrameTemplatesFolder; }

    // The library hypertext: the `DefaultLib` setting when it names a ".cus" file
    // (compared in lower case), otherwise "default.cus" in "Custom".
    std::filesystem::path LibraryFile(const std::string& defaultLibSetting) const;

    // True when `file` lies directly in `folder` (folders compared by identity).
    static bool IsIn(const std::filesystem::path& file, const std::filesystem::path& folder);
    bool IsSample(const std::filesystem::path& file) const { return IsIn(file, Samples()); }
    bool IsInTemplates(const std::filesystem::path& file) const {
        return IsIn(file, Templates()) || IsIn(file, HypTemplates());
    }

private:
    std::filesystem::path Find(const char* name) const;
    std::filesystem::path data_;
};

// Opens the library hypertext in `lib`; when the file does not exist an empty
// hypertext is written there first. False when it can be neither made nor read.
bool OpenLibrary(THQVset& lib, const std::filesystem::path& file);

// Removes the temporary folders of earlier runs that died (run at start-up).
int CleanUpAfterEarlierRuns();

}  // namespace ovik::app
