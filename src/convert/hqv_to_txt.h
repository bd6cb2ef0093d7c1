// THQVtoTxt: plain-text export and import.
//
// Export walks a page's box markup and writes its characters: paragraphs become
// CR LF (none before the first), table cells TAB or, at the end of a row, CR LF;
// placed objects write nothing except the wrapper placeholders ("!RefI:" ...).
// Import makes one paragraph of style 0 per line of the file; the file may be
// UTF-16 (with its byte-order mark), UTF-8 or Windows-1252. Binary files, files
// that are not regular files and formats whose converter is missing are left
// out; Report says what was made, changed and left out.
#pragma once

#include <string>

#include "convert/hqv_conv.h"

namespace ovik {

class THQVtoTxt : public THQVconv {
public:
    using THQVconv::THQVconv;

    // The bytes an export writes: Windows-1252 with CR LF (the editor's
    // default), or UTF-8, and LF line ends instead of CR LF.
    enum class TextEncoding { Windows1252, Utf8 };
    TextEncoding Encoding = TextEncoding::Windows1252;
    bool CrLf = true;

    void ConvertFragment(const Bytes& source, Bytes& target) override;
    bool ExportPages(const std::vector<int32_t>& pages) override;
    bool ExportPage(int32_t page) override;
    int32_t ImportFiles(const std::vector<std::filesystem::path>& files, int mode) override;
    void ImportFragment(const Bytes& source, Bytes& target, bool asCode, int32_t style) override;

    // The text of one page's (or fragment's) box markup, appended to `out`.
    void PageText(const uint8_t* markup, size_t size, std::string& out);

    // Appends the text of page `number` (nothing for a missing or free page).
    void AppendPage(int32_t number, std::string& text);

private:
    // Writes the exported text as ExportFileName (OutputFile).
    bool WriteOutput(const std::string& text);
};

// Escapes one line of plain text for box markup: TAB becomes eight spaces and
// "&", "<", ">" their entities. NUL and the other control characters, which
// page text cannot hold, are dropped and counted in `*dropped` (when given).
void AppendEscapedLine(std::string& out, std::string_view line, size_t* dropped = nullptr);

// Reads a whole regular file without ever waiting (a pipe or a device under
// the name is refused); false when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& out);

// True for bytes that are not text: a NUL in the first 8 KB of a file that has
// no UTF-16 byte-order mark.
bool LooksBinary(std::string_view bytes);

}  // namespace ovik
