// SPDX-License-Identifier: MIT
#pragma once
// A small publish/subscribe mechanism: a notifier (TObserver) calls its subscribers
// (TSubjectObserver) in order. Progress of an application write travels through it from the
// programmator, through the loader, to the Loading page.
//
// A subscriber remembers the notifier it was attached to and detaches itself when destroyed, and
// a notifier that goes first lets its subscribers know, so no notification ever reaches a
// destroyed subscriber and no subscriber touches a destroyed notifier.

#include <functional>
#include <vector>

namespace morlith {

class TObserver;

// One subscriber.
class TSubjectObserver {
public:
    TSubjectObserver() = default;
    // Detaches every entry of this subscriber from every notifier it is attached to.
    ~TSubjectObserver();
    TSubjectObserver(const TSubjectObserver &) = delete;
    TSubjectObserver &operator=(const TSubjectObserver &) = delete;

    // The notifier this subscriber was last attached to; null when none.
    TObserver *Subject = nullptr;
    // Called with the notifying TObserver as sender; skipped when empty.
    std::function<void(TObserver *Sender)> OnNotify;

private:
    friend class TObserver;
    // Every notifier whose list holds this subscriber, each once.
    std::vector<TObserver *> FSubjects;
};

// The notifier.
class TObserver {
public:
    TObserver() = default;
    // Frees the list; subscribers stay alive and forget this notifier.
    ~TObserver();
    TObserver(const TObserver &) = delete;
    TObserver &operator=(const TObserver &) = delete;

    // Appends a subscriber (again if already there); null is ignored.
    void Attach(TSubjectObserver *Subscriber);
    // Removes the first occurrence of a subscriber; nothing if absent.
    void Detach(TSubjectObserver *Subscriber);
    // Calls every subscriber's OnNotify in list order.
    void Notify();
    // Number of entries in the list.
    size_t Count() const { return FSubscribers.size(); }

private:
    friend class TSubjectObserver;
    void DetachAll(TSubjectObserver *Subscriber);
    // Tells Subscriber that this notifier's list no longer holds it.
    void Forget(TSubjectObserver *Subscriber);

    std::vector<TSubjectObserver *> FSubscribers;
};

} // namespace morlith
