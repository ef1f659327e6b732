#include "Observer.h"

#include <algorithm>

namespace morlith {

TSubjectObserver::~TSubjectObserver()
{
    if (Subject)
        Subject->DetachAll(this);
}

TObserver::~TObserver()
{
    for (TSubjectObserver *subscriber : FSubscribers)
        if (subscriber->Subject == this)
            subscriber->Subject = nullptr;
}

void TObserver::Attach(TSubjectObserver *Subscriber)
{
    if (Subscriber == nullptr)
        return;
    FSubscribers.push_back(Subscriber);
    Subscriber->Subject = this;
}

void TObserver::Detach(TSubjectObserver *Subscriber)
{
    const auto found = std::find(FSubscribers.begin(), FSubscribers.end(), Subscriber);
    if (found == FSubscribers.end())
        return;
    FSubscribers.erase(found);
    if (std::find(FSubscribers.begin(), FSubscribers.end(), Subscriber) == FSubscribers.end() &&
        Subscriber->Subject == this)
        Subscriber->Subject = nullptr;
}

void TObserver::DetachAll(TSubjectObserver *Subscriber)
{
    FSubscribers.erase(std::remove(FSubscribers.begin(), FSubscribers.end(), Subscriber),
                       FSubscribers.end());
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
