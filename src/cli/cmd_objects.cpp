// ovikc commands that put objects into a hypertext: add-file, add-picture.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <filesystem>

#include "cli/cli_support.h"
#include "document/hqv_set.h"

namespace ovik::cli {
namespace {

// Prints the object's kind and number, and saves the hypertext.
int ReportAndSave(THQVset& s, const THQVoggetto& o, const std::string& hypertext) {
    std::printf("%d %s %d\n", int(o.Kind()), KindName(o.Kind()), int(o.Number()));
    SaveOrFail(s, hypertext);
    return 0;
}

// AddPictureFile refuses silently; the batch tool says why.
std::string WhyNotAPicture(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (auto& c : ext) c = char(std::tolower(uint8_t(c)));
    if (ext != ".gif" && ext != ".jpg" && ext != ".jpeg" && ext != ".bmp" && ext != ".wmf" &&
        ext != ".emf")
        return "only .gif, .jpg, .jpeg, .wmf, .emf and .bmp files are pictures";
    std::ifstream in(path, std::ios::binary);
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    PictureResult r = DecodePicture(data, path);
    return r ? "the picture cannot be stored" : r.error;
}

void NeedTwo(const Args& a) {
    if (a.positional.size() != 2)
        throw UsageError{"expected 2 arguments, got " + std::to_string(a.positional.size())};
}

void NeedFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw Failure{path + " is not a readable file"};
}

Registrar addFileCmd({"add-file", "HYPERTEXT PATH",
                      "Embeds the file PATH in the hypertext; prints the new object's kind and number.",
                      {},
                      [](const Args& a, platform::ConsoleMessages& m) {
                          NeedTwo(a);
                          NeedFile(a.positional[1]);
                          auto s = OpenOrFail(a.positional[0], m);
                          THQVoggetto* o = s->AddEmbeddedFile(a.positional[1]);
                          if (!o) throw Failure{"cannot embed " + a.positional[1]};
                          return ReportAndSave(*s, *o, a.positional[0]);
                      }});

Registrar addPictureCmd(
    {"add-picture", "HYPERTEXT PATH",
     "Adds the picture PATH (.gif, .jpg, .jpeg, .wmf, .emf; .bmp is stored as GIF or JPEG); "
     "prints its kind and number (an equal picture already there is reused).",
     {},
     [](const Args& a, platform::ConsoleMessages& m) {
         NeedTwo(a);
         NeedFile(a.positional[1]);
         auto s = OpenOrFail(a.positional[0], m);
         THQVoggetto* o = s->AddPictureFile(a.positional[1]);
         if (!o) throw Failure{"cannot add " + a.positional[1] + ": " + WhyNotAPicture(a.positional[1])};
         return ReportAndSave(*s, *o, a.positional[0]);
     }});

}  // namespace
}  // namespace ovik::cli
