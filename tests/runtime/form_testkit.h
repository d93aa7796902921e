// Helpers shared by the form, control, key and message-box tests: a real push
// button that records what the form routes to it, input and pumping helpers.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "input.h"
#include "pictures.h"
#include "pump.h"
#include "runtime/app.h"
#include "runtime/control.h"
#include "runtime/form.h"
#include "runtime/gdi.h"
#include "runtime/picture.h"

namespace formtest {

using ::Pump;

// A system push button as a control of a form; records the form's calls.
class RecordingButton : public rt::Control {
public:
    RecordingButton(rt::Container& parent, const std::wstring& name, int tabIndex, int x, int y,
                    const std::wstring& caption = L"") {
        SetName(name);
        SetParent(&parent);
        SetTabIndex(tabIndex);
        hwnd_ = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x,
                                y, 60, 22, parent.hWnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~RecordingButton() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    HWND hWnd() const override { return hwnd_; }
    bool CanTakeFocus() const override { return IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_); }
    bool ActsOnEnter() const override { return true; }
    std::wstring AccessKeys() const override { return accessKeys; }
    void OnAccessKey(short keyAscii) override { calls.push_back(L"key " + std::to_wstring(keyAscii)); }
    void OnAmbientChanged(const std::wstring& name) override { calls.push_back(L"ambient " + name); }

    std::wstring accessKeys;
    std::vector<std::wstring> calls;

private:
    HWND hwnd_ = nullptr;
};


// Types key events: {vk, up}, and lets them arrive.
inline void Type(std::initializer_list<std::pair<WORD, bool>> keys) {
    testkit::SendKeys(keys);
    Pump();
}

inline void Press(WORD vk) { Type({{vk, false}, {vk, true}}); }

// A bitmap picture whose columns left of `split` are `left` and the rest `right`.
inline rt::PictureRef TwoColourPicture(int width, int height, int split, COLORREF left, COLORREF right) {
    return testkit::PictureOf(width, height, [=](int x, int) { return x < split ? left : right; });
}

// The colour a window shows at a point of its client area, after it has
// repainted. Read through the window's own DC: under Wine the screen is
// updated from the window's surface only later.
inline COLORREF ScreenPixel(HWND hwnd, int x, int y) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return GetPixel(rt::gdi::ClientDC(hwnd).Get(), x, y);
}

// A plain captioned form, created and loaded but not shown.
inline std::unique_ptr<rt::Form> MakePlainForm(const std::wstring& caption, int clientWidth = 320,
                                               int clientHeight = 120) {
    auto form = std::make_unique<rt::Form>();
    if (!form->Create(caption, clientWidth, clientHeight)) return nullptr;
    form->Load();
    return form;
}

}  // namespace formtest
