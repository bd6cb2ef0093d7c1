// Writes a large hypertext for benchmarks and crash tests: pages of text and
// embedded pictures of pseudo-random bytes adding up to about SIZE_MB megabytes.
//
//   ovik_make_big_hypertext OUT SIZE_MB
#include <cstdio>
#include <cstdlib>
#include <string>

#include "document/hqv_set.h"
#include "platform/messages.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUT SIZE_MB\n", argv[0]);
        return 2;
    }
    const long sizeMb = std::strtol(argv[2], nullptr, 10);
    if (sizeMb <= 0 || sizeMb > 1900) {
        std::fprintf(stderr, "SIZE_MB must be 1..1900\n");
        return 2;
    }
    ovik::platform::ConsoleMessages messages;
    ovik::THQVset set(messages);
    set.Bak = false;
    constexpr size_t kPicture = 2u << 20;
    const long pictures = sizeMb / 2 > 0 ? sizeMb / 2 : 1;
    uint32_t x = 2463534242u;
    for (long i = 0; i < pictures; ++i) {
        std::string text = "Pagina " + std::to_string(i);
        set.AddNewObject(ovik::testoHtml)->SetContent(ovik::Bytes(text.begin(), text.end()));
        ovik::Bytes bytes(kPicture);
        for (auto& b : bytes) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            b = uint8_t(x);
        }
        ovik::THQVoggetto* pic = set.AddNewObject(ovik::immagine);
        pic->SetName("figura" + std::to_string(i) + ".gif");
        pic->SetContent(std::move(bytes));
        // Written out as it goes, so memory stays small: the save reads the
        // pictures back from the file on the next round.
        if ((i + 1) % 16 == 0 || i + 1 == pictures) {
            if (!set.SaveHypertext(argv[1])) {
                std::fprintf(stderr, "cannot write %s\n", argv[1]);
                return 1;
            }
        }
    }
    return 0;
}
