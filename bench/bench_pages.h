// The page markup the typing benchmarks load: `paragraphs` paragraphs of
// about 65 bytes, every third with a bold run.
#pragma once

#include <string>

namespace ovik::bench {

inline std::string PageMarkup(int paragraphs) {
    std::string s;
    s.reserve(size_t(paragraphs) * 80);
    for (int i = 0; i < paragraphs; ++i) {
        s += "<Z S0 >Il testo della pagina ";
        if (i % 3 == 0) s += "<Y y1 >in grassetto<Y y0 > ";
        s += "con un paragrafo ordinario.";
    }
    return s;
}

}  // namespace ovik::bench
