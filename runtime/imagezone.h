// An image zone: a see-through window over its container that holds a picture
// (drawn at its top-left, if any), has a tool tip and reports the mouse. A zone
// placed out of its container's sight (a store of pictures) has no window until
// it comes into sight: a window costs the start-up more than the picture.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "basewindow.h"
#include "control.h"
#include "press.h"
#include "picture.h"

namespace rt {

class ImageZone : public Control, private BaseWindow<ImageZone> {
public:
    ImageZone() = default;
    ~ImageZone() override = default;

    bool Create(Container& container, const std::wstring& name, int x, int y, int width, int height);
    HWND hWnd() const override { return Window(); }
    // Its place in the container's client area, window or not.
    RECT Bounds() const;
    // Makes the window once the container's client area has grown over the zone.
    void ShowIfInSight();

    // Click: left button pressed and released over the zone. Button, shift and
    // x, y (pixels) as for forms.
    std::function<void()> Click;
    std::function<void(short button, short shift, float x, float y)> MouseDown;
    std::function<void(short button, short shift, float x, float y)> MouseMove;

    PictureRef Picture() const { return picture_; }
    void SetPicture(PictureRef picture);
    std::wstring ToolTipText() const { return toolTip_; }
    void SetToolTipText(const std::wstring& text);
    void Move(int x, int y, int width, int height);

    // A zone that answers clicks is a push button named by its tool tip.
    AccessibleFacts Describe() const override;
    void DoDefaultAction() override;

private:
    friend class BaseWindow<ImageZone>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnButtonDown(short button, WPARAM wParam, int x, int y);
    void OnButtonUp(short button, int x, int y);
    bool InSight() const;
    bool MakeWindow();

    RECT bounds_{};  // while windowless
    PictureRef picture_;
    std::wstring toolTip_;
    PressTracker press_;
};

}  // namespace rt
