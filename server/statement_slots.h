#pragma once
// The bookkeeping both statement caches share (StatementCache for Qt's statements,
// SqliteStatements for the sqlite3 library's): statements kept by text, each lent to one user
// at a time, at most `capacity` of them, the one unused for longest giving way when full.

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace server {

// `Slot` has a `statement` member; the base gives it what the bookkeeping needs.
struct StatementSlotBase {
    QString text;
    bool inUse = false;
    std::uint64_t lastUse = 0;
};

template <class Slot> class StatementSlots {
public:
    explicit StatementSlots(std::size_t capacity) : capacity_(capacity) {}

    // An idle slot prepared with `text`, now lent; null when there is none.
    Slot* lend(const QString& text)
    {
        for (auto& slot : slots_)
            if (!slot->inUse && slot->text == text) return hold(*slot);
        return nullptr;
    }

    // The slot a newly prepared statement goes into: a new one while there is room, otherwise
    // the idle one unused for longest (whose statement the caller replaces). Null when every
    // slot is lent (deeply nested reads): the caller uses its statement once and drops it.
    Slot* place()
    {
        if (slots_.size() < capacity_) return slots_.emplace_back(std::make_unique<Slot>()).get();
        Slot* oldest = nullptr;
        for (auto& slot : slots_)
            if (!slot->inUse && (!oldest || slot->lastUse < oldest->lastUse)) oldest = slot.get();
        return oldest;
    }

    // Marks a placed slot as holding `text` and lent.
    Slot* hold(Slot& slot, const QString& text)
    {
        slot.text = text;
        return hold(slot);
    }

    std::size_t size() const { return slots_.size(); }
    auto begin() { return slots_.begin(); }
    auto end() { return slots_.end(); }
    void clear() { slots_.clear(); }

private:
    Slot* hold(Slot& slot)
    {
        slot.inUse = true;
        slot.lastUse = ++clock_;
        return &slot;
    }

    std::size_t capacity_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::uint64_t clock_ = 0;
};

}  // namespace server
