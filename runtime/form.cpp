#include "form.h"

#include <windowsx.h>

#include <algorithm>

#include "app.h"
#include "backdrop.h"
#include "dpi.h"
#include "filedrop.h"
#include "imagezone.h"
#include "textbox.h"
#include "tooltip.h"
#include "units.h"

namespace rt {
namespace {

constexpr wchar_t kFormClass[] = L"TessiverForm";
// A fixed frame: caption, system menu and minimise box, no sizing border.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

bool InsideOrSame(HWND outer, HWND inner) { return inner && (outer == inner || IsChild(outer, inner)); }

// Where a window of that outer size stands centred on the screen.
POINT CentredOrigin(int width, int height) {
    return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}

int OuterPixelsX(long twips) { return RoundHalfEven(twips / TwipsPerPixelX()); }
int OuterPixelsY(long twips) { return RoundHalfEven(twips / TwipsPerPixelY()); }

// Each WM_SETICON costs the window manager a new icon, so only a change is sent.
void SendIcon(HWND hwnd, WPARAM kind, HICON icon) {
    if (icon && reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, kind, 0)) != icon)
        SendMessageW(hwnd, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

Form::Form() : font_(MakeFont(L"MS Sans Serif", 8.25f)) {}

Form::~Form() {
    // No Unload event from a destructor: the owner may be half gone already.
    toolTips_.reset();
    if (HWND hwnd = Window()) DestroyWindow(hwnd);
}

bool Form::Create(const std::wstring& caption, int clientWidth, int clientHeight) {
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, kFormStyle, FALSE, 0);
    return MakeWindow(caption, outer.right - outer.left, outer.bottom - outer.top);
}

bool Form::CreateWithOuterSize(const std::wstring& caption, long widthTwips, long heightTwips) {
    return MakeWindow(caption, OuterPixelsX(widthTwips), OuterPixelsY(heightTwips));
}

bool Form::MakeWindow(const std::wstring& caption, int outerWidth, int outerHeight) {
    if (Window()) return false;
    if (events_.Initialize) events_.Initialize();
    if (!RegisterOwnClass(kFormClass, LoadCursor(nullptr, IDC_ARROW)))
        return false;
    const POINT origin = CentredOrigin(outerWidth, outerHeight);
    HWND hwnd = CreateBound(0, kFormClass, caption.c_str(), kFormStyle, origin.x, origin.y, outerWidth,
                            outerHeight, nullptr);
    if (!hwnd) return false;
    detail::FormOpened(this);
    return true;
}

void Form::SetIcons(HICON big, HICON small) {
    bigIcon_ = big;
    smallIcon_ = small;
    if (!Window()) return;
    SendIcon(Window(), ICON_BIG, big);
    SendIcon(Window(), ICON_SMALL, small);
}

void Form::Load() {
    if (loadRaised_ || !Window()) return;
    loadRaised_ = true;
    if (events_.Load) events_.Load();
}

void Form::Show() {
    HWND hwnd = Window();
    if (!hwnd) return;
    if (!shown_) {
        RECT rect{};
        GetWindowRect(hwnd, &rect);
        // Made centred; it moves only when its size changed since.
        const POINT origin = CentredOrigin(rect.right - rect.left, rect.bottom - rect.top);
        if (origin.x != rect.left || origin.y != rect.top)
            SetWindowPos(hwnd, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int resizesBefore = resizesRaised_;
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    if (!InsideOrSame(hwnd, GetFocus()) || GetFocus() == hwnd) FocusFirstControl();
    if (!shown_) {
        shown_ = true;
        // The first showing is a resize, whether or not the platform sent WM_SIZE for it.
        if (resizesRaised_ == resizesBefore && Window()) RaiseResize();
    }
}

void Form::Unload() {
    if (!Window() || unloading_) return;
    unloading_ = true;
    if (events_.Unload) events_.Unload();
    toolTips_.reset();
    waitingTips_.clear();
    if (HWND hwnd = Window()) DestroyWindow(hwnd);
    unloading_ = false;
}

Form* Form::FromHandle(HWND hwnd) {
    wchar_t name[32] = {};
    if (!hwnd || !GetClassNameW(hwnd, name, 32) || lstrcmpW(name, kFormClass) != 0) return nullptr;
    return FromWindow(hwnd);
}

void Form::OnWindowGone() {
    lastFocus_ = nullptr;
    detail::FormClosed(this);
}

std::wstring Form::Caption() const {
    HWND hwnd = Window();
    if (!hwnd) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Form::SetCaption(const std::wstring& caption) {
    if (Window()) SetWindowTextW(Window(), caption.c_str());
}

void Form::SetBackColor(long oleColour) {
    backColor_ = oleColour;
    RepaintWhenShown(Window(), true);
}

void Form::SetPicture(PictureRef picture) {
    picture_ = std::move(picture);
    RepaintWhenShown(Window(), true, true);
}

void Form::SetFont(FontRef font) {
    if (!font) return;
    font_ = std::move(font);
    for (Control* control : controls_) control->OnAmbientChanged(L"Font");
}

long Form::Width() const {
    RECT rect{};
    if (Window()) GetWindowRect(Window(), &rect);
    return RoundHalfEven((rect.right - rect.left) * TwipsPerPixelX());
}

long Form::Height() const {
    RECT rect{};
    if (Window()) GetWindowRect(Window(), &rect);
    return RoundHalfEven((rect.bottom - rect.top) * TwipsPerPixelY());
}

void Form::ResizeOuter(int widthPixels, int heightPixels) {
    RECT now{};
    if (!Window() || !GetWindowRect(Window(), &now)) return;
    // The platform makes a new window surface even for an unchanged size.
    if (now.right - now.left == widthPixels && now.bottom - now.top == heightPixels) return;
    SetWindowPos(Window(), nullptr, 0, 0, widthPixels, heightPixels, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetWidth(long twips) {
    RECT rect{};
    if (Window()) GetWindowRect(Window(), &rect);
    ResizeOuter(OuterPixelsX(twips), rect.bottom - rect.top);
}

void Form::SetHeight(long twips) {
    RECT rect{};
    if (Window()) GetWindowRect(Window(), &rect);
    ResizeOuter(rect.right - rect.left, OuterPixelsY(twips));
}

void Form::SetOuterSize(long widthTwips, long heightTwips) {
    ResizeOuter(OuterPixelsX(widthTwips), OuterPixelsY(heightTwips));
}

long Form::ScaleWidth() const {
    RECT client{};
    if (Window()) GetClientRect(Window(), &client);
    return scaleMode_ == ScaleMode::Twips ? RoundHalfEven(client.right * TwipsPerPixelX()) : client.right;
}

long Form::ScaleHeight() const {
    RECT client{};
    if (Window()) GetClientRect(Window(), &client);
    return scaleMode_ == ScaleMode::Twips ? RoundHalfEven(client.bottom * TwipsPerPixelY()) : client.bottom;
}

WindowState Form::GetWindowState() const {
    if (Window() && IsIconic(Window())) return WindowState::Minimized;
    if (Window() && IsZoomed(Window())) return WindowState::Maximized;
    return WindowState::Normal;
}

void Form::SetWindowState(WindowState state) {
    if (!Window()) return;
    int command = state == WindowState::Minimized ? SW_MINIMIZE
                  : state == WindowState::Maximized ? SW_MAXIMIZE
                                                    : SW_RESTORE;
    ShowWindow(Window(), command);
}

void Form::Attach(Control& control) {
    if (std::find(controls_.begin(), controls_.end(), &control) == controls_.end()) controls_.push_back(&control);
}

Control* Form::Find(const std::wstring& name) const {
    for (Control* control : controls_)
        if (lstrcmpiW(control->Name().c_str(), name.c_str()) == 0) return control;
    return nullptr;
}

void Form::SetDefault(Control* control) {
    default_ = control;
    FocusChanged(GetFocus());
}

ToolTip& Form::ToolTips() {
    if (toolTips_) return *toolTips_;
    toolTips_ = std::make_unique<ToolTip>(Window());
    if (tipsDpi_) toolTips_->SetDpi(tipsDpi_);
    for (const auto& [tool, text] : waitingTips_)
        if (IsWindow(tool)) toolTips_->SetText(tool, text);
    waitingTips_.clear();
    return *toolTips_;
}

void Form::SetToolTipText(HWND tool, const std::wstring& text) {
    if (!tool) return;
    if (toolTips_) {
        toolTips_->SetText(tool, text);
        return;
    }
    std::erase_if(waitingTips_, [tool](const auto& waiting) { return waiting.first == tool; });
    if (!text.empty()) waitingTips_.emplace_back(tool, text);
}

std::wstring Form::ToolTipText(HWND tool) const {
    if (toolTips_) return toolTips_->Text(tool);
    for (const auto& [waiting, text] : waitingTips_)
        if (waiting == tool) return text;
    return {};
}

void Form::ShowImagesInSight() {
    for (Control* control : controls_)
        if (auto* image = dynamic_cast<ImageZone*>(control)) image->ShowIfInSight();
}

void Form::PrepareToolTips() {
    if (!toolTips_ && !waitingTips_.empty() && Window()) ToolTips();
}

int Form::IndexOf(const Control* control) const {
    auto at = std::find(controls_.begin(), controls_.end(), control);
    return at == controls_.end() ? -1 : static_cast<int>(at - controls_.begin());
}

int Form::IndexOfWindow(HWND hwnd) const {
    if (!hwnd) return -1;
    for (size_t i = 0; i < controls_.size(); ++i)
        if (InsideOrSame(controls_[i]->hWnd(), hwnd) && controls_[i]->hWnd()) return static_cast<int>(i);
    return -1;
}

Control* Form::FocusedControl() const {
    int index = IndexOfWindow(GetFocus());
    return index < 0 ? nullptr : controls_[index];
}

std::vector<NavEntry> Form::Snapshot() const {
    std::vector<NavEntry> entries;
    entries.reserve(controls_.size());
    for (const Control* control : controls_) {
        NavEntry entry;
        entry.tabIndex = control->TabIndex();
        entry.canTakeFocus = control->hWnd() && control->CanTakeFocus();
        entry.actsOnEnter = control->ActsOnEnter();
        entry.accessKeys = control->AccessKeys();
        entries.push_back(std::move(entry));
    }
    return entries;
}

void Form::FocusChanged(HWND focus) {
    HWND hwnd = Window();
    if (!hwnd || !InsideOrSame(hwnd, focus)) return;
    int focused = IndexOfWindow(focus);
    if (focused >= 0) lastFocus_ = controls_[focused]->hWnd();
    int shown = ShownDefault(Snapshot(), focused, IndexOf(default_));
    Control* now = shown < 0 ? nullptr : controls_[shown];
    if (now == shownDefault_) return;
    Control* before = shownDefault_;
    shownDefault_ = now;
    if (before) before->OnAmbientChanged(L"DisplayAsDefault");
    if (now) now->OnAmbientChanged(L"DisplayAsDefault");
}

AccessibleFacts Form::Describe() const {
    AccessibleFacts facts;
    facts.name = Caption();
    facts.ownChildren = true;
    RECT client{}, overlap{};
    GetClientRect(Window(), &client);
    // Controls kept out of sight beyond the client area hold pictures, not parts of the window.
    std::vector<const Control*> own;
    for (const Control* control : controls_) {
        const RECT place = control->hWnd() ? ChildRect(control->hWnd()) : RECT{};
        if (control->Parent() == this && IsWindowVisible(control->hWnd()) && IntersectRect(&overlap, &place, &client))
            own.push_back(control);
    }
    std::stable_sort(own.begin(), own.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
    for (const Control* control : own) facts.children.push_back(control->hWnd());
    return facts;
}

void Form::MoveFocus(bool backwards) {
    int next = NextFocusable(Snapshot(), IndexOfWindow(GetFocus()), backwards);
    if (next >= 0) FocusControl(*controls_[next]);
}

void Form::Discard() {
    toolTips_.reset();
    waitingTips_.clear();
    if (HWND hwnd = Window()) DestroyWindow(hwnd);
    default_ = cancel_ = shownDefault_ = nullptr;
    loadRaised_ = shown_ = false;
    controls_.clear();
    owned_.clear();
}

void Form::FocusControl(Control& control) {
    if (control.hWnd()) SetFocus(control.hWnd());
    FocusChanged(GetFocus());
}

void Form::FocusFirstControl() {
    HWND remembered = lastFocus_;
    int index = IndexOfWindow(remembered);
    if (index >= 0 && controls_[index]->CanTakeFocus()) {
        FocusControl(*controls_[index]);
        return;
    }
    int first = NextFocusable(Snapshot(), -1, false);
    if (first >= 0) FocusControl(*controls_[first]);
}

bool Form::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSCHAR) return false;
    NavRequest request = ClassifyKey(msg.message, msg.wParam, GetKeyState(VK_SHIFT) < 0,
                                     GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0);
    if (request.key == NavKey::None) return false;
    HWND focus = GetFocus();
    // The focused window decides what it keeps for itself (a multi-line edit keeps Enter).
    if (focus && focus != Window() && InsideOrSame(Window(), focus))
        request.dlgCode = static_cast<UINT>(
            SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
    request.focused = IndexOfWindow(focus);
    request.defaultControl = IndexOf(default_);
    request.cancelControl = IndexOf(cancel_);
    NavAction action = Navigate(Snapshot(), request);
    if (action.kind == NavAction::Kind::None) return false;
    Perform(action);
    return true;
}

void Form::Perform(const NavAction& action) {
    Control& target = *controls_[action.target];
    if (action.kind == NavAction::Kind::Focus) {
        FocusControl(target);
        return;
    }
    if (action.focusFirst) FocusControl(target);
    target.OnAccessKey(action.keyAscii);
}

void Form::RaiseResize() {
    ++resizesRaised_;
    if (events_.Resize) events_.Resize();
}

void Form::OnPaint() {
    gdi::PaintDC paint(Window());  // the background is drawn at WM_ERASEBKGND
}

void Form::OnMouseMove(WPARAM wParam, int x, int y) {
    if (!events_.MouseMove) return;
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    if (scaleMode_ == ScaleMode::Twips) {
        fx = static_cast<float>(x * TwipsPerPixelX());
        fy = static_cast<float>(y * TwipsPerPixelY());
    }
    events_.MouseMove(MouseButtonsOf(wParam), ShiftStateOf(wParam), fx, fy);
}

void Form::OnActivate(bool active) {
    if (!active) {
        int index = IndexOfWindow(GetFocus());
        if (index >= 0) lastFocus_ = controls_[index]->hWnd();
        return;
    }
    FocusFirstControl();
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = Window();
    switch (msg) {
    case WM_NCCREATE: {
        const LRESULT made = DefWindowProcW(hwnd, msg, wParam, lParam);
        // Before the display driver makes its own window for this one: it learns the icons once.
        SendIcon(hwnd, ICON_BIG, bigIcon_);
        SendIcon(hwnd, ICON_SMALL, smallIcon_);
        return made;
    }
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd, &client);
        PaintBackdrop(reinterpret_cast<HDC>(wParam), client, backColor_, picture_.get());
        return 1;
    }
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SIZE:
        ShowImagesInSight();
        if (loadRaised_) RaiseResize();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_ACTIVATE:
        // Minimised activation keeps the focus where it was.
        if (HIWORD(wParam) == 0 || LOWORD(wParam) == WA_INACTIVE) OnActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_SETFOCUS:
        FocusFirstControl();
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) OnTextChanged(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_DROPFILES:
        if (!events_.FilesDropped) return DefWindowProcW(hwnd, msg, wParam, lParam);
        if (const auto files = TakeDroppedFiles(reinterpret_cast<HDROP>(wParam)); !files.empty())
            events_.FilesDropped(files);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Form::OnTextChanged(HWND edit) {
    for (Control* control : controls_) {
        auto* box = dynamic_cast<TextBox*>(control);
        if (box && box->hWnd() == edit && box->Change) return box->Change();
    }
}

Form* FormOf(Container* container) {
    while (container && !container->AsForm()) container = container->Parent();
    return container ? container->AsForm() : nullptr;
}

void FocusArrived(Control& control) {
    if (Form* form = FormOf(control.Parent())) form->FocusChanged(control.hWnd());
}


}  // namespace rt
