// Resolves the path field's text into its server files away from the window
// thread: the field's change handler never waits on a disk or a network share
// that does not answer. The records come back to the window thread as a
// message, for whatever reads ahead (the 64-bit helper getting ready, the
// registry's names); only the latest text waits to be resolved.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "basewindow.h"
#include "serverroad.h"

class RoadScout : private rt::BaseWindow<RoadScout> {
public:
    // `resolved` runs on the window thread with a text and the files it
    // names, each resolved once; the text may have changed since.
    using Resolved = std::function<void(const std::wstring& text, const services::ServerFiles& files)>;
    explicit RoadScout(Resolved resolved);
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

    Resolved resolved_;
    // Shared with the looking thread, which may outlive this while a share does not answer.
    std::shared_ptr<Shared> shared_;
};
