// ovikc commands that put objects into a hypertext: add-file, add-picture.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "cli/cli_support.h"
#include "document/hqv_set.h"

namespace ovik::cli {
namespace {

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

// The conversion a bitmap file (BMP, PNG) goes through, as the options ask.
BitmapConversion ConversionOf(const Args& a) {
    BitmapConversion how;
    const std::string as = a.Value("--as", "gif");
    if (as == "gif") how.as = BitmapTarget::Gif;
    else if (as == "jpg" || as == "jpeg") how.as = BitmapTarget::Jpeg;
    else throw UsageError{"--as takes gif or jpg, not " + as};
    if (a.Has("--quality")) {
        long long q = ToNumber(a.Value("--quality"), "--quality");
        if (q < 0 || q > 100) throw UsageError{"--quality takes 0 to 100"};
        if (how.as != BitmapTarget::Jpeg) throw UsageError{"--quality is for --as jpg"};
        how.quality = int(q);
    }
    how.transparent = a.Has("--transparent");
    if (how.transparent && how.as != BitmapTarget::Gif) throw UsageError{"--transparent is for --as gif"};
    return how;
}

Registrar addPictureCmd(Command{
    "add-picture", "HYPERTEXT PATH [--as gif|jpg] [--quality Q] [--transparent]",
    "Adds the picture PATH (.gif, .jpg, .jpeg, .wmf, .emf; a .bmp or .png bitmap is converted as a "
    "pasted one: GIF by default, --transparent makes its lower-left colour transparent, JPG with "
    "--quality, default 75); prints its kind and number (an equal picture already there is reused).",
    {"--as", "--quality"},
    [](const Args& a, platform::ConsoleMessages& m) {
        NeedTwo(a);
        const BitmapConversion how = ConversionOf(a);
        const std::string& path = a.positional[1];
        NeedFile(path);
        auto s = OpenOrFail(a.positional[0], m);
        std::string why;
        THQVoggetto* o = s->AddPictureFile(path, how, &why);
        if (!o) throw Failure{"cannot add " + path + ": " + why};
        const uint8_t kind = o->Kind();
        const int32_t number = o->Number();
        SaveOrFail(*s, a.positional[0]);
        std::printf("%d %s %d\n", int(kind), KindName(kind), int(number));
        return 0;
    }});

}  // namespace
}  // namespace ovik::cli
