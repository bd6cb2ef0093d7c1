// Test helpers: a private scratch folder, small hypertext files with a page and
// a picture, and byte-exact reading of files.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/bytes.h"
#include "document/hqv_set.h"
#include "platform/host.h"
#include "platform/messages.h"

namespace ovik::testing_support {

// A folder of its own under the temporary folder, removed with its content.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string tmpl = (platform::TemporaryFolder() / "ovik-test-XXXXXX").string();
        if (char* made = ::mkdtemp(tmpl.data())) path_ = made;
    }
    ~ScratchFolder() {
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline std::string ReadFileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline std::string PageText(const THQVset& s, int32_t page = 0) {
    THQVtesto* p = s.Page(page);
    Bytes b;
    if (!p || !p->ReadContent(b)) return "<none>";
    return std::string(b.begin(), b.end());
}

inline void SetPageText(THQVset& s, const std::string& text, int32_t page = 0) {
    THQVtesto* p = s.Page(page);
    ASSERT_NE(p, nullptr);
    p->SetContent(ToBytes(text));
    s.SetModified(true);
}

// A picture of `n` bytes whose content shows where it came from.
inline std::string PictureBytes(size_t n) {
    std::string b(n, '\0');
    for (size_t i = 0; i < n; ++i) b[i] = char('A' + i % 26);
    return b;
}

inline std::string PictureOf(const THQVset& s) {
    THQVoggetto* o = s.GetObject(immagine, 0);
    Bytes b;
    if (!o || !o->ReadContent(b)) return "<none>";
    return std::string(b.begin(), b.end());
}

// Writes a hypertext with page 0 holding `text` and picture 0 of `pictureSize`
// bytes (its bytes stay in the file when it is read back).
inline void MakeHypertext(const std::filesystem::path& p, const std::string& text,
                          size_t pictureSize = 4096) {
    THQVset s(platform::NullMessages());
    s.AddNewObject(testoHtml)->SetContent(ToBytes(text));
    THQVoggetto* pic = s.AddNewObject(immagine);
    pic->SetName("figura");
    pic->SetContent(ToBytes(PictureBytes(pictureSize)));
    ASSERT_TRUE(s.SaveHypertext(p)) << ::testing::PrintToString(s.Errors());
}

// The page text and picture of the hypertext in `p`, read by a set of its own.
struct Contents {
    bool opened = false;
    std::string text, picture;
};
inline Contents ReadBack(const std::filesystem::path& p) {
    THQVset s(platform::NullMessages());
    Contents c;
    c.opened = s.OpenHypertext(p) && IsCompleteHypertext(p);
    c.text = PageText(s);
    c.picture = PictureOf(s);
    return c;
}

}  // namespace ovik::testing_support
