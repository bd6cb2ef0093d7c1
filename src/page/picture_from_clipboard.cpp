#include "page/picture_from_clipboard.h"

#include <span>
#include <system_error>

#include "document/hqv_set.h"
#include "document/output_file.h"

namespace ovik {

namespace fs = std::filesystem;

ClipboardPictureImport::ClipboardPictureImport(THQVset& set, const platform::Clipboard& clipboard)
    : set_(set), clipboard_(clipboard) {}

ClipboardPictureImport::~ClipboardPictureImport() = default;

void ClipboardPictureImport::Open() {
    result_ = nullptr;
    fromBytes_ = toBytes_ = 0;
    metafileBytes_ = -1;
    error_.clear();
    data_ = clipboard_.Get();
    emfEnabled_ = data_.enhancedMetafile.has_value();
    wmfEnabled_ = data_.metafile.has_value();
    metafileAvailable_ = emfEnabled_ || wmfEnabled_;
    format_ = MetafileChoice::Wmf;
    Convert();
}

void ClipboardPictureImport::SetFormat(MetafileChoice f) {
    if (f == MetafileChoice::Emf && !emfEnabled_) return;
    if (f == MetafileChoice::Wmf && !wmfEnabled_) return;
    format_ = f;
    Convert();
}

void ClipboardPictureImport::SetImport(BitmapTarget t) {
    conversion_.as = t;
    Convert();
}

void ClipboardPictureImport::SetQuality(int q) {
    conversion_.quality = q < 0 ? 0 : q > 100 ? 100 : q;
    Convert();
}

void ClipboardPictureImport::SetTransparent(bool t) {
    conversion_.transparent = t;
    Convert();
}

void ClipboardPictureImport::DropTemp() {
    if (temp_.empty()) return;
    std::error_code ec;
    fs::remove(temp_, ec);
    temp_.clear();
}

bool ClipboardPictureImport::Convert() {
    if (converting_) return false;
    converting_ = true;
    DropTemp();
    error_.clear();
    ++conversions_;
    const bool ok = MetafileMode() ? ConvertMetafile() : ConvertBitmap();
    if (!ok) DropTemp();
    converting_ = false;
    return ok;
}

bool ClipboardPictureImport::ConvertBitmap() {
    if (!data_.bitmap) {
        error_ = "Invalid clipboard format";
        return false;
    }
    DecodedPicture bitmap;
    bitmap.format = PictureFormat::Bmp;
    bitmap.width = data_.bitmap->width;
    bitmap.height = data_.bitmap->height;
    bitmap.rgba = data_.bitmap->rgba;
    width_ = bitmap.width;
    height_ = bitmap.height;
    ConvertedBitmap c = ovik::ConvertBitmap(bitmap, conversion_);
    if (!c) {
        error_ = c.error;
        return false;
    }
    temp_ = set_.UniqueTempName(fs::path("tmpclip" + c.extension));
    if (temp_.empty() ||
        !WriteOutputFile(temp_, std::string_view(reinterpret_cast<const char*>(c.data.data()), c.data.size()),
                         error_)) {
        if (error_.empty()) error_ = "no temporary folder";
        return false;
    }
    toBytes_ = int64_t(c.data.size());
    fromBytes_ = metafileBytes_ >= 0 ? metafileBytes_ : int64_t(width_) * int64_t(height_) * 2;
    return true;
}

bool ClipboardPictureImport::ConvertMetafile() {
    // The chosen format when it is offered, else the one that is.
    const bool emf = (format_ == MetafileChoice::Emf && data_.enhancedMetafile) || !data_.metafile;
    const std::string& bytes = emf ? *data_.enhancedMetafile : *data_.metafile;
    std::span<const uint8_t> view(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    PictureResult p = DecodeMetafile(view, emf ? PictureFormat::Emf : PictureFormat::Wmf);
    width_ = p ? p.picture->width : kDefaultMetafileSize;
    height_ = p ? p.picture->height : kDefaultMetafileSize;
    temp_ = set_.UniqueTempName(fs::path(emf ? "tmpClip.emf" : "tmpClip.wmf"));
    if (temp_.empty() || !WriteOutputFile(temp_, bytes, error_)) {
        if (error_.empty()) error_ = "no temporary folder";
        return false;
    }
    metafileBytes_ = int64_t(bytes.size());
    return true;
}

THQVoggetto* ClipboardPictureImport::Ok() {
    if (temp_.empty()) return nullptr;
    const bool transparent = MetafileMode() || conversion_.transparent;
    THQVset::NewOrExisting r = set_.AddPictureData(temp_, transparent, height_, width_);
    if (r.owned) result_ = THQVoggetto::Register(r.owned, -1);
    else result_ = r.object;
    return result_;
}

}  // namespace ovik
