// ovikc commands that put objects into a hypertext: add-file, add-picture.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "cli/cli_support.h"
#include "document/hqv_set.h"

namespace ovik::cli {
namespace {

// AddPictureFile refuses silently; the batch tool says why.
std::string WhyNotAPicture(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (auto& c : ext) c = char(std::tolower(uint8_t(c)));
    if (ext != ".gif" && ext != ".jpg" && ext != ".jpeg" && ext != ".bmp" && ext != ".wmf" &&
        ext != ".emf")
        return "only .gif, .jpg, .jpeg, .wmf, .emf and .bmp files are pictures";
    Bytes data;
    std::string why;
    if (!ReadRegularFile(path, data, &why)) return why;
    PictureResult r = DecodePicture(data, path);
    return r ? "the picture cannot be stored" : r.error;
}

void NeedTwo(const Args& a) {
    if (a.positional.size() != 2)
        throw UsageError{"expected 2 arguments, got " + std::to_string(a.positional.size())};
}

// The file must be a regular file that can be opened (checked without
// blocking: a pipe under the name is refused, not waited on).
void NeedFile(const std::string& path) {
    std::string why;
    if (!OpenFile::Open(path, &why)) throw Failure{"cannot read " + path + ": " + why};
}

// A command HYPERTEXT PATH that adds one object made from the file PATH.
Command AddCommand(std::string name, std::string summary,
                   std::function<THQVoggetto*(THQVset&, const std::string&)> add) {
    return {std::move(name), "HYPERTEXT PATH", std::move(summary), {},
            [add](const Args& a, platform::ConsoleMessages& m) {
                NeedTwo(a);
                NeedFile(a.positional[1]);
                auto s = OpenOrFail(a.positional[0], m);
                THQVoggetto* o = add(*s, a.positional[1]);
                // The object's place is printed only once the hypertext holding
                // it has been saved (the save reads the file back: the object is
                // found again by kind and number).
                const uint8_t kind = o->Kind();
                const int32_t number = o->Number();
                SaveOrFail(*s, a.positional[0]);
                std::printf("%d %s %d\n", int(kind), KindName(kind), int(number));
                return 0;
            }};
}

Registrar addFileCmd(AddCommand(
    "add-file", "Embeds the file PATH in the hypertext; prints the new object's kind and number.",
    [](THQVset& s, const std::string& path) {
        THQVoggetto* o = s.AddEmbeddedFile(path);
        if (!o) throw Failure{"cannot embed " + path};
        return o;
    }));

Registrar addPictureCmd(AddCommand(
    "add-picture",
    "Adds the picture PATH (.gif, .jpg, .jpeg, .wmf, .emf; .bmp is stored as GIF or JPEG); "
    "prints its kind and number (an equal picture already there is reused).",
    [](THQVset& s, const std::string& path) {
        THQVoggetto* o = s.AddPictureFile(path);
        if (!o) throw Failure{"cannot add " + path + ": " + WhyNotAPicture(path)};
        return o;
    }));

}  // namespace
}  // namespace ovik::cli
