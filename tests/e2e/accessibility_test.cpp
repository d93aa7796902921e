// The window as a screen reader reads it: every control typed, named and
// operable through the platform's accessibility interface, from another process.
#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver.h"
#include "pump.h"

using namespace e2e;

namespace {

struct Com {
    Com() { CoInitialize(nullptr); }
    ~Com() { CoUninitialize(); }
};

// A client object and what it says of itself.
struct Read {
    long role = 0;
    long state = 0;
    std::wstring name, action, description;
};

template <class T>
struct Ref {
    T* p = nullptr;
    ~Ref() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

std::wstring Take(BSTR text) {
    std::wstring out = text ? text : L"";
    SysFreeString(text);
    return out;
}

Read ReadObject(IAccessible* object, VARIANT self) {
    Read r;
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accRole(self, &v)) && v.vt == VT_I4) r.role = v.lVal;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accState(self, &v)) && v.vt == VT_I4) r.state = v.lVal;
    BSTR text = nullptr;
    if (SUCCEEDED(object->get_accName(self, &text))) r.name = Take(text);
    text = nullptr;
    if (SUCCEEDED(object->get_accDefaultAction(self, &text))) r.action = Take(text);
    text = nullptr;
    if (SUCCEEDED(object->get_accDescription(self, &text))) r.description = Take(text);
    return r;
}

VARIANT Self() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

// The client object of the i-th child (1-based) of the window's client object.
HWND ChildWindow(IAccessible* parent, long i) {
    VARIANT index = Self();
    index.lVal = i;
    Ref<IDispatch> dispatch;
    if (FAILED(parent->get_accChild(index, &dispatch)) || !dispatch.p) return nullptr;
    Ref<IAccessible> child;
    if (FAILED(dispatch->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) return nullptr;
    HWND hwnd = nullptr;
    WindowFromAccessibleObject(child.p, &hwnd);
    return hwnd;
}

// Accessibility events of the program, as a screen reader receives them.
struct Event {
    DWORD event;
    HWND hwnd;
    bool operator==(const Event&) const = default;
};
std::vector<Event> events;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) events.push_back({event, hwnd});
}

bool Seen(const Event& wanted) {
    return WaitUntil([&] {
        Pump(0);
        return std::find(events.begin(), events.end(), wanted) != events.end();
    });
}

Read ReadWindow(HWND hwnd) {
    Ref<IAccessible> object;
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object))))
        return {};
    return ReadObject(object.p, Self());
}

TEST(Accessibility, EveryControlIsTypedNamedAndOperable) {
    Com com;
    RunningApp app;
    ASSERT_TRUE(app.Start());
    Ref<IAccessible> window;
    ASSERT_EQ(AccessibleObjectFromWindow(app.Main(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(&window)),
              S_OK);
    EXPECT_EQ(ReadObject(window.p, Self()).name, L"Quorvane Tessiver");

    const long pressable = STATE_SYSTEM_FOCUSABLE;
    const struct {
        long role;
        const wchar_t* name;  // null: not checked
        const wchar_t* action;
        long state;  // bits that must be set
        const wchar_t* description;
    } expected[] = {
        {ROLE_SYSTEM_TEXT, L"Source", nullptr, STATE_SYSTEM_FOCUSED, nullptr},
        {ROLE_SYSTEM_CLIENT, nullptr, nullptr, 0, nullptr},  // the strip; its zones below
        {ROLE_SYSTEM_STATICTEXT, L"Source..", L"", 0, nullptr},
        {ROLE_SYSTEM_PUSHBUTTON, L"Select", L"Press", pressable, L"Select an ActiveX DLL, OCX or AX"},
        {ROLE_SYSTEM_PUSHBUTTON, L"Register", L"Press", pressable | STATE_SYSTEM_DEFAULT,
         L"Click to register activeX"},
        {ROLE_SYSTEM_PUSHBUTTON, L"Unregister", L"Press", pressable, L"Click to unregister activeX"},
        {ROLE_SYSTEM_PUSHBUTTON, L"Homepage", L"Press", pressable, L"Watch our latest softwares"},
        {ROLE_SYSTEM_PUSHBUTTON, L"About", L"Press", pressable, L"About us"},
        {ROLE_SYSTEM_PUSHBUTTON, L"Community", L"Press", pressable, L"Join our community & get support"},
        {ROLE_SYSTEM_LINK, TESSIVER_HOME_PAGE, L"Jump", STATE_SYSTEM_LINKED, nullptr},
    };
    long count = 0;
    ASSERT_EQ(window->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, static_cast<long>(std::size(expected))) << "the controls in tab order";
    HWND reg = nullptr;
    for (long i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        const HWND hwnd = ChildWindow(window.p, i + 1);
        ASSERT_NE(hwnd, nullptr);
        const Read r = ReadWindow(hwnd);
        const auto& e = expected[i];
        EXPECT_EQ(r.role, e.role);
        if (e.name) {
            EXPECT_EQ(r.name, e.name);
        }
        if (e.action) {
            EXPECT_EQ(r.action, e.action);
        }
        EXPECT_EQ(r.state & e.state, e.state) << std::hex << r.state;
        if (e.description) {
            EXPECT_EQ(r.description, e.description);
        }
        if (e.name && std::wstring(e.name) == L"Register") reg = hwnd;
    }

    // The strip's zones, found under the pointer as a reader finds them.
    RECT client{};
    GetClientRect(app.Main(), &client);
    const struct {
        int x;
        const wchar_t* name;
    } zones[] = {{client.right - 8 - 69 + 10, L"Minimize window"},
                 {client.right - 8 - 69 + 45, L"Close (Alt + F4)"}};
    for (const auto& zone : zones) {
        Ref<IAccessible> object;
        VARIANT child;
        VariantInit(&child);
        ASSERT_EQ(AccessibleObjectFromPoint(ClientToScreenPoint(app.Main(), zone.x, 10), &object, &child),
                  S_OK);
        const Read r = ReadObject(object.p, child);
        EXPECT_EQ(r.role, ROLE_SYSTEM_PUSHBUTTON) << zone.name;
        EXPECT_EQ(r.name, zone.name);
        EXPECT_EQ(r.action, L"Press");
        if (zone.name == zones[0].name) {
            // Its default action minimises the window, as a click on it does.
            ASSERT_EQ(object->accDoDefaultAction(child), S_OK);
            EXPECT_TRUE(WaitUntil([&] { return IsIconic(app.Main()) != FALSE; }));
            PostMessageW(app.Main(), WM_SYSCOMMAND, SC_RESTORE, 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsIconic(app.Main()); }));
        }
    }

    // Pressing Register through the interface runs the command: the field is empty.
    ASSERT_NE(reg, nullptr);
    Ref<IAccessible> regObject;
    ASSERT_EQ(AccessibleObjectFromWindow(reg, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(&regObject)),
              S_OK);
    ASSERT_EQ(regObject->accDoDefaultAction(Self()), S_OK);
    HWND box = app.WaitForBox(L"Error!");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), L"Select an ActiveX");
    EXPECT_TRUE(PressOk(box));

    // A reader follows the focus and the pressed face: a press on Register, released away from it.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, nullptr, &OnEvent,
                                         app.ProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    ASSERT_TRUE(app.Activate());
    MoveCursor(CentreOf(reg));
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    MoveCursor(ClientToScreenPoint(app.Main(), 250, 30));
    MouseButtons(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(Seen({EVENT_OBJECT_FOCUS, reg}));
    EXPECT_TRUE(Seen({EVENT_OBJECT_STATECHANGE, reg}));
    UnhookWinEvent(hook);
}

}  // namespace
