// Resolves the path field's text into its server files away from the window
// thread: the field's change handler never waits on a disk or a network share
// that does not answer. The records go, as they are, to whatever reads ahead
// for them (the registry's names), and whether they name a 64-bit server
// comes back to the window thread as a message; only the latest text waits to
// be resolved.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "paths/serverroad.h"
#include "runtime/basewindow.h"

class RoadScout : private rt::BaseWindow<RoadScout> {
public:
    // `found` runs on the window thread with a text that names a 64-bit
    // server; the text may have changed since. `ahead` runs on the scout's
    // own thread with the files of each text resolved, never once this is gone.
    using Found = std::function<void(const std::wstring& text)>;
    using Ahead = std::function<void(const services::ServerFiles& files)>;
    RoadScout(Found found, Ahead ahead);
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

    Found found_;
    // Shared with the looking thread, which may outlive this while a share does not answer.
    std::shared_ptr<Shared> shared_;
};
