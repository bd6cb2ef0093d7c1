// THQVtoTxt: plain-text export and import.
//
// Export walks a page's box markup and writes its characters: paragraphs become
// CR LF (none before the first), table cells TAB or, at the end of a row, CR LF;
// placed objects write nothing except the wrapper placeholders ("!RefI:" ...).
// Import makes one paragraph of style 0 per line of the file.
#pragma once

#include <string>

#include "convert/hqv_conv.h"

namespace ovik {

class THQVtoTxt : public THQVconv {
public:
    using THQVconv::THQVconv;

    void ConvertFragment(const Bytes& source, Bytes& target) override;
    bool ExportPages(const std::vector<int32_t>& pages) override;
    bool ExportPage(int32_t page) override;
    int32_t ImportFiles(const std::vector<std::filesystem::path>& files, int mode) override;
    void ImportFragment(const Bytes& source, Bytes& target, bool asCode, int32_t style) override;

    // The text of one page's (or fragment's) box markup, appended to `out`.
    void PageText(const uint8_t* markup, size_t size, std::string& out);

    // Appends the text of page `number` (nothing for a missing or free page).
    void AppendPage(int32_t number, std::string& text);

    // How many characters of the last import Windows-1252 could not hold.
    size_t ReplacedCharacters = 0;
    // Files the last import could not read.
    std::vector<std::filesystem::path> SkippedFiles;
};

// Escapes one line of plain text for box markup: TAB becomes eight spaces and
// "&", "<", ">" their entities.
void AppendEscapedLine(std::string& out, std::string_view line);

// Reads a whole regular file; false when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& out);

}  // namespace ovik
