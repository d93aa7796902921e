// Forms: a fixed-size top-level window that holds controls, raises the form
// events, offers the ambient properties to its controls and does the dialog
// navigation of its message loop (Tab order, default and cancel, access keys).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "basewindow.h"
#include "control.h"
#include "font.h"
#include "navigation.h"
#include "picture.h"

namespace rt {

class ToolTip;

enum class ScaleMode : short { Twips = 1, Pixels = 3 };
enum class WindowState : short { Normal = 0, Minimized = 1, Maximized = 2 };

// The handlers of a form's owner; any may be left empty.
struct FormEvents {
    std::function<void()> Initialize;
    std::function<void()> Load;
    std::function<void()> Resize;
    // Button 1 left, 2 right, 4 middle (ORed); Shift 1 Shift, 2 Ctrl, 4 Alt; x, y in ScaleMode units.
    std::function<void(short button, short shift, float x, float y)> MouseMove;
    std::function<void()> Unload;
    // The window moved to a screen of another scale: the DPI in force, the
    // controls' places and the fonts already follow it; the art is the owner's.
    std::function<void()> DpiChanged;
    // Files dropped from the shell on the form, or on a control that hands them
    // to its form; the full names, in order. Unset, the form takes no drop.
    std::function<void(const std::vector<std::wstring>& files)> FilesDropped;
};

class Form : public Container, public Accessible, private BaseWindow<Form> {
public:
    Form();
    ~Form() override;

    FormEvents& Events() { return events_; }

    // Raises Initialize, then creates the window, hidden and centred on the
    // screen, with a client area of the given size in pixels. False when the
    // window could not be made.
    bool Create(const std::wstring& caption, int clientWidth, int clientHeight);
    // As Create, with the outer size (frame included) in twips. A window made at
    // its final size and place costs the platform no resize or move later.
    bool CreateWithOuterSize(const std::wstring& caption, long widthTwips, long heightTwips);
    // The window's big and small icons. Given before Create, they go to the window
    // as it is made, so the window manager learns them once.
    void SetIcons(HICON big, HICON small);
    // Raises Load (once).
    void Load();
    // Shows the window (centred on the screen the first time), activates it and
    // puts the focus on the first control in tab order.
    void Show();
    // Raises Unload and destroys the window; the control objects live on until
    // the form object ends, so a control may unload its form from its own handler.
    void Unload();
    bool IsLoaded() const { return Window() != nullptr; }

    static Form* FromHandle(HWND hwnd);

    // Container
    HWND hWnd() const override { return Window(); }
    Container* Parent() const override { return nullptr; }
    Form* AsForm() override { return this; }
    FontRef AmbientFont() const override { return font_; }
    COLORREF AmbientForeColor() const override { return static_cast<COLORREF>(foreColor_); }
    bool AmbientUserMode() const override { return true; }
    bool DisplaysAsDefault(const Control& control) const override { return &control == shownDefault_; }

    // Properties
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    long BackColor() const { return backColor_; }  // OLE colours
    void SetBackColor(long oleColour);
    long ForeColor() const { return foreColor_; }
    void SetForeColor(long oleColour) { foreColor_ = oleColour; }
    PictureRef Picture() const { return picture_; }
    void SetPicture(PictureRef picture);  // drawn at the client's top-left
    FontRef Font() const { return font_; }
    void SetFont(FontRef font);

    // Outer size, always in twips.
    long Width() const;
    long Height() const;
    void SetWidth(long twips);
    void SetHeight(long twips);
    // Both at once: one resize where the two setters make two, each of which
    // costs the platform a new window surface.
    void SetOuterSize(long widthTwips, long heightTwips);
    // Client size in ScaleMode units. Child controls are placed in pixels either way.
    ScaleMode GetScaleMode() const { return scaleMode_; }
    void SetScaleMode(ScaleMode mode) { scaleMode_ = mode; }
    long ScaleWidth() const;
    long ScaleHeight() const;
    WindowState GetWindowState() const;
    void SetWindowState(WindowState state);

    // Controls. Add takes ownership; Attach registers a control that its caller owns.
    template <class T>
    T& Add(std::unique_ptr<T> control) {
        T& ref = *control;
        owned_.push_back(std::move(control));
        Attach(ref);
        return ref;
    }
    void Attach(Control& control);
    const std::vector<Control*>& Controls() const { return controls_; }
    Control* Find(const std::wstring& name) const;
    template <class T>
    T* Find(const std::wstring& name) const {
        return dynamic_cast<T*>(Find(name));
    }

    // Enter goes to the default control, Esc to the cancel control (OnAccessKey 13 / 27).
    void SetDefault(Control* control);
    Control* Default() const { return default_; }
    void SetCancel(Control* control) { cancel_ = control; }
    Control* Cancel() const { return cancel_; }

    // Tool tips. The tip window costs the start-up more than any control, and
    // only the mouse needs it: texts given before it is made wait for the
    // mouse's first message to the form (PrepareToolTips, from the loop) or for
    // the first call of ToolTips().
    void SetToolTipText(HWND tool, const std::wstring& text);
    std::wstring ToolTipText(HWND tool) const;
    void PrepareToolTips();
    // Gives windows to the image zones that a larger client area (the form's or a box's) brings into sight.
    void ShowImagesInSight();
    // The form's tip window, made with every waiting text on first use.
    ToolTip& ToolTips();

    // Accessible: named by its caption, with its own controls as children in tab order.
    AccessibleFacts Describe() const override;

    // The message loop's keyboard filter: true when the message was used for navigation.
    bool PreTranslate(const MSG& msg);
    // The focus moved to `focus` (a window of this form, or elsewhere).
    void FocusChanged(HWND focus);
    // Moves the focus to the next (or previous) control in tab order, as Tab does.
    void MoveFocus(bool backwards);
    // Destroys the window without Unload and lets go of every control: what a
    // load that failed half-way leaves behind.
    void Discard();
    Control* FocusedControl() const;

private:
    friend class BaseWindow<Form>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnWindowGone();
    void OnPaint();
    void OnMouseMove(WPARAM wParam, int x, int y);
    void OnActivate(bool active);
    void OnTextChanged(HWND edit);
    void FocusFirstControl();
    void FocusControl(Control& control);
    void Perform(const NavAction& action);
    int IndexOf(const Control* control) const;
    int IndexOfWindow(HWND hwnd) const;
    std::vector<NavEntry> Snapshot() const;
    bool MakeWindow(const std::wstring& caption, int outerWidth, int outerHeight);
    void ResizeOuter(int widthPixels, int heightPixels);
    void RaiseResize();
    // Scale changes (formdpi.cpp).
    void OnDpiChanged(int dpi, const RECT& suggested);
    void ScaleChildren(int from, int to);
    void RefreshFonts();

    FormEvents events_;
    std::vector<Control*> controls_;
    Control* default_ = nullptr;
    Control* cancel_ = nullptr;
    Control* shownDefault_ = nullptr;
    HWND lastFocus_ = nullptr;
    std::unique_ptr<ToolTip> toolTips_;
    std::vector<std::pair<HWND, std::wstring>> waitingTips_;
    int tipsDpi_ = 0;  // a scale change met before the tip window was made
    long backColor_ = static_cast<long>(0x8000000F);  // button face
    long foreColor_ = static_cast<long>(0x80000012);  // button text
    PictureRef picture_;
    FontRef font_;
    HICON bigIcon_ = nullptr;  // shared icons, never destroyed
    HICON smallIcon_ = nullptr;
    ScaleMode scaleMode_ = ScaleMode::Pixels;
    bool loadRaised_ = false;
    bool shown_ = false;
    int resizesRaised_ = 0;
    bool unloading_ = false;
    // Last, so owned controls end first, while the form they may ask still stands.
    std::vector<std::unique_ptr<Control>> owned_;
};

// The form that holds a container (the container itself when it is a form); null if none.
Form* FormOf(Container* container);

// A control took the focus: its form settles the default button at once, so
// that the ambient change reaches the controls before the input that moved the
// focus is handled any further.
void FocusArrived(Control& control);

}  // namespace rt
