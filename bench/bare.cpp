// The least window program: one top-level window and its message loop.
#include "reference_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return bench::RunReferenceWindow(instance, L"Bare window", [](HWND) {});
}
