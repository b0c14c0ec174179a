#include "server/statement_cache.h"

#include <QSqlDatabase>

#include <algorithm>
#include <utility>

namespace server {

StatementCache::StatementCache(QSqlDatabase& db, bool forwardOnly, std::size_t capacity)
    : db_(db), forwardOnly_(forwardOnly), slots_(capacity)
{}

StatementCache::~StatementCache() { clear(); }

void StatementCache::clear()
{
    // Statements on loan stay with their users until the lease ends; Database keeps every
    // Sql shorter-lived than itself, so none is on loan here.
    for (auto& slot : slots_) slot->query.finish();
    slots_.clear();
}

StatementCache::Lease StatementCache::take(const QString& text, QSqlError& failure)
{
    Lease lease;
    lease.cache_ = this;
    if (Slot* slot = slots_.lend(text)) {
        lease.slot_ = slot;
        lease.query_ = &slot->query;
        return lease;
    }

    QSqlQuery query(db_);
    query.setForwardOnly(forwardOnly_);
    ++prepared_;
    if (!query.prepare(text)) {
        failure = query.lastError();
        lease.cache_ = nullptr;
        return lease;
    }
    Slot* slot = slots_.place();
    if (!slot) {
        // Every statement is on loan (deeply nested reads): this one is used once and dropped.
        lease.own_ = std::make_unique<QSqlQuery>(std::move(query));
        lease.query_ = lease.own_.get();
        return lease;
    }
    slot->query = std::move(query);
    lease.slot_ = slots_.hold(*slot, text);
    lease.query_ = &slot->query;
    return lease;
}

void StatementCache::giveBack(Slot* slot)
{
    QSqlQuery& q = slot->query;
    q.finish();
    // The next user starts from unbound parameters, as with a statement of its own.
    for (const QString& name : slot->bound) q.bindValue(name, QVariant());
    slot->bound.clear();
    slot->inUse = false;
}

StatementCache::Lease::Lease(Lease&& other) noexcept
    : cache_(std::exchange(other.cache_, nullptr)),
      slot_(std::exchange(other.slot_, nullptr)),
      own_(std::move(other.own_)),
      query_(std::exchange(other.query_, nullptr))
{}

StatementCache::Lease& StatementCache::Lease::operator=(Lease&& other) noexcept
{
    if (this != &other) {
        reset();
        cache_ = std::exchange(other.cache_, nullptr);
        slot_ = std::exchange(other.slot_, nullptr);
        own_ = std::move(other.own_);
        query_ = std::exchange(other.query_, nullptr);
    }
    return *this;
}

void StatementCache::Lease::bind(const QString& placeholder, const QVariant& value)
{
    query_->bindValue(placeholder, value);
    if (slot_ && std::find(slot_->bound.begin(), slot_->bound.end(), placeholder) == slot_->bound.end())
        slot_->bound.push_back(placeholder);
}

void StatementCache::Lease::reset()
{
    if (slot_ && cache_) cache_->giveBack(slot_);
    own_.reset();
    cache_ = nullptr;
    slot_ = nullptr;
    query_ = nullptr;
}

}  // namespace server
