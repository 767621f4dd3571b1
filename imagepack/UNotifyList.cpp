#include "imagepack/UNotifyList.h"

#include <algorithm>

TNotifyList::~TNotifyList()
{
    Clear();
}

TNotifyList::TEntry TNotifyList::Add(TNotifyEvent handler)
{
    if (!handler)
        return nullptr;
    entries_.push_back(std::make_unique<TNotifyEvent>(std::move(handler)));
    return entries_.back().get();
}

bool TNotifyList::Remove(TEntry entry)
{
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [entry](const auto& e) { return e.get() == entry; });
    if (found == entries_.end())
        return false;
    entries_.erase(found);
    return true;
}

void TNotifyList::Delete(int index)
{
    entries_.erase(entries_.begin() + index);
}

void TNotifyList::Clear()
{
    // Last to first, as they were added.
    while (!entries_.empty())
        entries_.pop_back();
}

void TNotifyList::Notify(TObject* sender)
{
    const int count = Count();
    for (int i = 0; i < count && i < Count(); ++i) {
        // A copy is called, so a handler may remove its own entry while it runs.
        TNotifyEvent handler = *entries_[i];
        handler(sender);
    }
}
