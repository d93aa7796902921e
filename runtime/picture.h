// Picture objects: shared, reference-counted bitmaps and icons that report
// their type, handle and size in HIMETRIC. The object owns its handle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gdi.h"

namespace rt {

enum class PictureType : short { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, EnhMetafile = 4 };

class StdPicture {
public:
    // Takes ownership of the handle. The size is read from the handle.
    static std::shared_ptr<StdPicture> FromBitmap(HBITMAP bitmap);
    static std::shared_ptr<StdPicture> FromIcon(HICON icon);
    // Loads a .bmp, .ico or .cur file; null when the file is not a picture.
    static std::shared_ptr<StdPicture> FromFile(const std::wstring& path);
    // A bitmap or icon resource of a module; null when absent.
    static std::shared_ptr<StdPicture> FromBitmapResource(HINSTANCE module, const wchar_t* name);
    static std::shared_ptr<StdPicture> FromIconResource(HINSTANCE module, const wchar_t* name, int cx = 0,
                                                        int cy = 0);

    StdPicture(const StdPicture&) = delete;
    StdPicture& operator=(const StdPicture&) = delete;

    PictureType Type() const { return type_; }
    HANDLE Handle() const;
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    HICON Icon() const { return icon_ ? icon_.Get() : cursor_.Get(); }  // an icon or a cursor
    long Width() const { return widthHimetric_; }    // HIMETRIC
    long Height() const { return heightHimetric_; }  // HIMETRIC
    int PixelWidth() const { return pixelWidth_; }
    int PixelHeight() const { return pixelHeight_; }

    // The persisted form: the picture's file bytes (.bmp for a bitmap, .ico for an icon).
    std::vector<uint8_t> Save() const;
    // Restores a picture from its persisted form; null when the bytes are not a picture.
    static std::shared_ptr<StdPicture> Load(const std::vector<uint8_t>& bytes);

private:
    StdPicture(PictureType type, int pixelWidth, int pixelHeight);

    PictureType type_;
    gdi::Bitmap bitmap_;
    gdi::Icon icon_;
    gdi::Cursor cursor_;
    // The bytes the picture was loaded from, saved again unchanged so that a
    // stored picture round-trips exactly; empty for pictures made from a handle.
    std::vector<uint8_t> original_;
    int pixelWidth_;
    int pixelHeight_;
    long widthHimetric_;
    long heightHimetric_;
};

using PictureRef = std::shared_ptr<StdPicture>;

}  // namespace rt
