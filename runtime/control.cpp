#include "control.h"

namespace rt {

FontRef Container::AmbientFont() const {
    if (Parent()) return Parent()->AmbientFont();
    return MakeFont(L"MS Sans Serif", 8.25f);
}

COLORREF Container::AmbientForeColor() const {
    if (Parent()) return Parent()->AmbientForeColor();
    return 0x80000012;  // system colour: button text
}

bool Container::AmbientUserMode() const { return Parent() ? Parent()->AmbientUserMode() : true; }

bool Container::DisplaysAsDefault(const Control& control) const {
    return Parent() ? Parent()->DisplaysAsDefault(control) : false;
}

void Container::PropertyChanged(Control& control, const std::wstring& key) {
    if (Parent()) Parent()->PropertyChanged(control, key);
}

}  // namespace rt
