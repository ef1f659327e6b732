// SPDX-License-Identifier: MIT
#include "Observer.h"

#include <algorithm>

namespace morlith {

TSubjectObserver::~TSubjectObserver()
{
    // Each DetachAll removes its notifier from FSubjects, so take them from the back.
    while (!FSubjects.empty())
        FSubjects.back()->DetachAll(this);
}

TObserver::~TObserver()
{
    for (TSubjectObserver *subscriber : FSubscribers)
        Forget(subscriber);
}

void TObserver::Attach(TSubjectObserver *Subscriber)
{
    if (Subscriber == nullptr)
        return;
    FSubscribers.push_back(Subscriber);
    auto &subjects = Subscriber->FSubjects;
    if (std::find(subjects.begin(), subjects.end(), this) == subjects.end())
        subjects.push_back(this);
    Subscriber->Subject = this;
}

void TObserver::Detach(TSubjectObserver *Subscriber)
{
    const auto found = std::find(FSubscribers.begin(), FSubscribers.end(), Subscriber);
    if (found == FSubscribers.end())
        return;
    FSubscribers.erase(found);
    if (std::find(FSubscribers.begin(), FSubscribers.end(), Subscriber) == FSubscribers.end())
        Forget(Subscriber);
}

void TObserver::DetachAll(TSubjectObserver *Subscriber)
{
    FSubscribers.erase(std::remove(FSubscribers.begin(), FSubscribers.end(), Subscriber),
                       FSubscribers.end());
    Forget(Subscriber);
}

void TObserver::Forget(TSubjectObserver *Subscriber)
{
    auto &subjects = Subscriber->FSubjects;
    subjects.erase(std::remove(subjects.begin(), subjects.end(), this), subjects.end());
    if (Subscriber->Subject == this)
        Subscriber->Subject = subjects.empty() ? nullptr : subjects.back();
}

void TObserver::Notify()
{
    // The count is read once. Should a handler shrink the list all the same (a subscriber
    // destroyed inside a handler detaches itself), the loop stops at the list's end.
    const size_t count = FSubscribers.size();
    for (size_t i = 0; i < count && i < FSubscribers.size(); ++i) {
        TSubjectObserver *subscriber = FSubscribers[i];
        if (subscriber->OnNotify)
            subscriber->OnNotify(this);
    }
}

} // namespace morlith
