// THQVconv: the common base of every converter between a hypertext and an
// outside format (plain text, RTF, HTML).
//
// A converter is linked to a set; it exports pages (read from their box markup)
// into files, imports files as new pages, and converts clipboard fragments. It
// reports progress per item through OnExpProgress with a phase number:
// 0 = preparing pages, 1 = main pages or imported files, 2 = secondary pages,
// 3 = copying pictures and files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace ovik {

class THQVset;
class THQVoggetto;
class THQVtesto;

enum ExportPhase : int32_t {
    kPhasePreparing = 0,
    kPhaseMain = 1,
    kPhaseSecondary = 2,
    kPhaseCopying = 3,
};

// What an import did, for the user: how many pages it made, what it had to
// change in the text and which files it left out and why.
struct ImportReport {
    int32_t pagesMade = 0;
    // Characters Windows-1252 cannot hold, replaced by the closest one or "?".
    size_t replacedCharacters = 0;
    // NUL and other control characters page text cannot hold, dropped.
    size_t droppedControls = 0;
    // Files not imported, with one message each (naming the file) in `messages`.
    std::vector<std::filesystem::path> skippedFiles;
    std::vector<std::string> messages;

    void Skip(const std::filesystem::path& file, std::string message);
    // The report as lines for the user (the skipped files' messages, then the
    // changed characters); empty when the import went through untouched.
    std::vector<std::string> Lines() const;
};

class THQVconv {
public:
    using TMyExpProgressEvent =
        std::function<void(THQVconv& sender, int32_t pag, int32_t tot, int32_t phase)>;

    explicit THQVconv(THQVset* set = nullptr);
    virtual ~THQVconv();

    uint16_t Language = 1040;
    TMyExpProgressEvent OnExpProgress;
    THQVset* LinkedHQVset = nullptr;
    THQVtesto* CurrentPageText = nullptr;
    // Objects of a fragment (identifiers with high byte 0xFF index this list).
    std::vector<std::unique_ptr<THQVoggetto>>* FragmentObjects = nullptr;
    std::filesystem::path ExportFileName;
    std::string ExportPrefix;
    std::filesystem::path ExportPath;
    int32_t ImportBackColor = 0xFFFFFF;
    THQVoggetto* ImportBackPicture = nullptr;
    // Set when the last operation failed, with the reason for the user.
    std::string LastError;
    // What the last ImportFiles did.
    ImportReport Report;

    // Converts a box-markup fragment (ending with a zero byte) into the format,
    // appended to `target`.
    virtual void ConvertFragment(const Bytes& source, Bytes& target) = 0;
    // Exports the listed pages into ExportFileName. False when the output
    // cannot be written (LastError says why). The output is never the linked
    // hypertext's file, a file being read or one another program keeps locked,
    // and it replaces an old file only once it is complete (OutputFile).
    virtual bool ExportPages(const std::vector<int32_t>& pages) = 0;
    virtual bool ExportPage(int32_t page) = 0;
    // Imports each file as new pages; the number of the first page created, or
    // a negative value when nothing usable was imported.
    virtual int32_t ImportFiles(const std::vector<std::filesystem::path>& files, int mode) = 0;
    // Turns clipboard data of the format into a box-markup fragment with the
    // fragment header.
    virtual void ImportFragment(const Bytes& source, Bytes& target, bool asCode, int32_t style) = 0;

    // ExportPrefix when set, else the set's export prefix.
    std::string ExportPrefixOf() const;
    // A new, registered page with the import background.
    THQVtesto* NewImportPage();
    // The object an identifier names: 0x6F = an object of the current page
    // text, 0xFF = an entry of FragmentObjects, else an object of the set.
    THQVoggetto* ResolveId(int32_t id) const;

protected:
    void Progress(int32_t pag, int32_t tot, int32_t phase) {
        if (OnExpProgress) OnExpProgress(*this, pag, tot, phase);
    }
};

// The status-line text of a progress call.
std::string ExportProgressText(int32_t pag, int32_t tot, int32_t phase);

}  // namespace ovik
