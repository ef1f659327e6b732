// SPDX-License-Identifier: MIT
#include "Observer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace morlith;

namespace {

// A subscriber that appends its tag to a shared log when notified.
std::unique_ptr<TSubjectObserver> Logging(std::string &log, char tag)
{
    auto subscriber = std::make_unique<TSubjectObserver>();
    subscriber->OnNotify = [&log, tag](TObserver *) { log += tag; };
    return subscriber;
}

} // namespace

TEST(Observer, NotifiesInOrderSkippingSubscribersWithoutHandler)
{
    std::string log;
    TObserver observer;
    auto a = Logging(log, 'a');
    TSubjectObserver silent;
    auto b = Logging(log, 'b');
    observer.Attach(a.get());
    observer.Attach(&silent);
    observer.Attach(nullptr);
    observer.Attach(b.get());
    EXPECT_EQ(observer.Count(), 3u);
    observer.Notify();
    EXPECT_EQ(log, "ab");
    TObserver empty;
    empty.Notify(); // nothing to call, nothing breaks
}

TEST(Observer, TwiceAttachedIsCalledTwiceAndDetachRemovesOneEntry)
{
    std::string log;
    TObserver observer;
    auto a = Logging(log, 'a');
    TSubjectObserver stranger;
    observer.Attach(a.get());
    observer.Attach(a.get());
    observer.Notify();
    EXPECT_EQ(log, "aa");
    observer.Detach(&stranger);
    observer.Detach(a.get());
    observer.Notify();
    EXPECT_EQ(log, "aaa");
}

TEST(Observer, ADestroyedSubscriberIsNeverNotified)
{
    std::string log;
    TObserver observer;
    auto a = Logging(log, 'a');
    auto b = Logging(log, 'b');
    observer.Attach(a.get());
    observer.Attach(b.get());
    observer.Attach(b.get());
    b.reset(); // every entry goes with it
    EXPECT_EQ(observer.Count(), 1u);
    observer.Notify();
    EXPECT_EQ(log, "a");
}

TEST(Observer, ASubscriberOutlivesItsNotifiersSafely)
{
    std::string log;
    auto a = Logging(log, 'a');
    {
        TObserver kept;
        kept.Attach(a.get());
        {
            TObserver gone;
            gone.Attach(a.get());
            EXPECT_EQ(a->Subject, &gone);
        }
        EXPECT_EQ(a->Subject, &kept);
        kept.Notify();
    }
    EXPECT_EQ(a->Subject, nullptr);
    a.reset(); // must not touch the freed notifiers
    EXPECT_EQ(log, "a");
}

TEST(Observer, AHandlerThatDestroysALaterSubscriberDoesNotReachIt)
{
    std::string log;
    TObserver observer;
    auto later = Logging(log, 'b');
    TSubjectObserver first;
    first.OnNotify = [&](TObserver *) {
        log += 'a';
        later.reset();
    };
    observer.Attach(&first);
    observer.Attach(later.get());
    observer.Notify();
    EXPECT_EQ(log, "a");
}

TEST(Observer, ASubscriberOfTwoNotifiersLeavesBothWhenDestroyed)
{
    std::string log;
    TObserver first;
    TObserver second;
    auto a = Logging(log, 'a');
    first.Attach(a.get());
    second.Attach(a.get());
    second.Attach(a.get());
    first.Detach(a.get());
    EXPECT_EQ(a->Subject, &second);
    first.Attach(a.get());
    a.reset();
    EXPECT_EQ(first.Count(), 0u);
    EXPECT_EQ(second.Count(), 0u);
    first.Notify();
    second.Notify();
    EXPECT_EQ(log, "");
}
