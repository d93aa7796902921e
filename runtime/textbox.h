// A one-line text box: the system edit control as a control of a form.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "control.h"
#include "font.h"
#include "gdi.h"
#include "handles.h"

namespace rt {

class TextBox : public Control {
public:
    TextBox() = default;
    ~TextBox() override;
    TextBox(const TextBox&) = delete;
    TextBox& operator=(const TextBox&) = delete;

    // Creates the edit window inside the container (pixels), visible, in a copy of the container's ambient
    // font.
    bool Create(Container& container, const std::wstring& name, int x, int y, int width, int height);
    HWND hWnd() const override { return hwnd_.Get(); }

    std::wstring Text() const;
    void SetText(const std::wstring& text);
    FontRef Font() const { return font_; }
    void SetFont(FontRef font);
    void Move(int x, int y, int width, int height);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }

    // Raised whenever the text changes: typed, pasted, dropped or set by code.
    std::function<void()> Change;

    bool CanTakeFocus() const override;
    // Named by the label just above it or to its left, as a reader of the form would.
    AccessibleFacts Describe() const override;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);

    WindowHandle hwnd_;
    FontRef font_;
    gdi::Font shownFont_;  // the copy the edit window draws with
    bool tabStop_ = true;
};

}  // namespace rt
