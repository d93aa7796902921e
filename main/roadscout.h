// Finds out, away from the window thread, whether the path field's text names
// a 64-bit server: the field's change handler never waits on a disk or a
// network share that does not answer. The answer comes back to the window
// thread as a message; only the latest text waits to be looked at.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "basewindow.h"

class RoadScout : private rt::BaseWindow<RoadScout> {
public:
    // `found` runs on the window thread with a text that names a 64-bit
    // server; the text may have changed since.
    explicit RoadScout(std::function<void(const std::wstring& text)> found);
    ~RoadScout();
    RoadScout(const RoadScout&) = delete;
    RoadScout& operator=(const RoadScout&) = delete;

    // Returns at once.
    void Look(const std::wstring& text);

private:
    friend class rt::BaseWindow<RoadScout>;
    struct Shared;
    static void Scout(Shared& shared);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    std::function<void(const std::wstring& text)> found_;
    // Shared with the looking thread, which may outlive this while a share does not answer.
    std::shared_ptr<Shared> shared_;
};
