#pragma once
// The bytes a server holds for messages across all its connections: frames being received,
// calls being decoded, answers waiting for the client to read them. Shared by every worker.
// Each connection and each call under way may hold a small allowance without drawing on it,
// so that ordinary calls never wait for it; what goes beyond is taken here and refused when
// the limit is reached.
//
//   BufferBudget budget(256 << 20);
//   BufferShare share(budget, 128 << 10);   // per connection
//   if (!share.cover(bytesHeldNow)) ...      // refuse what does not fit
//   share.cover(0);                          // on close (also done by the destructor)

#include <QtGlobal>

#include <algorithm>
#include <atomic>

namespace server::net {

class BufferBudget {
public:
    explicit BufferBudget(qsizetype limit) : limit_(limit) {}

    qsizetype limit() const { return limit_; }
    qsizetype held() const { return held_.load(std::memory_order_relaxed); }
    qsizetype peak() const { return peak_.load(std::memory_order_relaxed); }

    // All of `bytes`, or nothing when they would pass the limit.
    bool take(qsizetype bytes)
    {
        qsizetype now = held_.load(std::memory_order_relaxed);
        do {
            if (now + bytes > limit_) return false;
        } while (!held_.compare_exchange_weak(now, now + bytes, std::memory_order_relaxed));
        notePeak(now + bytes);
        return true;
    }
    // As much of `bytes` as is left; returns what was taken.
    qsizetype takeUpTo(qsizetype bytes)
    {
        qsizetype now = held_.load(std::memory_order_relaxed);
        qsizetype taken = 0;
        do {
            taken = std::clamp<qsizetype>(limit_ - now, 0, bytes);
        } while (taken > 0 && !held_.compare_exchange_weak(now, now + taken, std::memory_order_relaxed));
        notePeak(now + taken);
        return taken;
    }
    void give(qsizetype bytes) { held_.fetch_sub(bytes, std::memory_order_relaxed); }

private:
    void notePeak(qsizetype value)
    {
        qsizetype peak = peak_.load(std::memory_order_relaxed);
        while (value > peak && !peak_.compare_exchange_weak(peak, value, std::memory_order_relaxed)) {}
    }

    const qsizetype limit_;
    std::atomic<qsizetype> held_{0};
    std::atomic<qsizetype> peak_{0};
};

// One holder's part of the budget: what it holds beyond its free allowance.
class BufferShare {
public:
    BufferShare(BufferBudget& budget, qsizetype allowance) : budget_(budget), allowance_(allowance) {}
    ~BufferShare() { cover(0); }
    BufferShare(const BufferShare&) = delete;
    BufferShare& operator=(const BufferShare&) = delete;

    // The holder now holds `bytes`. False (and nothing changed) when the budget cannot take
    // the growth; a shrink always succeeds.
    bool cover(qsizetype bytes)
    {
        const qsizetype wanted = std::max<qsizetype>(0, bytes - allowance_);
        if (wanted > taken_ && !budget_.take(wanted - taken_)) return false;
        if (wanted < taken_) budget_.give(taken_ - wanted);
        taken_ = wanted;
        return true;
    }

private:
    BufferBudget& budget_;
    const qsizetype allowance_;
    qsizetype taken_ = 0;
};

}  // namespace server::net
