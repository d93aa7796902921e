// Font objects: shared, reference-counted fonts whose attributes can change;
// the GDI font is rebuilt on demand after a change.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "gdi.h"

namespace rt {

class StdFont {
public:
    StdFont() = default;
    StdFont(std::wstring name, float sizePoints, short weight = FW_NORMAL);
    StdFont(const StdFont&) = delete;
    StdFont& operator=(const StdFont&) = delete;

    const std::wstring& Name() const { return name_; }
    float Size() const { return size_; }  // points, single precision
    bool Bold() const { return weight_ >= FW_BOLD; }
    bool Italic() const { return italic_; }
    bool Underline() const { return underline_; }
    bool Strikethrough() const { return strikethrough_; }
    short Weight() const { return weight_; }
    short Charset() const { return charset_; }

    void SetName(const std::wstring& name);
    void SetSize(float points);
    void SetBold(bool bold);  // bold is weight 700, regular 400
    void SetItalic(bool italic);
    void SetUnderline(bool underline);
    void SetStrikethrough(bool strikethrough);
    void SetWeight(short weight);
    void SetCharset(short charset);

    // The GDI font for the current attributes at the DPI in force. Owned by this
    // object: valid until the next attribute change, a change of DPI or the object's end.
    HFONT Handle() const;
    // A new GDI font for the current attributes that the caller owns: for a
    // window that keeps using its font after this object changes.
    HFONT CreateHandle() const;

    // A new, independent object with the same attributes.
    std::shared_ptr<StdFont> Clone() const;
    bool SameAttributes(const StdFont& other) const;

private:
    void Invalidate();

    std::wstring name_ = L"MS Sans Serif";
    float size_ = 8.25f;
    short weight_ = FW_NORMAL;
    short charset_ = 0;
    bool italic_ = false;
    bool underline_ = false;
    bool strikethrough_ = false;
    mutable gdi::Font handle_;  // made on demand, dropped at every change
    mutable int handleDpi_ = 0;  // the DPI handle_ was made for
};

using FontRef = std::shared_ptr<StdFont>;

FontRef MakeFont(const std::wstring& name, float sizePoints, short weight = FW_NORMAL);

}  // namespace rt
