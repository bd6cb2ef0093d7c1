// The 27 object kinds of a hypertext, their record sizes, free markers and the
// places of their variable streams in the object record.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ovik {

enum TOggettiHel : uint8_t {
    testoHtml = 0,
    internetLink = 1,
    zipLink = 2,
    genLink = 3,
    keyword = 4,
    immagine = 5,
    mappaClic = 6,
    programma = 7,
    tabellaHtml = 8,
    mappaFrame = 9,
    speclink = 10,
    shortObj = 11,
    custom = 12,
    dbloc = 13,
    spazio4 = 14,
    spazio5 = 15,
    immagineNew = 16,
    stileParagrafo = 17,
    fontFace = 18,
    formato = 19,
    inputStat = 20,
    inputDin = 21,
    bottoneCGI = 22,
    inizioForm = 23,
    multiMedia = 24,
    none = 25,
    testoHtmlRtf = 26,
};

inline constexpr int kKindCount = 27;         // kinds 0..26
inline constexpr int kWrittenHighestKind = 25;  // files list kinds 0..25
inline constexpr size_t kObjectRecordSize = 668;
inline constexpr size_t kHeaderSize = 1978;
inline constexpr int32_t kMaxObjectNumber = 0xFFFFFF;

// Identifier high bytes that are not kinds.
inline constexpr uint8_t kPageLocalKind = 0x6F;   // page-local link, by list index
inline constexpr uint8_t kFragmentKind = 0xFF;    // fragment object / control index

// Bytes of the object record each kind stores in a file.
inline constexpr int32_t kRecordSize[kKindCount] = {
    292, 133, 93, 93, 80, 667, 667, 465, 220, 112, 47, 28, 80, 67,
    0,   0,   553, 103, 38, 75, 192, 460, 203, 364, 46, 0,  0};

// Where a kind keeps its streams in the record: offsets of content position and
// length, the width of the length field (4, or 2 for tables), and of wrapper
// position and length. -1 = the kind has no such stream.
struct StreamFields {
    int contentPos = -1;
    int contentLen = -1;
    int contentLenWidth = 4;
    int wrapperPos = -1;
    int wrapperLen = -1;
};

constexpr StreamFields StreamFieldsOf(uint8_t kind) {
    switch (kind) {
        case testoHtml: return {0, 185, 4, 239, 243};
        case zipLink:
        case genLink: return {0, 85, 4, -1, -1};
        case immagine:
        case mappaClic: return {0, 174, 4, -1, -1};
        case tabellaHtml: return {0, 85, 2, 58, 62};
        case mappaFrame: return {0, 85, 4, -1, -1};
        case speclink: return {0, 5, 4, 39, 43};
        case shortObj: return {0, 13, 4, 20, 24};
        case custom: return {0, 13, 4, 72, 76};
        case dbloc: return {0, 13, 4, 38, 42};
        case immagineNew: return {-1, -1, 4, 61, 65};
        case inputStat: return {0, 13, 4, 184, 188};
        case inputDin: return {0, 13, 4, 452, 456};
        case bottoneCGI: return {-1, -1, 4, 195, 199};
        case inizioForm: return {-1, -1, 4, 356, 360};
        case multiMedia: return {0, 13, 4, 38, 42};
        default: return {};
    }
}

// Pictures and embedded files keep their bytes in the open file until used.
constexpr bool ContentStaysInFile(uint8_t kind) {
    return kind == zipLink || kind == genLink || kind == immagine || kind == mappaClic;
}

// Frame layouts carry a layout block before their content.
inline constexpr int kFrameLayoutBlockLen = 97;
inline constexpr int kFrameLayoutBlockPos = 101;

inline constexpr int32_t MakeId(uint8_t kind, int32_t number) {
    return int32_t((uint32_t(kind) << 24) | (uint32_t(number) & 0xFFFFFFu));
}
inline constexpr uint8_t IdKind(int32_t id) { return uint8_t(uint32_t(id) >> 24); }
inline constexpr int32_t IdNumber(int32_t id) { return int32_t(uint32_t(id) & 0xFFFFFFu); }

const char* KindName(uint8_t kind);

}  // namespace ovik
