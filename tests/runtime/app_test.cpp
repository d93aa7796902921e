#include "runtime/app.h"

#include <ole2.h>

#include <gtest/gtest.h>

#include "form_testkit.h"
#include "runtime/comscope.h"
#include "runtime/form.h"

namespace {

TEST(App, InitialisesOleOnTheWindowThreadForItsLifetime) {
    {
        rt::App app;
        ASSERT_TRUE(app.OleReady());
        // Already initialised as a single-threaded apartment: a second call only counts.
        HRESULT again = OleInitialize(nullptr);
        EXPECT_EQ(again, S_FALSE);
        OleUninitialize();
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        // OLE services need the initialisation: the clipboard answers.
        IDataObject* data = nullptr;
        HRESULT clip = OleGetClipboard(&data);
        EXPECT_NE(clip, CO_E_NOTINITIALIZED);
        if (data) data->Release();
    }
    // Uninitialised again at the end: the thread is free to choose another apartment.
    HRESULT after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(after, S_OK);
    if (SUCCEEDED(after)) CoUninitialize();
}

// A scope leaves COM only when it entered it: a refused entry must not end the apartment around it.
TEST(ComScope, LeavesOnlyWhatItEntered) {
    {
        const rt::ComScope outer(COINIT_MULTITHREADED);
        ASSERT_TRUE(outer.Entered());
        EXPECT_FALSE(rt::ComScope(COINIT_APARTMENTTHREADED).Entered());
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);  // the outer one is still there
        CoUninitialize();
    }
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);  // and gone with the outer scope
    CoUninitialize();
}

TEST(App, AQuitMessageEndsTheLoopAndDoEventsLeavesItThere) {
    rt::App app;
    auto form = formtest::MakePlainForm(L"Quit");
    ASSERT_TRUE(form);
    PostQuitMessage(7);
    EXPECT_EQ(rt::DoEvents(), 1);  // must not swallow the quit
    EXPECT_EQ(app.Run(), 7);
    EXPECT_TRUE(form->IsLoaded());
    form->Unload();
    EXPECT_EQ(app.Run(), 0);
}

}  // namespace
