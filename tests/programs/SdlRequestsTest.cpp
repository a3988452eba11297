// The main thread's request queue: served on the main thread in order, and never a wait that
// outlives the pump (a closed queue cancels what waits and what comes later).
#include <gtest/gtest.h>

#include <atomic>

#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Sdl/SdlRequests.h"

namespace {

struct Record {
    MainRequestQueue* queue;
    std::atomic<int> served{0}, cancelled{0};
    std::atomic<bool> finished{false};
    bool servedOnMain[8]{};
    int order[8]{};
};

struct Job {
    Record* record;
    int index;
};

void Serve(void* data)
{
    Job* job = (Job*)data;
    const int slot = job->record->served++;
    job->record->servedOnMain[slot] = OnServingThread(job->record->queue);
    job->record->order[slot] = job->index;
}

void Cancel(void* data)
{
    ((Job*)data)->record->cancelled++;
}

// Waits (without a clock) until the condition holds, serving nothing.
template <typename Condition>
void WaitFor(Condition condition)
{
    while (!condition())
        SleepMs(1);
}

int PostThree(void* data)
{
    Record* record = (Record*)data;
    for (int i = 0; i < 3; ++i) {
        Job job{record, i};
        RunOnMainThread(record->queue, Serve, Cancel, &job);
    }
    record->finished = true;
    return 0;
}

int PostOneThenAnother(void* data)
{
    Record* record = (Record*)data;
    Job first{record, 0};
    RunOnMainThread(record->queue, Serve, Cancel, &first);
    Job second{record, 1};
    RunOnMainThread(record->queue, Serve, Cancel, &second);
    record->finished = true;
    return 0;
}

class SdlRequestsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenRequestQueue(&queue, nullptr)); }
    void TearDown() override { DestroyRequestQueue(&queue); }
    MainRequestQueue queue;
};

TEST_F(SdlRequestsTest, OtherThreadsAreServedOnTheMainThreadInOrder)
{
    Record record;
    record.queue = &queue;
    PlatformThread* poster = StartThread(PostThree, &record);
    ASSERT_NE(poster, nullptr);
    while (!record.finished)
        ServeRequests(&queue);
    JoinThread(poster);

    ASSERT_EQ(record.served, 3);
    EXPECT_EQ(record.cancelled, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(record.servedOnMain[i]);
        EXPECT_EQ(record.order[i], i);
    }

    // A request made on the main thread itself runs at once; nobody else would serve it.
    Job job{&record, 3};
    RunOnMainThread(&queue, Serve, Cancel, &job);
    EXPECT_EQ(record.served, 4);
}

// The pump ends (say the quit box was answered Yes) while the game thread waits for a window
// change: the waiting request and the next one are cancelled, so the game thread can be joined.
TEST_F(SdlRequestsTest, ClosingCancelsTheWaitingRequestAndEveryLaterOne)
{
    Record record;
    record.queue = &queue;
    PlatformThread* poster = StartThread(PostOneThenAnother, &record);
    ASSERT_NE(poster, nullptr);
    WaitFor([&] { return RequestsWaiting(&queue); });
    CloseRequestQueue(&queue);
    JoinThread(poster); // returns only if nothing waits for this thread any more

    EXPECT_TRUE(record.finished);
    EXPECT_EQ(record.served, 0);
    EXPECT_EQ(record.cancelled, 2);
    ServeRequests(&queue); // a closed queue serves nothing
    EXPECT_EQ(record.served, 0);
}

// The main thread is held elsewhere (a modal box) while a request arrives: the request waits for
// it and is served afterwards, not lost.
TEST_F(SdlRequestsTest, RequestWaitsWhileTheMainThreadIsBusyAndIsServedAfter)
{
    Record record;
    record.queue = &queue;
    PlatformThread* poster = StartThread(PostOneThenAnother, &record);
    ASSERT_NE(poster, nullptr);
    WaitFor([&] { return RequestsWaiting(&queue); });
    EXPECT_EQ(record.served, 0); // still waiting: nothing ran it behind the main thread's back
    EXPECT_FALSE(record.finished);
    while (!record.finished)
        ServeRequests(&queue);
    JoinThread(poster);
    EXPECT_EQ(record.served, 2);
    EXPECT_EQ(record.cancelled, 0);
}

TEST(SdlRequestsClosedQueue, WithoutALockEverythingRunsOnTheCaller)
{
    MainRequestQueue queue{};
    Record record;
    record.queue = &queue;
    Job job{&record, 0};
    RunOnMainThread(&queue, Serve, Cancel, &job);
    EXPECT_EQ(record.served, 1);
    EXPECT_TRUE(OnServingThread(&queue));
}

} // namespace
