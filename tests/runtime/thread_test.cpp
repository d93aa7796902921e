#include "runtime/thread.h"

#include <gtest/gtest.h>

#include <atomic>

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

}  // namespace
