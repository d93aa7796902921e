// The events an AeroButton raises to its host, in the order of its event
// interface. Arguments are by reference: a handler may change them.
#pragma once

#include <functional>

#include <objidl.h>

namespace aero {

struct AeroButtonEvents {
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void(short& keyCode, short& shift)> KeyDown;
    std::function<void(short& keyAscii)> KeyPress;
    std::function<void(short& keyCode, short& shift)> KeyUp;
    std::function<void(short& button, short& shift, float& x, float& y)> MouseDown;
    std::function<void()> MouseEnter;
    std::function<void()> MouseLeave;
    std::function<void(short& button, short& shift, float& x, float& y)> MouseMove;
    std::function<void(short& button, short& shift, float& x, float& y)> MouseUp;
    std::function<void(IDataObject* data, long& effect, short& button, short& shift, float& x, float& y)>
        OLEDragDrop;
    std::function<void(IDataObject* data, long& effect, short& button, short& shift, float& x, float& y,
                       short& state)>
        OLEDragOver;
    std::function<void(long& effect)> OLECompleteDrag;
};

}  // namespace aero
