// Hosting AeroButtons in a form built from a stored description. The runtime's
// own factories hand it controls to own; an AeroButton owns its surface, so the
// button stays with the caller and the form attaches its surface as the control.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "aerobutton.h"
#include "form.h"
#include "formtext.h"

namespace aero {

inline constexpr wchar_t kAeroButtonType[] = L"AeroButton";

// A button made from its stored description: its window at the stored place in
// `container`, its surface attached to `form` with the properties every control
// shares (tab index, the host's tool tip, default, cancel, visibility), then its
// own stored keys handed to ReadProperties. Raises a run-time error when the
// window cannot be made.
std::unique_ptr<AeroButton> LoadAeroButton(const rt::StoredObject& stored, rt::Container& container,
                                           rt::Form& form);

// LoadForm for a description that holds AeroButtons (at any depth): the runtime
// builds the form and its own controls, then the buttons are made into
// `buttons` in stored order, and only then is the form's Load raised. `buttons`
// must outlive the form's window.
void LoadFormWithButtons(rt::Form& form, rt::StoredObject stored,
                         std::vector<std::unique_ptr<AeroButton>>& buttons);

// The button whose surface is named `name`; null when there is none.
AeroButton* FindButton(const std::vector<std::unique_ptr<AeroButton>>& buttons, const std::wstring& name);

}  // namespace aero
