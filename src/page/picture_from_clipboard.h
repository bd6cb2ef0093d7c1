// The picture made from the clipboard (window TFimgFromClip, "Inserisci
// immagine:", tab "Da cartella appunti"), headless: what the window shows and
// enables, the conversion into a temporary file, and the picture object made
// on "&Ok".
//
// A clipboard bitmap is stored as GIF (an optimal palette of at most 256
// colours, the web palette when that fails, "Trasparente" from the lower-left
// pixel) or as JPG ("Qualità:"). A clipboard metafile is stored as it is (WMF
// or EMF), or treated as a bitmap. Every conversion deletes the temporary file
// of the previous one, so only the last is added.
//
//   ClipboardPictureImport w(set, clipboard);
//   w.Open();                          // reads the clipboard, converts once
//   w.SetImport(BitmapTarget::Jpeg);   // converts again
//   THQVoggetto* pic = w.Ok();         // the new picture object (registered)
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "document/bitmap_conversion.h"
#include "platform/clipboard.h"

namespace ovik {

class THQVset;
class THQVoggetto;

enum class MetafileChoice : uint8_t { Emf, Wmf, Bitmap };

class ClipboardPictureImport {
public:
    // The caption of the chosen metafile format turns red above this size.
    static constexpr int64_t kLargeMetafile = 100000;

    ClipboardPictureImport(THQVset& set, const platform::Clipboard& clipboard);
    ~ClipboardPictureImport();

    // Resets the labels and the result, reads the clipboard's formats, enables
    // "EMF" and "WMF" by what it offers, checks "WMF", and converts once.
    void Open();

    // --- choices (each converts again) ----------------------------------------------------------
    void SetFormat(MetafileChoice f);
    void SetImport(BitmapTarget t);
    void SetQuality(int q);
    void SetTransparent(bool t);

    bool MetafileAvailable() const { return metafileAvailable_; }
    bool EmfEnabled() const { return emfEnabled_; }
    bool WmfEnabled() const { return wmfEnabled_; }
    MetafileChoice Format() const { return format_; }
    BitmapTarget Import() const { return conversion_.as; }
    int Quality() const { return conversion_.quality; }
    bool Transparent() const { return conversion_.transparent; }
    // Metafile mode: a metafile is offered and "bitmap" is not chosen.
    bool MetafileMode() const { return metafileAvailable_ && format_ != MetafileChoice::Bitmap; }
    bool QualityEnabled() const { return conversion_.as == BitmapTarget::Jpeg; }
    bool TransparentEnabled() const { return conversion_.as == BitmapTarget::Gif; }

    // --- what the window shows -----------------------------------------------------------------
    // The clipboard's content as read by Open (the source preview).
    const platform::ClipboardData& Source() const { return data_; }
    const std::filesystem::path& TempFile() const { return temp_; }
    int SourceWidth() const { return width_; }
    int SourceHeight() const { return height_; }
    // "Da:" (estimated source size), "A:" (converted file), "Bytes:" (metafile file).
    int64_t FromBytes() const { return fromBytes_; }
    int64_t ToBytes() const { return toBytes_; }
    int64_t MetafileBytes() const { return metafileBytes_; }
    // The chosen metafile format's caption is red (the file is large).
    bool CaptionRed() const { return MetafileMode() && metafileBytes_ > kLargeMetafile; }
    // Why the last conversion failed; empty when it worked.
    const std::string& Error() const { return error_; }
    // How many conversions ran (each replaces the temporary file).
    int Conversions() const { return conversions_; }

    // "&Ok": the temporary file added to the set as a picture of the source's
    // size (transparent in metafile mode, and with "Trasparente"); null when
    // nothing was converted. The object is the window's result.
    THQVoggetto* Ok();
    THQVoggetto* Result() const { return result_; }

private:
    bool Convert();
    bool ConvertBitmap();
    bool ConvertMetafile();
    void DropTemp();

    THQVset& set_;
    const platform::Clipboard& clipboard_;
    platform::ClipboardData data_;
    bool metafileAvailable_ = false, emfEnabled_ = false, wmfEnabled_ = false;
    MetafileChoice format_ = MetafileChoice::Wmf;
    BitmapConversion conversion_;
    bool converting_ = false;
    std::filesystem::path temp_;
    int width_ = 0, height_ = 0;
    int64_t fromBytes_ = 0, toBytes_ = 0, metafileBytes_ = -1;
    std::string error_;
    int conversions_ = 0;
    THQVoggetto* result_ = nullptr;
};

}  // namespace ovik
