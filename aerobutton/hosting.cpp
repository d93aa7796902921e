#include "hosting.h"

#include <functional>
#include <utility>

#include "errors.h"
#include "formload.h"
#include "tooltip.h"
#include "variant.h"

namespace aero {
namespace {

constexpr long kCannotCreate = 745;
const wchar_t kSource[] = L"LoadForm";

bool SameName(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// A button taken out of the description, with the name of the container it
// was stored in (empty: the form itself).
struct PendingButton {
    std::wstring container;
    rt::StoredObject stored;
};

void TakeButtons(rt::StoredObject& parent, const std::wstring& containerName,
                 std::vector<PendingButton>& out) {
    auto& children = parent.Children;
    for (auto it = children.begin(); it != children.end();) {
        if (SameName(it->Type, kAeroButtonType)) {
            out.push_back({containerName, std::move(*it)});
            it = children.erase(it);
        } else {
            TakeButtons(*it, it->Name, out);
            ++it;
        }
    }
}

rt::Container& ContainerNamed(rt::Form& form, const std::wstring& name) {
    if (name.empty()) return form;
    auto* container = dynamic_cast<rt::Container*>(form.Find(name));
    if (!container) rt::Raise(kCannotCreate, kSource, L"no container named " + name);
    return *container;
}

// Puts the form's Load handler back however the load ends.
class LoadHandlerRestore {
public:
    LoadHandlerRestore(rt::FormEvents& events, std::function<void()> saved)
        : events_(events), saved_(std::move(saved)) {}
    ~LoadHandlerRestore() { events_.Load = saved_; }
    LoadHandlerRestore(const LoadHandlerRestore&) = delete;
    LoadHandlerRestore& operator=(const LoadHandlerRestore&) = delete;

private:
    rt::FormEvents& events_;
    std::function<void()> saved_;
};

}  // namespace

std::unique_ptr<AeroButton> LoadAeroButton(const rt::StoredObject& stored, rt::Container& container,
                                           rt::Form& form) {
    auto button = std::make_unique<AeroButton>();
    const RECT bounds = rt::StoredBounds(stored);
    if (!button->Create(container, stored.Name, bounds.left, bounds.top, bounds.right - bounds.left,
                        bounds.bottom - bounds.top))
        rt::Raise(kCannotCreate, kSource, L"cannot create " + stored.Type + L" " + stored.Name);
    rt::UserControl& surface = button->Surface();
    form.Attach(surface);

    // The control's own keys first, so that it is whole before the host asks it anything.
    rt::PropertyBag own = stored.Properties;
    surface.ReadProperties(own);

    const rt::PropertyBag& bag = stored.Properties;
    surface.SetTabIndex(static_cast<int>(rt::ToLong(bag.ReadProperty(L"TabIndex", rt::Variant{int32_t{0}}))));
    const std::wstring tip = rt::ToString(bag.ReadProperty(L"ToolTipText", rt::Variant{std::wstring()}));
    if (!tip.empty()) form.ToolTips().SetText(surface.hWnd(), tip);
    if (rt::ToBoolean(bag.ReadProperty(L"Default", rt::Variant{false}))) form.SetDefault(&surface);
    if (rt::ToBoolean(bag.ReadProperty(L"Cancel", rt::Variant{false}))) form.SetCancel(&surface);
    if (!rt::ToBoolean(bag.ReadProperty(L"Visible", rt::Variant{true}))) surface.SetVisible(false);
    return button;
}

void LoadFormWithButtons(rt::Form& form, rt::StoredObject stored,
                         std::vector<std::unique_ptr<AeroButton>>& buttons) {
    std::vector<PendingButton> pending;
    TakeButtons(stored, std::wstring(), pending);

    rt::FormEvents& events = form.Events();
    std::function<void()> load = events.Load;
    LoadHandlerRestore restore(events, load);
    events.Load = [&form, &pending, &buttons, load] {
        for (const PendingButton& p : pending)
            buttons.push_back(LoadAeroButton(p.stored, ContainerNamed(form, p.container), form));
        if (load) load();
    };
    rt::LoadForm(form, stored);
}

AeroButton* FindButton(const std::vector<std::unique_ptr<AeroButton>>& buttons, const std::wstring& name) {
    for (const auto& button : buttons)
        if (button && SameName(button->Surface().Name(), name)) return button.get();
    return nullptr;
}

}  // namespace aero
