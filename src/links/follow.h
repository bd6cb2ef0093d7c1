// Following links: what happens when the reader or the author activates a link
// of a text span, a click zone, a button or a link-launcher marker.
//
// The follower is application logic without widgets. It asks its questions
// through platform::Messages, reaches the desktop through platform::Shell and
// asks the editor for the rest (show a page, open another hypertext, open a
// window) through a FollowHost.
//
// Safety: a document never runs a program, nor has the desktop open a file or
// an unusual address, without the user's consent. "prog:" links and embedded
// files ask first (default No); files of types that run code when the desktop
// opens them are never handed to it. Programs get an argument list, never a
// shell command line; a link's parameters reach them only as the content of a
// parameters file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "links/link_objects.h"

namespace ovik {
class THQVset;
class THQVoggetto;
namespace platform {
class Messages;
class Shell;
class SettingsStore;
}  // namespace platform
}  // namespace ovik

namespace ovik::links {

// What activated a link.
enum class LinkSender { TextBox, PlacedObject, Zone, FrameSet, Page };

// What the follower asks of the editor.
class FollowHost {
public:
    virtual ~FollowHost() = default;
    virtual bool Preview() const = 0;      // the view is read-only: links are followed
    virtual bool Closing() const { return false; }
    virtual int32_t ShownPage() const = 0;  // -1 when no page is shown
    // The view has unsaved changes to the shown page; StorePage stores them.
    virtual bool PageModified() const { return false; }
    virtual void StorePage() {}
    // A page-local identifier (a link of the page being edited) resolved in the
    // context of the shown page; null when the host has no such link.
    virtual THQVoggetto* ResolveLocal(int32_t /*id*/) { return nullptr; }

    // Shows page `page` of the open hypertext in the editing view and jumps to
    // `anchor` (-1: none).
    virtual void ShowPage(int32_t page, int32_t anchor) = 0;
    // The frame that holds the sender shows the page (a page shown alone: the view).
    virtual void ShowInSenderFrame(int32_t page, int32_t anchor, uint8_t /*mode*/) { ShowPage(page, anchor); }
    // Actions 1 to 4 of a special link (named frame, separate window, new
    // browser, popup). False when the host has no frames or windows: the
    // target is then followed in the view.
    virtual bool ShowInWindow(const SpecialLink& /*s*/, THQVoggetto& /*target*/) { return false; }
    virtual bool JumpToAnchor(int32_t anchor) = 0;
    // Opens a hypertext file (the document controller's opening); with
    // `askSave` the host asks about unsaved changes first. False when nothing
    // was opened.
    virtual bool OpenHypertext(const std::filesystem::path& file, bool askSave) = 0;
    virtual void NewHypertext() = 0;
    virtual bool SaveHypertext() = 0;
    // Edit mode: the album on its external-links tab, at `address`.
    virtual void ShowExternalLinks(THQVoggetto& address) = 0;
    // The window "Collegamento a file" for an embedded file.
    virtual void ShowEmbeddedFile(THQVoggetto& file) = 0;
    virtual void ShowKeywordSearch() = 0;
    virtual void HideMainWindow() = 0;
    virtual void CloseNamedWindow(const std::string& /*lowerName*/) {}
    // "Auto import": the user picks another file for a missing one (empty: none),
    // and the import window opens for a file.
    virtual std::filesystem::path ChooseOtherFile(const std::filesystem::path& /*missing*/) { return {}; }
    virtual void ImportFile(const std::filesystem::path& /*file*/) {}
};

// File types that run code when the desktop opens them ("sh", "desktop", ...);
// `ext` with or without its dot, any case.
bool RunsCode(std::string_view ext);

class LinkFollower {
public:
    LinkFollower(THQVset& set, FollowHost& host, platform::Messages& messages, platform::Shell& shell,
                 const platform::SettingsStore* settings);

    // The link event of the editing view. `senderPage` is the number of the page
    // that holds the link (its hypertext is the open one).
    void FollowLink(LinkSender sender, THQVoggetto* target, int32_t senderPage);
    void FollowObject(THQVoggetto& o, int32_t anchor);
    void FollowSpecialLink(THQVoggetto& s, int32_t senderPage, LinkSender sender = LinkSender::TextBox);
    void OpenOtherHypertext(std::string_view address);
    void RunProgram(std::string_view address, const THQVoggetto& link);
    // Shows the "Collegamento a file" window for an embedded file.
    void OpenEmbeddedFile(THQVoggetto& o);
    // Extracts an embedded file and hands it to the desktop: refused for types
    // that run code; asks first unless the user already chose to open it
    // (`confirmed`). True when the desktop was asked.
    bool OpenEmbeddedWithDesktop(THQVoggetto& o, bool confirmed);

    // Set while a link is being followed: the page changes it causes go to the history.
    bool Following() const { return following_ > 0; }

private:
    THQVoggetto* Resolve(int32_t id);
    void OpenAddress(THQVoggetto& o);
    bool AskSaveBeforeLoading();

    THQVset& set_;
    FollowHost& host_;
    platform::Messages& messages_;
    platform::Shell& shell_;
    const platform::SettingsStore* settings_;
    int following_ = 0;
    int depth_ = 0;
};

// Texts of the follower's own questions and messages.
std::string RunProgramQuestion(const std::string& program, const std::string& paramsFile);
std::string OpenParamsQuestion(const std::string& fileType, const std::string& paramsFile);
std::string OpenAddressQuestion(const std::string& address);
std::string OpenFileQuestion(const std::string& file);
std::string RefusedTypeMessage(const std::string& file);

}  // namespace ovik::links
