// AeroButton: the owner-drawn push button, a control of the form runtime built
// on the user-control surface. It draws every pixel of itself into the
// surface's persistent image; all painting goes through Redraw (or Refresh,
// when geometry changed). The surface's notifications arrive through the
// private UserControlEvents base. The surface's own members (its window
// handle hWnd, Font, MouseIcon, MousePointer) are the button's; the setters it
// overrides add the repaint and the host's notice, and loading sets only the
// surface's part (SetSurfaceFont and its siblings). Enabled lives in the
// button's state; its window's enabled state follows it.
#pragma once

#include <windows.h>

#include <string>

#include "events.h"
#include "hook.h"
#include "primitives.h"
#include "probes.h"
#include "runtime/usercontrol.h"
#include "state.h"

namespace aero {

inline constexpr wchar_t kAeroButtonType[] = L"AeroButton";

// Makes "AeroButton" a control type of the runtime's form loader (once is enough).
void RegisterAeroButtonType();

class AeroButton : private rt::UserControlEvents, public rt::UserControl {
public:
    AeroButton();
    ~AeroButton() override;
    AeroButton(const AeroButton&) = delete;
    AeroButton& operator=(const AeroButton&) = delete;

    // Repaints for state (0..3, or -1 to keep nState) unless nothing changed and force is false.
    void Redraw(long state, bool force);
    // Rebuilds region and layout at a forced repaint.
    void Refresh();
    // Recomputes the palette from the colour properties.
    void RefreshColors();

    // Public properties and persistence. Setters store, then repaint and notify the host.
    long BackColor() const;
    void SetBackColor(long colour);
    long ButtonShape() const;
    void SetButtonShape(long shape);
    std::wstring TipText() const;
    void SetTipText(const std::wstring& text);
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    bool CheckBoxMode() const;
    void SetCheckBoxMode(bool on);
    bool Enabled() const override { return s_.Enabled; }  // false until the first properties are in
    void SetEnabled(bool enabled) override;
    void SetFont(rt::FontRef font) override;
    bool FontBold() const;
    void SetFontBold(bool bold);
    bool FontItalic() const;
    void SetFontItalic(bool italic);
    bool FontStrikethru() const;
    void SetFontStrikethru(bool strikethru);
    bool FontUnderline() const;
    void SetFontUnderline(bool underline);
    std::wstring FontName() const;
    void SetFontName(const std::wstring& name);
    float FontSize() const;
    void SetFontSize(float points);
    long ForeColor() const;
    void SetForeColor(long colour);
    bool HandPointer() const;
    void SetHandPointer(bool on);
    long MaskColor() const;
    void SetMaskColor(long colour);
    void SetMouseIcon(rt::PictureRef icon) override;
    void SetMousePointer(long pointer) override;
    long PictureAlignment() const;
    void SetPictureAlignment(long alignment);
    rt::PictureRef PictureDown() const;
    void SetPictureDown(rt::PictureRef picture);
    rt::PictureRef PictureHot() const;
    void SetPictureHot(rt::PictureRef picture);
    rt::PictureRef PictureNormal() const;
    void SetPictureNormal(rt::PictureRef picture);
    long PictureOpacity() const;  // percent
    void SetPictureOpacity(long percent);
    long PictureSize() const;
    void SetPictureSize(long mode);
    long PictureSizeH() const;
    void SetPictureSizeH(long pixels);
    long PictureSizeW() const;
    void SetPictureSizeW(long pixels);
    bool UseMaskColor() const;
    void SetUseMaskColor(bool on);
    bool Value() const;
    void SetValue(bool value);
    // The description a property browser shows for a member; null when it has none.
    static const wchar_t* Description(const std::wstring& member);

    // What the button shows and is doing now, read-only.
    long State() const { return s_.nState; }  // the face last painted: Normal, Hot, Down or Disabled
    bool IsHot() const { return s_.bIsHot; }  // the cursor is over the button
    bool IsPressed() const { return s_.bIsDown; }  // a mouse or Space press is pending
    bool HasFocus() const { return s_.bHasFocus; }
    bool ShowsAsDefault() const { return s_.bDisplayAsDefault; }  // marked as the form's default button
    bool HostActive() const { return s_.bHostActive; }
    RECT CaptionRect() const { return s_.rcCaption; }  // where the caption was last laid out
    RECT PictureRect() const { return s_.rcPicture; }

    // Accessible: a push button (a check button in check-box mode) named by its caption.
    rt::AccessibleFacts Describe() const override;
    // A click exactly as the mouse gives one.
    void DoDefaultAction() override;

    // Input and events.
    // The host's handlers for the events this button raises.
    AeroButtonEvents& Events();
    // The click: repaints, toggles Value in check-box mode and raises Click,
    // unless a press is pending or the last press was not the left button's.
    void RunClick();

    // Hover tracking and message hook.
    // Run mode only, at property load: the hand cursor, the leave-tracking
    // probe, and the hooks on the own window and the enclosing form. Raises
    // error -1 when the system offers no leave tracking.
    void InstallHooks();
    // One WM_MOUSELEAVE for the control's window, when the cursor next leaves it.
    void RequestMouseLeave();

private:
    // Notifications of the surface.
    void Initialize() override;
    void InitProperties() override;
    void ReadProperties(rt::PropertyBag& bag) override;
    void WriteProperties(rt::PropertyBag& bag) override;
    void AmbientChanged(const std::wstring& propertyName) override;
    void Resize() override;
    void Show() override;
    void Hide() override;
    void Terminate() override;
    void GotFocus() override;
    void LostFocus() override;
    void MouseDown(short& button, short& shift, float& x, float& y) override;
    void MouseMove(short& button, short& shift, float& x, float& y) override;
    void MouseUp(short& button, short& shift, float& x, float& y) override;
    void Click() override;
    void DblClick() override;
    void KeyDown(short& keyCode, short& shift) override;
    void KeyUp(short& keyCode, short& shift) override;
    void KeyPress(short& keyAscii) override;
    void AccessKeyPress(short& keyAscii) override;
    void OLEDragOver(IDataObject* data, long& effect, short& button, short& shift, float& x, float& y,
                     short& state) override;
    void OLEDragDrop(IDataObject* data, long& effect, short& button, short& shift, float& x, float& y) override;
    void OLECompleteDrag(long& effect) override;

    Canvas MakeCanvas() const;
    void LoadTipText(const std::wstring& text);
    void SetPictureDimension(long AeroButtonState::*dimension, long pixels, const wchar_t* key);
    void PaintButton(long& state);
    void SetButtonRegion(int ellipseW, int ellipseH);
    void CalcLayout(long a, long b);
    void DrawCaption(long colour);
    void DrawStatePicture();
    void DrawPicture(const rt::PictureRef& picture);

    // Input and events.
    void ShowHandCursor();
    bool CursorIsOver() const;
    void MouseMovedAway();
    void SpaceDown();
    void CancelSpacePress();
    void ArrowKeyDown(short keyCode, short shift);

    AeroButtonState s_;
    AeroButtonEvents events_;  // Input and events.

    // Hover tracking and message hook.
    HookCallback OwnHookCallback();
    HWND EnclosingFormWindow() const;
    void OnHookMessage(bool before, bool& handled, LRESULT& lReturn, HWND hWnd, UINT uMsg, WPARAM wParam,
                       LPARAM lParam, long& userValue);
    void OnHostActivation(bool active);
    void OnMouseLeaveMessage();
    HookFacility hooks_{OwnHookCallback()};
};

}  // namespace aero
