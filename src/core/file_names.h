// File names that come from documents, made safe before they touch the disk.
#pragma once

#include <string>
#include <string_view>

namespace ovik {

// The file part of a stored name that may come from Windows ("c:\dir\a.gif",
// "dir/a.gif"): everything after the last "\", "/" or drive colon.
std::string FilePart(std::string_view name);

// A stored file name made safe to use as one file inside a folder the user
// chose: folders, drive prefixes, ".." and control characters are removed, and
// an empty or dot-only result becomes "file". The result is UTF-8.
std::string SafeFileName(std::string_view cp1252Name);

// The extension of a name including the dot ("" when none).
std::string Extension(std::string_view name);
// The name without its extension.
std::string WithoutExtension(std::string_view name);

// The first `n` characters of a file's name, in lower case, with any extension
// left in them removed (the default export prefix).
std::string PrefixFromFileName(std::string_view fileName, size_t n);

}  // namespace ovik
