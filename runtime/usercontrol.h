// The user-control surface: a child window with a persistent image (a 32-bit
// DIB section shown on every repaint), its own font, pointer, access keys and
// enabled state, the host's ambient properties, and the notifications a
// control built on it receives.
#pragma once

#include <windows.h>

#include <string>

#include "control.h"
#include "font.h"
#include "picture.h"
#include "propertybag.h"

namespace rt {

// Notifications the surface delivers to the control built on it, one at a time
// on the window thread. Arguments are by reference where the control may change them.
class UserControlEvents {
public:
    virtual ~UserControlEvents() = default;
    virtual void Initialize() = 0;
    virtual void InitProperties() = 0;
    virtual void ReadProperties(PropertyBag& bag) = 0;
    virtual void WriteProperties(PropertyBag& bag) = 0;
    virtual void AmbientChanged(const std::wstring& propertyName) = 0;
    virtual void Resize() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void Terminate() = 0;
    virtual void GotFocus() = 0;
    virtual void LostFocus() = 0;
    // Button: 1 left, 2 right, 4 middle. Shift: 1 Shift, 2 Ctrl, 4 Alt. X, Y in pixels.
    virtual void MouseDown(short& button, short& shift, float& x, float& y) = 0;
    virtual void MouseMove(short& button, short& shift, float& x, float& y) = 0;
    virtual void MouseUp(short& button, short& shift, float& x, float& y) = 0;
    virtual void Click() = 0;
    virtual void DblClick() = 0;
    virtual void KeyDown(short& keyCode, short& shift) = 0;
    virtual void KeyUp(short& keyCode, short& shift) = 0;
    virtual void KeyPress(short& keyAscii) = 0;
    virtual void AccessKeyPress(short& keyAscii) = 0;
};

class UserControl : public Control {
public:
    explicit UserControl(UserControlEvents& events);
    ~UserControl() override;  // raises Terminate, destroys the window
    UserControl(const UserControl&) = delete;
    UserControl& operator=(const UserControl&) = delete;

    // Creates the child window inside the container (pixels, container's client
    // coordinates), visible, and raises Initialize.
    bool Create(Container& container, const std::wstring& name, int x, int y, int width, int height);
    void Destroy();

    HWND hWnd() const override { return hwnd_; }

    // The persistent image and its device context (font selected, transparent text
    // background, hollow brush). Drawing goes here; WM_PAINT copies it to the screen.
    HDC hDC() const;
    void Cls();  // fills the image with BackColor
    COLORREF BackColor() const { return backColor_; }
    void SetBackColor(COLORREF colour) { backColor_ = colour; }

    int ScaleWidth() const;   // client width, pixels
    int ScaleHeight() const;  // client height, pixels
    double ScaleX(double himetric) const;  // HIMETRIC -> pixels, unrounded
    double ScaleY(double himetric) const;

    // Size and place within the container, in pixels; a change raises Resize.
    void Move(int x, int y, int width, int height);
    void SetSize(int width, int height);
    // Visibility; a change raises Show or Hide.
    void SetVisible(bool visible);
    bool Visible() const;

    FontRef Font() const { return font_; }
    void SetFont(FontRef font);  // by reference; selected into hDC
    short MousePointer() const { return mousePointer_; }
    void SetMousePointer(short pointer);  // 0 default, 99 MouseIcon, else a standard pointer
    PictureRef MouseIcon() const { return mouseIcon_; }
    void SetMouseIcon(PictureRef icon);
    std::wstring AccessKeys() const override { return accessKeys_; }
    void SetAccessKeys(const std::wstring& keys);
    bool Enabled() const;
    void SetEnabled(bool enabled);  // a disabled window gets no mouse or keyboard input

    bool CanTakeFocus() const override;
    void OnAccessKey(short keyAscii) override;                   // raises AccessKeyPress
    void OnAmbientChanged(const std::wstring& name) override;    // raises AmbientChanged

    // Ambient properties of the host (the container chain up to the form).
    std::wstring AmbientDisplayName() const { return Name(); }
    FontRef AmbientFont() const;
    COLORREF AmbientForeColor() const;  // an OLE colour
    bool AmbientUserMode() const;
    bool AmbientDisplayAsDefault() const;

    // Tells the host that a stored property changed, so that it saves the bag again.
    void PropertyChanged(const std::wstring& key);

    // Host side of persistence: raises InitProperties, ReadProperties or WriteProperties.
    void InitProperties();
    void ReadProperties(PropertyBag& bag);
    void WriteProperties(PropertyBag& bag);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    UserControlEvents& events_;
    HWND hwnd_ = nullptr;
    COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
    FontRef font_;
    short mousePointer_ = 0;
    PictureRef mouseIcon_;
    std::wstring accessKeys_;
    struct Image;  // the DIB section behind hDC
    Image* image_ = nullptr;
};

}  // namespace rt
