#include "accessible.h"

#include <utility>

#include "handles.h"
#include "latebound.h"
#include "ondemand.h"

namespace rt {
namespace {

// Asks the window's control for its facts: the object may outlive the control.
const UINT kFactsMessage = RegisterWindowMessageW(L"Tessiver.AccessibleFacts");
// Posted: a client's default action runs from the message loop, so that a
// modal box it opens does not hold the client's call.
const UINT kDefaultActionMessage = RegisterWindowMessageW(L"Tessiver.DefaultAction");

// The accessibility library loads when a client first asks, not at start.
HRESULT StandardObject(HWND hwnd, IAccessible** out) {
    static auto* create =
        LateBound<decltype(CreateStdAccessibleObject)>(L"oleacc.dll", "CreateStdAccessibleObject");
    return create ? create(hwnd, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(out)) : E_NOTIMPL;
}

LRESULT ResultFor(IAccessible* object, WPARAM wParam) {
    static auto* result = LateBound<decltype(LresultFromObject)>(L"oleacc.dll", "LresultFromObject");
    return result ? result(IID_IAccessible, wParam, object) : 0;
}

HRESULT WindowObject(HWND hwnd, IDispatch** out) {
    static auto* fromWindow =
        LateBound<decltype(AccessibleObjectFromWindow)>(L"oleacc.dll", "AccessibleObjectFromWindow");
    return fromWindow ? fromWindow(hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                   reinterpret_cast<void**>(out))
                      : E_NOTIMPL;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT Text(const std::wstring& text, BSTR* out) {
    *out = rt::ondemand::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The client object of one of the runtime's windows: the control's facts over
// the platform's standard object.
class ControlAccessible final : public IAccessible, public IOleWindow {
public:
    static ComPtr<ControlAccessible> Make(HWND hwnd, ComPtr<IAccessible> standard) {
        return ComPtr<ControlAccessible>(new ControlAccessible(hwnd, std::move(standard)));
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible)
            *out = static_cast<IAccessible*>(this);
        else if (iid == IID_IOleWindow)
            *out = static_cast<IOleWindow*>(this);
        else
            *out = nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: clients call through the interface itself.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
        *hwnd = hwnd_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IAccessible: what the control says of itself.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Own(child, &AccessibleFacts::name, out, [&] { return standard_->get_accName(child, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return Own(child, &AccessibleFacts::description, out,
                   [&] { return standard_->get_accDescription(child, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return Own(child, &AccessibleFacts::shortcut, out,
                   [&] { return standard_->get_accKeyboardShortcut(child, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return Own(child, &AccessibleFacts::defaultAction, out,
                   [&] { return standard_->get_accDefaultAction(child, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        const AccessibleFacts facts = Facts();
        if (!IsSelf(child) || !facts.role) return standard_->get_accRole(child, out);
        out->vt = VT_I4;
        out->lVal = facts.role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        const HRESULT hr = standard_->get_accState(child, out);
        if (!IsSelf(child)) return hr;
        const AccessibleFacts facts = Facts();
        const long standard = (SUCCEEDED(hr) && out->vt == VT_I4) ? out->lVal : 0;
        out->vt = VT_I4;
        out->lVal = facts.ownState ? facts.state : (standard | facts.state);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child) || Facts().defaultAction.empty()) return standard_->accDoDefaultAction(child);
        return PostMessageW(hwnd_, kDefaultActionMessage, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        const AccessibleFacts facts = Facts();
        if (!facts.ownChildren) return standard_->get_accChildCount(count);
        *count = static_cast<long>(facts.children.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        const AccessibleFacts facts = Facts();
        if (!facts.ownChildren) return standard_->get_accChild(child, out);
        *out = nullptr;
        if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > static_cast<long>(facts.children.size()))
            return E_INVALIDARG;
        return WindowObject(facts.children[child.lVal - 1], out);
    }

    // IAccessible: the standard object's answers.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        return standard_->get_accParent(out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return standard_->get_accValue(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return standard_->get_accHelp(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return standard_->get_accFocus(out); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        return standard_->get_accSelection(out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT child) override {
        return standard_->accLocation(x, y, w, h, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* out) override {
        return standard_->accNavigate(dir, start, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        return standard_->accHitTest(x, y, out);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ControlAccessible(HWND hwnd, ComPtr<IAccessible> standard)
        : hwnd_(hwnd), standard_(std::move(standard)) {}
    ~ControlAccessible() = default;

    AccessibleFacts Facts() const {
        AccessibleFacts facts;
        if (IsWindow(hwnd_)) SendMessageW(hwnd_, kFactsMessage, 0, reinterpret_cast<LPARAM>(&facts));
        return facts;
    }

    template <class Fallback>
    HRESULT Own(const VARIANT& child, std::wstring AccessibleFacts::*text, BSTR* out, Fallback fallback) {
        if (!IsSelf(child)) return fallback();
        const AccessibleFacts facts = Facts();
        if ((facts.*text).empty()) return fallback();
        return Text(facts.*text, out);
    }

    LONG refs_ = 1;
    HWND hwnd_;
    ComPtr<IAccessible> standard_;
};

LRESULT ClientObject(HWND hwnd, WPARAM wParam) {
    ComPtr<IAccessible> standard;
    if (FAILED(StandardObject(hwnd, standard.Put()))) return 0;
    const ComPtr<ControlAccessible> object = ControlAccessible::Make(hwnd, std::move(standard));
    return ResultFor(static_cast<IAccessible*>(object.Get()), wParam);
}

}  // namespace

bool AnswerAccessibility(Accessible& object, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                         LRESULT& result) {
    if (msg == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        result = ClientObject(hwnd, wParam);
        return result != 0;
    }
    if (msg == kFactsMessage) {
        *reinterpret_cast<AccessibleFacts*>(lParam) = object.Describe();
        result = 1;
        return true;
    }
    if (msg == kDefaultActionMessage) {
        object.DoDefaultAction();
        result = 0;
        return true;
    }
    return false;
}

void NotifyAccessibility(HWND hwnd, DWORD event) {
    if (hwnd) NotifyWinEvent(event, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace rt
