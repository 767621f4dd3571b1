#pragma once
// Further listeners of an image pack: each entry is a heap-held copy of a change handler,
// owned by the list and called in index order.
#include "framework/core/Events.h"
#include "framework/core/Object.h"

#include <memory>
#include <vector>

class TNotifyList : public TObject {
public:
    // Identifies an entry for removal; stays valid until that entry is removed.
    using TEntry = const TNotifyEvent*;

    TNotifyList() = default;
    ~TNotifyList() override;
    ZA2_CLASS_NAME(TNotifyList)

    // Appends a copy of handler (an empty handler is not added and gives null). The same
    // handler may be added more than once; each entry is called.
    TEntry Add(TNotifyEvent handler);
    // Removes the entry; false when it is not (or no longer) in the list.
    bool Remove(TEntry entry);
    void Delete(int index);
    void Clear();
    int Count() const { return static_cast<int>(entries_.size()); }

    // Calls the entries present when the notification starts, in index order. Entries added by
    // a handler wait for the next notification; when a handler removes entries, those that
    // have moved out of range are not called.
    void Notify(TObject* sender);

private:
    std::vector<std::unique_ptr<TNotifyEvent>> entries_;
};
