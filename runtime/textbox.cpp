#include "textbox.h"

#include <commctrl.h>

#include "form.h"
#include "gdi.h"
#include "label.h"
#include "ondemand.h"
#include "unhandled.h"

namespace rt {

TextBox::~TextBox() {
    if (hwnd_) rt::ondemand::RemoveWindowSubclass(hwnd_.Get(), &TextBox::SubclassProc, 0);
}

bool TextBox::Create(Container& container, const std::wstring& name, int x, int y, int width, int height) {
    if (hwnd_) return false;
    SetName(name);
    SetParent(&container);
    hwnd_.Reset(CreateWindowExW(WS_EX_CLIENTEDGE | kControlExStyle, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                            x, y, width, height, container.hWnd(), nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!hwnd_) return false;
    // Learns of the window's end, so a form unloaded first leaves no stale handle here.
    rt::ondemand::SetWindowSubclass(hwnd_.Get(), &TextBox::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    if (FontRef ambient = container.AmbientFont()) SetFont(ambient->Clone());
    return true;
}

// Where a message of the edit window enters our code: its one guard.
LRESULT CALLBACK TextBox::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<TextBox*>(data);
    if (msg == WM_NCDESTROY) {
        rt::ondemand::RemoveWindowSubclass(hwnd, &TextBox::SubclassProc, 0);
        self->hwnd_.Release();  // the system destroys it
    }
    return Guarded([&] {
        // Files dropped on the box are its form's to take.
        if (msg == WM_DROPFILES) {
            if (Form* form = FormOf(self->Parent())) return SendMessageW(form->hWnd(), msg, wParam, lParam);
        }
        LRESULT answer = 0;
        if (AnswerAccessibility(*self, hwnd, msg, wParam, lParam, answer)) return answer;
        const LRESULT result = rt::ondemand::DefSubclassProc(hwnd, msg, wParam, lParam);
        if (msg == WM_SETFOCUS) FocusArrived(*self);
        return result;
    });
}

std::wstring TextBox::Text() const {
    if (!hwnd_) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd_.Get())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd_.Get(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void TextBox::SetText(const std::wstring& text) {
    if (hwnd_) SetWindowTextW(hwnd_.Get(), text.c_str());
}

void TextBox::SetFont(FontRef font) {
    if (!font) return;
    font_ = std::move(font);
    if (!hwnd_) return;
    // The edit window keeps the handle: give it one of its own, since the font
    // object deletes its handle when an attribute changes.
    gdi::Font shown(font_->CreateHandle());
    SendMessageW(hwnd_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(shown.Get()), TRUE);
    shownFont_ = std::move(shown);
}

void TextBox::Move(int x, int y, int width, int height) {
    if (hwnd_) MoveWindow(hwnd_.Get(), x, y, width, height, TRUE);
}

bool TextBox::CanTakeFocus() const { return hwnd_ && tabStop_ && IsWindowVisible(hwnd_.Get()) && IsWindowEnabled(hwnd_.Get()); }

namespace {

// The distance from a label to the box it names: it must end above the box and
// overlap it across, or end to its left and overlap it down; -1 when it does neither.
long LabelDistance(const RECT& label, const RECT& box) {
    const bool across = label.left < box.right && label.right > box.left;
    const bool down = label.top < box.bottom && label.bottom > box.top;
    if (label.bottom <= box.top && across) return box.top - label.bottom;
    if (label.right <= box.left && down) return box.left - label.right;
    return -1;
}

}  // namespace

AccessibleFacts TextBox::Describe() const {
    AccessibleFacts facts;
    const Form* form = FormOf(Parent());
    if (!form || !hwnd_) return facts;
    const RECT box = ChildRect(hwnd_.Get());
    long nearest = -1;
    for (const Control* control : form->Controls()) {
        const auto* label = dynamic_cast<const Label*>(control);
        if (!label || label->Parent() != Parent() || !label->hWnd() || label->Caption().empty()) continue;
        const long distance = LabelDistance(ChildRect(label->hWnd()), box);
        if (distance < 0 || (nearest >= 0 && distance >= nearest)) continue;
        nearest = distance;
        // A label's trailing dots invite input; they are not part of the name.
        facts.name = label->Caption();
        facts.name.erase(facts.name.find_last_not_of(L'.') + 1);
    }
    return facts;
}

}  // namespace rt
