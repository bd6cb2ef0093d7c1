// Windows-1252 text: the engine's character set.
//
// Text inside a hypertext is bytes in Windows-1252; it becomes Unicode (UTF-8)
// only at the boundaries: file names, the console, the Qt widgets, imported text
// files. Characters that Windows-1252 cannot hold become the closest character it
// has, or "?", and the conversion counts them so that bulk operations can say how
// many were replaced.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ovik::cp1252 {

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string ToUtf8(std::string_view text);

// UTF-8 to Windows-1252. Invalid UTF-8 sequences and characters the code page
// lacks become the closest character or "?"; `replaced` (when given) is
// increased by the number of such characters.
std::string FromUtf8(std::string_view utf8, size_t* replaced = nullptr);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Text read from a file: UTF-16 when it begins with a UTF-16 byte-order mark
// (either byte order), UTF-8 when it is valid UTF-8 (a leading byte-order mark
// is dropped), else taken as Windows-1252 already.
std::string FromFileText(std::string_view bytes, size_t* replaced = nullptr);

// True when the bytes begin with a UTF-16 byte-order mark (FF FE or FE FF).
bool HasUtf16Bom(std::string_view bytes);

// UTF-16 (little-endian when `littleEndian`) to UTF-8. Unpaired surrogates and
// a final odd byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool littleEndian);

// Case mapping of Windows-1252 letters, accented ones included.
char Upper(char c);
char Lower(char c);
std::string Upper(std::string_view s);
std::string Lower(std::string_view s);
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace ovik::cp1252
