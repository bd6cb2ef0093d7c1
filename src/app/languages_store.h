// TZtLanguagesStore: one text file that keeps the language blocks of every
// window for several languages side by side, so a translator works on one file.
//
// Layout (CR LF line ends):
//   unit <file name without extension>;
//   interface
//
//   const
//   //STRING mantained by ZtLanguagesStore.
//   //Please modify only strings marked by {##>} {<##}.
//   {$ifdef <language>}
//   <window>_block =
//    '*_*bok_caption'#13#10+
//    ' {##>}&Ok{<##}'#13#10+
//    '';
//   {$endif}//ZtLanguagesStore
//   (two empty lines, then the next language)
//   implementation
//   end.
// Inside a string piece a "'" is written "''".
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovik::app {

class TZtLanguagesStore {
public:
    std::string DefaultLang = "eng";

    // The languages kept in the file; setting them adds a section for every
    // language that has none (a copy of the first language's section).
    const std::vector<std::string>& LanguagesDefines() const { return languages_; }
    bool SetLanguagesDefines(std::vector<std::string> languages);
    // The file; setting it brings the file up to date the same way.
    const std::filesystem::path& LanguagesPasUnit() const { return file_; }
    bool SetLanguagesPasUnit(std::filesystem::path file);

    // Writes a window's block into a language's section (replacing the old one).
    bool SetBlock(const std::string& language, const std::string& window, const std::string& block);
    // A window's block of a language, decoded back to key and value lines.
    std::optional<std::string> Block(const std::string& language, const std::string& window) const;

private:
    bool UpdateFile();
    std::vector<std::string> languages_{"eng"};
    std::filesystem::path file_;
};

}  // namespace ovik::app
