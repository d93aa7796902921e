// The AeroButton as a control type of the form loader: made at its stored
// place, then handed its own stored keys, like any user control.
#include "aerobutton.h"
#include "runtime/formload.h"

namespace aero {
namespace {

std::unique_ptr<rt::Control> MakeAeroButton(const rt::StoredObject& stored, rt::Container& container,
                                            const RECT& bounds) {
    auto button = rt::CreateStored(std::make_unique<AeroButton>(), stored, container, bounds);
    rt::PropertyBag own = stored.Properties;
    button->LoadProperties(own);
    return button;
}

}  // namespace

void RegisterAeroButtonType() {
    rt::RegisterControlType(kAeroButtonType, &MakeAeroButton);
}

}  // namespace aero
