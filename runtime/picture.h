// Picture objects: shared, reference-counted bitmaps and icons that report
// their type, handle and size in HIMETRIC. The object owns its GDI handle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

    ~StdPicture();
    StdPicture(const StdPicture&) = delete;
    StdPicture& operator=(const StdPicture&) = delete;

    PictureType Type() const { return type_; }
    HANDLE Handle() const { return handle_; }
    HBITMAP Bitmap() const { return type_ == PictureType::Bitmap ? static_cast<HBITMAP>(handle_) : nullptr; }
    HICON Icon() const { return type_ == PictureType::Icon ? static_cast<HICON>(handle_) : nullptr; }
    long Width() const { return widthHimetric_; }    // HIMETRIC
    long Height() const { return heightHimetric_; }  // HIMETRIC
    int PixelWidth() const { return pixelWidth_; }
    int PixelHeight() const { return pixelHeight_; }

    // The persisted form: the picture's file bytes (.bmp for a bitmap, .ico for an icon).
    std::vector<uint8_t> Save() const;
    // Restores a picture from its persisted form; null when the bytes are not a picture.
    static std::shared_ptr<StdPicture> Load(const std::vector<uint8_t>& bytes);

private:
    StdPicture(PictureType type, HANDLE handle, int pixelWidth, int pixelHeight);
    static std::shared_ptr<StdPicture> FromIconHandle(HICON icon, bool cursor);

    PictureType type_;
    HANDLE handle_;
    bool cursor_ = false;
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
