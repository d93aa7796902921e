// Builds a form and its controls from a stored description (see formtext.h):
// the form's own properties, then each control by its type's factory, with
// the properties every control shares (name, place, tab index, tool tip,
// default and cancel, visibility, enabled state).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "control.h"
#include "form.h"
#include "formtext.h"

namespace rt {

// Makes one control of a type inside `container` at `bounds` (pixels) and
// applies its own stored properties. A user control's factory hands the stored
// bag to ReadProperties. Null, or a raised run-time error, when it cannot.
using ControlFactory =
    std::function<std::unique_ptr<Control>(const StoredObject& stored, Container& container, const RECT& bounds)>;

// Raises the loader's "cannot create" error for a stored control.
[[noreturn]] void RaiseCannotCreate(const StoredObject& stored);

// Creates a control's window at `bounds` (pixels) in the container, or raises.
template <class T>
std::unique_ptr<T> CreateStored(std::unique_ptr<T> control, const StoredObject& stored, Container& container,
                                const RECT& bounds) {
    if (!control->Create(container, stored.Name, bounds.left, bounds.top, bounds.right - bounds.left,
                         bounds.bottom - bounds.top))
        RaiseCannotCreate(stored);
    return control;
}

// Registers (or replaces) the factory of a type name; names match without regard to case.
// "TextBox", "Label", "Image" and "PictureBox" are there from the start.
void RegisterControlType(const std::wstring& type, ControlFactory factory);
bool IsControlTypeRegistered(const std::wstring& type);

// The stored place and size in the container, in pixels: Left, Top, Width and
// Height in twips; without Width/Height, the extent _extentx/_extenty in HIMETRIC.
RECT StoredBounds(const StoredObject& stored);

// Raises Initialize, creates the window (hidden) from the stored form, then its
// controls in stored order, then raises Load. Every type is checked before
// anything is made, so an unknown one refuses the whole description (run-time
// error 711 naming the type) without a half-built window. A control or a Load
// handler that fails later leaves the form discarded (no window, no controls).
void LoadForm(Form& form, const StoredObject& stored);

}  // namespace rt
