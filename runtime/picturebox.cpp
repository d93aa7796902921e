#include "picturebox.h"

#include "backdrop.h"
#include "form.h"
#include "gdi.h"

namespace rt {
namespace {

constexpr wchar_t kPictureBoxClass[] = L"TessiverPictureBox";

}  // namespace

bool PictureBox::Create(Container& container, const std::wstring& name, int x, int y, int width, int height) {
    if (Window()) return false;
    SetName(name);
    SetParent(&container);
    if (!RegisterOwnClass(kPictureBoxClass, LoadCursor(nullptr, IDC_ARROW)))
        return false;
    return CreateBound(kControlExStyle, kPictureBoxClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height,
                       container.hWnd()) != nullptr;
}

void PictureBox::SetPicture(PictureRef picture) {
    picture_ = std::move(picture);
    Repaint();
}

void PictureBox::SetBackColor(long oleColour) {
    backColor_ = oleColour;
    Repaint();
}

void PictureBox::Repaint() {
    // The see-through controls inside show this box's picture, so they repaint too.
    RepaintWhenShown(Window(), true, true);
}

int PictureBox::Left() const { return ChildRect(Window()).left; }
int PictureBox::Top() const { return ChildRect(Window()).top; }

int PictureBox::Width() const {
    RECT rect = ChildRect(Window());
    return rect.right - rect.left;
}

int PictureBox::Height() const {
    RECT rect = ChildRect(Window());
    return rect.bottom - rect.top;
}

void PictureBox::SetWidth(int width) { Move(Left(), Top(), width, -1); }
void PictureBox::SetHeight(int height) { Move(Left(), Top(), -1, height); }

void PictureBox::Move(int left, int top, int width, int height) {
    if (!Window()) return;
    MoveWindow(Window(), left, top, width < 0 ? Width() : width, height < 0 ? Height() : height, TRUE);
}

LRESULT PictureBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(Window(), &client);
        PaintBackdrop(reinterpret_cast<HDC>(wParam), client, backColor_, picture_.get());
        return 1;
    }
    case WM_PAINT: {
        gdi::PaintDC validated(Window());  // the background was drawn at WM_ERASEBKGND
        return 0;
    }
    case WM_SIZE:
        if (Form* form = FormOf(this)) form->ShowImagesInSight();
        return 0;
    }
    return DefWindowProcW(Window(), msg, wParam, lParam);
}

}  // namespace rt
