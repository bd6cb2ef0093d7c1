// Random box markup for fixed-point and robustness tests: well-formed pieces
// mixed with the malformed ones readers meet (cut tags, stray bytes, unknown
// entities, items out of order, huge numbers).
#pragma once

#include <random>
#include <string>

namespace ovik::testing {

class MarkupGenerator {
public:
    explicit MarkupGenerator(uint32_t seed) : rng_(seed) {}

    std::string Page(int pieces, bool hostile) {
        std::string out = ParagraphTag();
        for (int i = 0; i < pieces; ++i) out += Piece(hostile);
        return out;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    std::string Number() {
        switch (Pick(6)) {
            case 0: return "-" + std::to_string(Pick(100));
            case 1: return std::to_string(Pick(100000));
            case 2: return "99999999999";
            default: return std::to_string(Pick(40));
        }
    }
    std::string Hex(int n) {
        static const char* d = "0123456789ABCDEFabcdefXZ";
        std::string s;
        for (int i = 0; i < n; ++i) s += d[Pick(Pick(8) == 0 ? 24 : 16)];
        return s;
    }
    std::string Face() {
        static const char* faces[] = {"Arial", "Times New Roman", "Courier New",
                                      "A very long face name indeed", "x>y", ""};
        return std::string("F\"") + faces[Pick(6)] + "\" ";
    }
    std::string ParagraphTag() {
        std::string t = "<Z S" + std::to_string(Pick(4)) + " ";
        static const char* keys = "cFsypPANMLIlrtbCSY";
        for (int k = 0; k < 18; ++k) {
            if (Pick(4) != 0) continue;
            char key = keys[Pick(6) == 0 ? Pick(18) : k];  // now and then out of order
            if (key == 'F') t += Face();
            else if (key == 'c' || key == 'C') t += std::string(1, key) + Hex(6) + " ";
            else t += std::string(1, key) + Number() + " ";
        }
        return t + ">";
    }
    std::string FontTag() {
        std::string t = "<Y ";
        static const char* keys = "cFsigyp";
        for (int k = 0; k < 7; ++k) {
            if (Pick(3) != 0) continue;
            char key = keys[k];
            if (key == 'F') t += Face();
            else if (key == 'c') t += "c" + Hex(6) + " ";
            else t += std::string(1, key) + Number() + " ";
        }
        return t + ">";
    }
    std::string Text() {
        static const char* words[] = {"alpha", "beta ", "caf\xE9", "\"q\"", " ", "x",
                                      "&amp;", "&lt;", "&gt;", "&eacute;", "&#65;", "&nbsp;"};
        return words[Pick(12)];
    }
    std::string Piece(bool hostile) {
        int n = Pick(hostile ? 24 : 12);
        switch (n) {
            case 0:
            case 1:
            case 2:
            case 3: return Text();
            case 4: return FontTag();
            case 5: return "<$" + std::string(Pick(2) ? "00" : "03") + Hex(6) + ">";
            case 6: return "<%>";
            case 7: return Pick(3) == 0 ? ParagraphTag() : Text();
            case 8: return "<$FF00000" + std::to_string(Pick(3)) + ">";
            case 9: return "<$6F00000" + std::to_string(Pick(3)) + ">";
            case 10: return "<B>";
            case 11: return "<D>skip<d>";
            // Hostile pieces.
            case 12: return "&xyz;";
            case 13: return "&#1234;";
            case 14: return std::string(1, char(1 + Pick(31)));
            case 15: return "<Z S" + Number();
            case 16: return "<Y s" + Number() + Number();
            case 17: return "<Y F\"unclosed";
            case 18: return "<$12";
            case 19: return "<";
            case 20: return "&";
            case 21: return "<R>";
            case 22: return "<Z >";
            default: return std::string(1, char(Pick(256)));
        }
    }

    std::mt19937 rng_;
};

}  // namespace ovik::testing
