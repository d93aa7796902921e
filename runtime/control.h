// What every control and container of a form shares: a window, a place in the
// container chain, and the keyboard interface the form's message loop uses.
#pragma once

#include <windows.h>

#include <string>

#include "accessible.h"
#include "font.h"

namespace rt {

class Control;

class Form;

// A window that holds controls: a form, or a picture box inside one.
class Container {
public:
    virtual ~Container() = default;
    virtual HWND hWnd() const = 0;
    virtual Container* Parent() const = 0;  // the enclosing container; null for a form
    virtual Form* AsForm() { return nullptr; }

    // Ambient properties offered to the controls inside. A container that is not
    // a form passes the question on to its parent; these defaults serve a bare
    // container without one.
    virtual FontRef AmbientFont() const;
    virtual COLORREF AmbientForeColor() const;  // an OLE colour
    virtual bool AmbientUserMode() const;       // true when the form runs (not in a designer)
    // True when the host shows this control as its default button.
    virtual bool DisplaysAsDefault(const Control& control) const;
    // A control reports that one of its stored properties changed.
    virtual void PropertyChanged(Control& control, const std::wstring& key);
};

class Control : public Accessible {
public:
    virtual ~Control() = default;
    virtual HWND hWnd() const = 0;

    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& name) { name_ = name; }
    Container* Parent() const { return parent_; }
    void SetParent(Container* parent) { parent_ = parent; }

    // Tab order: the form moves the focus among controls that can take it, by TabIndex.
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int index) { tabIndex_ = index; }
    virtual bool CanTakeFocus() const { return false; }
    // Whether the control takes mouse and keyboard input; by default its window's state.
    virtual bool Enabled() const { return !hWnd() || IsWindowEnabled(hWnd()); }
    virtual void SetEnabled(bool enabled) { SetWindowEnabled(enabled); }
    // A button: while it has the focus, Enter goes to it instead of the form's
    // default control, and it is the one shown as default.
    virtual bool ActsOnEnter() const { return false; }

    // Lower-case letters that Alt+letter routes to this control.
    virtual std::wstring AccessKeys() const { return {}; }
    // Alt+letter of AccessKeys(), or 13/27 when the form routes Enter/Esc to its
    // default or cancel control.
    virtual void OnAccessKey(short keyAscii) { (void)keyAscii; }
    // The host's ambient property of that name changed (e.g. "DisplayAsDefault").
    virtual void OnAmbientChanged(const std::wstring& name) { (void)name; }

protected:
    // The window's own state alone, for a control whose SetEnabled adds to it.
    void SetWindowEnabled(bool enabled) const {
        if (hWnd()) EnableWindow(hWnd(), enabled ? TRUE : FALSE);
    }

private:
    std::wstring name_;
    Container* parent_ = nullptr;
    int tabIndex_ = 0;
};

}  // namespace rt
