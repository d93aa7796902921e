#include "runtime/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

TEST(Thread, JoinWaitsForTheBodyWhicheverWayTheThreadGoes) {
    enum class End { Join, Destroy, MoveOver };
    for (End end : {End::Join, End::Destroy, End::MoveOver}) {
        std::atomic<int> done{0};
        const auto body = [&done] {
            Sleep(50);
            done = 1;
        };
        {
            rt::Thread thread(body);
            EXPECT_TRUE(thread.Joinable());
            if (end == End::Join) thread.Join();
            if (end == End::MoveOver) thread = rt::Thread([] {});
            if (end != End::Destroy) {
                EXPECT_EQ(done, 1) << static_cast<int>(end);
            }
        }
        EXPECT_EQ(done, 1) << static_cast<int>(end);
    }
}

TEST(Thread, ConditionWakesOnNotifyAndGivesUpAtItsLimit) {
    rt::Mutex mutex;
    rt::Condition condition;
    bool told = false;
    {
        std::unique_lock<rt::Mutex> held(mutex);
        const ULONGLONG start = GetTickCount64();
        EXPECT_FALSE(condition.Wait(
            held, [&] { return told; }, 100));
        EXPECT_GE(GetTickCount64() - start, 90u);
    }
    rt::Thread teller([&] {
        Sleep(30);
        const std::lock_guard<rt::Mutex> held(mutex);
        told = true;
        condition.NotifyAll();
    });
    std::unique_lock<rt::Mutex> held(mutex);
    EXPECT_TRUE(condition.Wait(
        held, [&] { return told; }, 5000));
}

void CALLBACK SeePriority(PTP_CALLBACK_INSTANCE, void* seen) {
    *static_cast<std::atomic<int>*>(seen) = GetThreadPriority(GetCurrentThread());
}

// The parts run at once (each waits until all have begun, which parts run one
// after another never reach), each once, at the caller's priority, and the
// call returns only after the last; the pool's threads get their own priority back.
TEST(Thread, RunTogetherRunsEveryPartAtOnceAndWaitsForTheLast) {
    constexpr DWORD kParts = 4;
    std::atomic<DWORD> begun{0}, ended{0};
    std::vector<int> priorities(kParts, THREAD_PRIORITY_ERROR_RETURN);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    rt::RunTogether(kParts, [&](DWORD part) {
        priorities[part] = GetThreadPriority(GetCurrentThread());
        ++begun;
        const ULONGLONG until = GetTickCount64() + 5000;
        while (begun < kParts && GetTickCount64() < until) Sleep(1);
        Sleep(20);
        if (begun == kParts) ++ended;
    });
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(ended, kParts) << "parts not run at once, or the call returned before the last ended";
    EXPECT_EQ(priorities, std::vector<int>(kParts, THREAD_PRIORITY_BELOW_NORMAL));
    std::atomic<int> pool{THREAD_PRIORITY_ERROR_RETURN};
    ASSERT_TRUE(TrySubmitThreadpoolCallback(&SeePriority, &pool, nullptr));
    for (int wait = 0; wait < 500 && pool == THREAD_PRIORITY_ERROR_RETURN; ++wait) Sleep(10);
    EXPECT_EQ(pool, THREAD_PRIORITY_NORMAL);
}

}  // namespace
