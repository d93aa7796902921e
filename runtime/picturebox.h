// A picture box: a child window that shows a picture at its top-left over its
// back colour and holds controls of its own.
#pragma once

#include <windows.h>

#include <string>

#include "basewindow.h"
#include "control.h"
#include "picture.h"

namespace rt {

class PictureBox : public Control, public Container, private BaseWindow<PictureBox> {
public:
    PictureBox() = default;
    ~PictureBox() override = default;

    bool Create(Container& container, const std::wstring& name, int x, int y, int width, int height);
    HWND hWnd() const override { return Window(); }
    Container* Parent() const override { return Control::Parent(); }

    PictureRef Picture() const { return picture_; }
    void SetPicture(PictureRef picture);  // repaints the box and the controls inside
    long BackColor() const { return backColor_; }
    void SetBackColor(long oleColour);

    // Place and size in the container, pixels.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetWidth(int width);
    void SetHeight(int height);
    // A negative width or height keeps the current one.
    void Move(int left, int top, int width = -1, int height = -1);

private:
    friend class BaseWindow<PictureBox>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Repaint();

    PictureRef picture_;
    long backColor_ = static_cast<long>(0x8000000F);
};

}  // namespace rt
