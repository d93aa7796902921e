// The user-control surface: a child window with a persistent image (a 32-bit
// DIB section shown on every repaint), its own font, pointer, access keys and
// enabled state, the host's ambient properties, and the notifications a
// control built on it receives.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include <ole2.h>

#include "basewindow.h"
#include "control.h"
#include "dibimage.h"
#include "dragdrop.h"
#include "font.h"
#include "gdi.h"
#include "handles.h"
#include "picture.h"
#include "press.h"
#include "propertybag.h"

namespace rt {

// Notifications the surface delivers to the control built on it, one at a time
// on the window thread. Arguments are by reference where the control may change them.
//
// Order of the mouse notifications: a left click gives MouseDown, MouseUp, Click;
// a double click gives MouseDown, MouseUp, Click, DblClick, MouseUp (the second
// press raises DblClick only). A button released away from the control gives
// MouseUp and no Click. Right and middle clicks also give Click.
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
    // Drag and drop (see SetOLEDropMode and OLEDrag). State: 0 enter, 1 leave, 2 over.
    virtual void OLEDragOver(IDataObject* data, long& effect, short& button, short& shift, float& x, float& y,
                             short& state) = 0;
    virtual void OLEDragDrop(IDataObject* data, long& effect, short& button, short& shift, float& x,
                             float& y) = 0;
    virtual void OLECompleteDrag(long& effect) = 0;
};

class SurfaceDropTarget;

class UserControl : public Control, private BaseWindow<UserControl> {
public:
    // The designed client size of a new surface, in pixels.
    static constexpr int DesignWidth = 73;
    static constexpr int DesignHeight = 23;

    explicit UserControl(UserControlEvents& events);
    // Destroys the window (raising Terminate) if the owner has not done so. An
    // owner that implements the events should call Destroy from its own
    // destructor, while its state is still whole.
    ~UserControl() override;
    UserControl(const UserControl&) = delete;
    UserControl& operator=(const UserControl&) = delete;

    // Creates the child window inside the container (pixels, container's client
    // coordinates) and raises Initialize, then Resize, then shows the window
    // (Show). Sets the control's Name and Parent. False when the window could not
    // be made or the surface already has one.
    bool Create(Container& container, const std::wstring& name, int x, int y, int width, int height);
    // Destroys the window; Terminate is raised while the window still exists.
    // Terminate is also raised when the window goes with its parent.
    void Destroy();

    HWND hWnd() const override { return Window(); }

    // The persistent image and its device context (font selected, transparent text
    // background, hollow brush). Drawing goes here; WM_PAINT copies it to the screen.
    // Each call also selects the font again if the font object's attributes have
    // changed since the last selection, so a control picks up such changes by
    // asking for the DC before it draws.
    HDC hDC() const;
    // Fills the image with FillColor and schedules a repaint of the window, so
    // what is drawn after it shows at the next WM_PAINT.
    void Cls();
    long FillColor() const { return fillColor_; }  // an OLE colour
    void SetFillColor(long colour) { fillColor_ = colour; }
    // The image's pixels (flushes pending drawing first).
    PixelView Pixels() const;

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

    // The setters below are virtual so that a control built on the surface can
    // add to them (repaint, notify its host) and still mean the same thing; the
    // surface's own part of each is SetSurfaceFont and its siblings below.
    FontRef Font() const { return font_; }
    virtual void SetFont(FontRef font) { SetSurfaceFont(std::move(font)); }
    long MousePointer() const { return mousePointer_; }
    virtual void SetMousePointer(long pointer) { SetSurfacePointer(pointer); }
    PictureRef MouseIcon() const { return mouseIcon_; }
    virtual void SetMouseIcon(PictureRef icon) { SetSurfaceMouseIcon(std::move(icon)); }
    // Shows the pointer now, if the cursor is over the window.
    void ShowPointer();
    // The mouse held for a key press of the control's own, and let go; the
    // surface's press tracking owns the capture.
    void HoldMouse() { press_.Hold(Window()); }
    void FreeMouse() { press_.Free(Window()); }
    std::wstring AccessKeys() const override { return accessKeys_; }
    void SetAccessKeys(const std::wstring& keys);  // kept in lower case
    // Enabled is the window's own state: a disabled window gets no mouse or keyboard input.

    // Takes part in the form's default and cancel handling like a button: while
    // it has the focus, Enter goes to it (as OnAccessKey 13). The surface exists
    // for buttons.
    bool ActsOnEnter() const override { return true; }

    // Drop handling: 0 none, 1 manual (drops raise OLEDragOver and OLEDragDrop).
    short OLEDropMode() const { return oleDropMode_; }
    void SetOLEDropMode(short mode);  // another number raises error 380
    // Starts a drag of `data` from the control and raises OLECompleteDrag with
    // the effect the drop had (0 when cancelled).
    void OLEDrag(IDataObject* data, DWORD allowedEffects);

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
    void InitNew();
    void LoadProperties(PropertyBag& bag);
    void SaveProperties(PropertyBag& bag);

protected:
    // The surface's state alone, without what a control adds to the setters
    // above: for values loaded from a property bag.
    void SetSurfaceFont(FontRef font);  // by reference; selected into hDC. Null raises error 380.
    // 0 default, 99 MouseIcon, else a standard pointer (cursors.h); an unknown
    // number raises error 380. Shown at once when the cursor is over the window.
    void SetSurfacePointer(long pointer);
    void SetSurfaceMouseIcon(PictureRef icon);  // shown while MousePointer is 99 (icons only)

private:
    friend class BaseWindow<UserControl>;
    friend class SurfaceDropTarget;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void ScheduleRepaint();
    void OnSize();
    void OnWindowPosChanged(const WINDOWPOS& pos);
    bool OnSetCursor(HWND target, int hitTest);
    void OnButtonDown(short button, int x, int y, WPARAM keys);
    void OnButtonUp(short button, int x, int y, WPARAM keys);
    void OnButtonDblClk(short button, int x, int y, WPARAM keys);
    void OnMouseMove(int x, int y, WPARAM keys);
    bool OnKey(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    void OnWindowGone();
    void RegisterDropTarget();
    HCURSOR PointerCursor() const;
    void SelectCurrentFont() const;

    UserControlEvents& events_;
    bool live_ = false;        // Initialize raised and Terminate not yet: events may flow
    bool visible_ = false;     // the visibility last reported by Show / Hide
    SIZE reportedSize_{-1, -1};  // the client size last reported by Resize
    PressTracker press_;
    short dblClickButton_ = 0;       // the button whose next release follows a double click
    bool repaintScheduled_ = false;  // invalidated whole since the last WM_PAINT
    long fillColor_ = 0x8000000F;  // system colour: button face
    FontRef font_;
    short mousePointer_ = 0;
    PictureRef mouseIcon_;
    std::wstring accessKeys_;
    short oleDropMode_ = 0;
    ComPtr<SurfaceDropTarget> dropTarget_;
    DropRegistration dropRegistration_;  // while drop handling is on
    std::unique_ptr<DibImage> image_;
    // The surface's own copy of the font as last selected, and the attributes it
    // was made from, so a change to the shared font object is noticed.
    mutable FontRef selectedAttributes_;
    mutable gdi::Font selectedFont_;
    mutable int selectedDpi_ = 0;  // a move to a screen of another scale makes the font anew
    HGDIOBJ originalFont_ = nullptr;
    HGDIOBJ originalBrush_ = nullptr;
};

}  // namespace rt
