#include "font.h"

#include "units.h"

namespace rt {

StdFont::StdFont(std::wstring name, float sizePoints, short weight)
    : name_(std::move(name)), size_(sizePoints), weight_(weight) {}

void StdFont::Invalidate() { handle_ = gdi::Font(); }

void StdFont::SetName(const std::wstring& name) { name_ = name; Invalidate(); }
void StdFont::SetSize(float points) { size_ = points; Invalidate(); }
void StdFont::SetBold(bool bold) { weight_ = bold ? FW_BOLD : FW_NORMAL; Invalidate(); }
void StdFont::SetItalic(bool italic) { italic_ = italic; Invalidate(); }
void StdFont::SetUnderline(bool underline) { underline_ = underline; Invalidate(); }
void StdFont::SetStrikethrough(bool strikethrough) { strikethrough_ = strikethrough; Invalidate(); }
void StdFont::SetWeight(short weight) { weight_ = weight; Invalidate(); }
void StdFont::SetCharset(short charset) { charset_ = charset; Invalidate(); }

HFONT StdFont::Handle() const {
    if (handle_ && handleDpi_ != ScreenDpiY()) handle_ = gdi::Font();
    if (!handle_) {
        handleDpi_ = ScreenDpiY();
        handle_ = gdi::Font(CreateHandle());
    }
    return handle_.Get();
}

HFONT StdFont::CreateHandle() const {
    const int dpi = ScreenDpiY();
    LOGFONTW lf{};
    // Negative height: the character height (not the cell) in pixels.
    lf.lfHeight = -RoundHalfEven(static_cast<double>(size_) * dpi / 72.0);
    lf.lfWeight = weight_;
    lf.lfItalic = italic_;
    lf.lfUnderline = underline_;
    lf.lfStrikeOut = strikethrough_;
    lf.lfCharSet = static_cast<BYTE>(charset_);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

std::shared_ptr<StdFont> StdFont::Clone() const {
    auto copy = std::make_shared<StdFont>(name_, size_, weight_);
    copy->charset_ = charset_;
    copy->italic_ = italic_;
    copy->underline_ = underline_;
    copy->strikethrough_ = strikethrough_;
    return copy;
}

bool StdFont::SameAttributes(const StdFont& o) const {
    return name_ == o.name_ && size_ == o.size_ && weight_ == o.weight_ && charset_ == o.charset_ &&
           italic_ == o.italic_ && underline_ == o.underline_ && strikethrough_ == o.strikethrough_;
}

FontRef MakeFont(const std::wstring& name, float sizePoints, short weight) {
    return std::make_shared<StdFont>(name, sizePoints, weight);
}

}  // namespace rt
