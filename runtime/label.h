// A label: a caption in its own font and colour, usually on a transparent
// background over the container's picture, optionally sized to its text, with
// its own mouse pointer and a Click event. Labels never take the focus; their
// access key moves it to the next control in tab order.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "basewindow.h"
#include "control.h"
#include "press.h"
#include "font.h"
#include "picture.h"

namespace rt {

class Label : public Control, private BaseWindow<Label> {
public:
    Label() = default;
    ~Label() override = default;

    bool Create(Container& container, const std::wstring& name, int x, int y, int width, int height);
    HWND hWnd() const override { return Window(); }

    std::function<void()> Click;

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    FontRef Font() const { return font_; }
    void SetFont(FontRef font);
    long ForeColor() const { return foreColor_; }  // OLE colours
    void SetForeColor(long oleColour);
    long BackColor() const { return backColor_; }
    void SetBackColor(long oleColour);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // 0: the default arrow; 99: MouseIcon.
    short MousePointer() const { return mousePointer_; }
    void SetMousePointer(short pointer) { mousePointer_ = pointer; }
    PictureRef MouseIcon() const { return mouseIcon_; }
    void SetMouseIcon(PictureRef icon) { mouseIcon_ = std::move(icon); }
    void Move(int x, int y, int width, int height);

    std::wstring AccessKeys() const override;

    // The size the caption needs in the label's font (pixels).
    SIZE TextSize() const;

    // A label that answers clicks is a link to an accessibility client.
    AccessibleFacts Describe() const override;
    void DoDefaultAction() override;

private:
    friend class BaseWindow<Label>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnButtonUp(int x, int y);
    bool OnSetCursor();
    void ApplyAutoSize();
    void Repaint();

    std::wstring caption_;
    FontRef font_;
    long foreColor_ = static_cast<long>(0x80000012);  // button text
    long backColor_ = static_cast<long>(0x8000000F);  // button face
    bool transparent_ = true;
    bool autoSize_ = false;
    short mousePointer_ = 0;
    PictureRef mouseIcon_;
    PressTracker press_;
};

}  // namespace rt
