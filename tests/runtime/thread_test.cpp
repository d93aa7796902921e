#include "runtime/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "runtime/handles.h"

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

struct PoolSeen {
    int priority = THREAD_PRIORITY_ERROR_RETURN;
    rt::Handle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

void CALLBACK SeePriority(PTP_CALLBACK_INSTANCE, void* context) {
    auto& seen = *static_cast<PoolSeen*>(context);
    seen.priority = GetThreadPriority(GetCurrentThread());
    SetEvent(seen.done.Get());
}

// The parts run at once (each waits until all have begun, which parts run one
// after another never reach), each once, at the caller's priority, and the
// call returns only after the last; the pool's threads keep their own priority.
TEST(Thread, RunTogetherRunsEveryPartAtOnceAndWaitsForTheLast) {
    for (DWORD count : {1u, 2u, 4u}) {
        std::atomic<DWORD> begun{0}, ended{0};
        std::vector<int> runs(count), priorities(count);
        std::vector<DWORD> threads(count);
        std::atomic<bool> allMet{true};
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        rt::RunTogether(count, [&](DWORD part) {
            ++runs[part];
            priorities[part] = GetThreadPriority(GetCurrentThread());
            threads[part] = GetCurrentThreadId();
            ++begun;
            const ULONGLONG until = GetTickCount64() + 5000;
            while (begun < count && GetTickCount64() < until) Sleep(1);
            if (begun < count) allMet = false;
            Sleep(20);
            ++ended;
        });
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        EXPECT_TRUE(allMet) << count;
        EXPECT_EQ(ended, count) << "returned before the last part ended";
        EXPECT_EQ(runs, std::vector<int>(count, 1));
        EXPECT_EQ(priorities, std::vector<int>(count, THREAD_PRIORITY_BELOW_NORMAL));
        EXPECT_EQ(threads[0], GetCurrentThreadId()) << "the first part is the caller's";
    }
    // The pool's next work, on a thread that ran a part, runs at the pool's own priority.
    PoolSeen seen;
    ASSERT_TRUE(TrySubmitThreadpoolCallback(&SeePriority, &seen, nullptr));
    ASSERT_EQ(WaitForSingleObject(seen.done.Get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(seen.priority, THREAD_PRIORITY_NORMAL);
}

}  // namespace
