// The fields every part of the AeroButton control shares: one per stored
// property, the run-time state of input, hover tracking and painting, and the
// palette derived from the colour properties.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/picture.h"

namespace aero {

// Which corners are square: bit 0 the two left ones, bit 1 the two right ones.
enum ShapeKind : long { Rounded = 0, SquareLeft = 1, SquareRight = 2, Square = 3 };

// Where the picture stands relative to the caption.
enum PictureAlign : long {
    Center = 0,
    BottomEdge = 1,
    BelowCaption = 2,
    LeftEdge = 3,
    LeftOfCaption = 4,
    RightEdge = 5,
    RightOfCaption = 6,
    TopEdge = 7,
    AboveCaption = 8,
};

// How the drawn picture size is chosen.
enum PictureSizeMode : long { Natural = 0, Size16 = 1, Size24 = 2, Size32 = 3, Size48 = 4, Custom = 5 };

// The visual state of a paint; -1 asks a repaint to keep the current one.
enum ButtonState : long { Normal = 0, Hot = 1, Down = 2, Disabled = 3 };
constexpr long kKeepState = -1;

// Colours derived from the colour properties, rebuilt by RefreshColors.
struct Palette {
    COLORREF clrFace = 0;
    COLORREF clrDownFace = 0;
    COLORREF clrText = 0;
    COLORREF clrDisabledFace = 0;
    COLORREF clrDisabledText = 0;
    COLORREF clrHotLower = 0;
    COLORREF clrMask = 0;
    COLORREF clrLightGrey = 0;
};

// A new instance has every field zero, empty or none; InitProperties or
// ReadProperties fills the property fields afterwards.
struct AeroButtonState {
    // Property fields. Colours are OLE colours (RGB or a system colour).
    long BackColor = 0;
    long ForeColor = 0;
    long MaskColor = 0;
    std::wstring Caption;
    std::wstring TipText;
    long ButtonShape = 0;  // ShapeKind; other values draw like Rounded
    bool CheckBoxMode = false;
    bool Enabled = false;
    bool HandPointer = false;
    long PictureAlignment = 0;  // PictureAlign; other values put the picture top-left
    rt::PictureRef PictureNormal;
    rt::PictureRef PictureHot;
    rt::PictureRef PictureDown;
    float PictureOpacity = 0.0f;  // fraction, 0.1 to 1 (0 without PictureNormal)
    long PictureSize = 0;         // PictureSizeMode
    long PictureSizeH = 0;        // pixels
    long PictureSizeW = 0;        // pixels
    bool UseMaskColor = false;
    bool Value = false;

    // Run-time state.
    long nState = Normal;
    bool bHasFocus = false;
    bool bFocusPainted = false;
    bool bIsDown = false;
    bool bMouseDown = false;
    bool bSpaceDown = false;
    bool bIsHot = false;
    bool bTrackingLeave = false;
    bool bHostActive = false;
    bool bDisplayAsDefault = false;
    bool bHidden = false;
    bool bLayoutDirty = false;
    bool bPropsLoaded = false;
    bool bIsNT = false;
    bool bUser32Track = false;
    short nLastButton = 0;
    HCURSOR hHandCursor = nullptr;
    long nWidth = 0;
    long nHeight = 0;
    RECT rcCaption{};
    RECT rcPicture{};

    Palette palette;
};

// The values InitProperties gives a new instance (the font and the ambient
// values come from the host).
constexpr long kDefaultBackColor = 15132390;  // &HE6E6E6
constexpr long kDefaultMaskColor = 12632256;  // &HC0C0C0
constexpr long kDefaultPictureAlignment = LeftOfCaption;

}  // namespace aero
