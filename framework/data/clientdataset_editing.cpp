// TClientDataSet: the edit buffer, insert, post, cancel and delete, and the change log.

#include "framework/data/clientdataset.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset_impl.h"

#include <algorithm>

void TClientDataSet::Impl::dropEdit()
{
    if (!editing()) return;
    if (state == TDataSetState::Insert && editRec >= 0) {
        DataRecord& r = records[static_cast<size_t>(editRec)];
        r.status = RecStatus::Dead;
        r.pending = false;
        r.values = {};
        const int op = orderPosOf(editRec);
        if (op >= 0) order.erase(order.begin() + op);
        const int vp = viewPosOf(editRec);
        if (vp >= 0) view.erase(view.begin() + vp);
    }
    editRec = -1;
    returnRec = -1;
    editBuf.clear();
    editStart.clear();
    modified = false;
    state = active ? TDataSetState::Browse : TDataSetState::Inactive;
}

// Writes the edit buffer into its record, logs the change and puts the row where the index
// and the filter want it. No events; notifications only.
void TClientDataSet::Impl::postEdit()
{
    const bool inserting = state == TDataSetState::Insert;
    const int rec = editRec;
    DataRecord& r = records[static_cast<size_t>(rec)];
    if (inserting) {
        r.pending = false;
        r.values = std::move(editBuf);
        r.status = logChanges ? RecStatus::Inserted : RecStatus::Unmodified;
        if (logChanges) r.logSeq = ++logSeq;
    } else if (r.values != editBuf) {
        if (r.status == RecStatus::Unmodified && logChanges) {
            r.original = std::move(r.values);
            r.status = RecStatus::Modified;
            r.logSeq = ++logSeq;
        }
        r.values = std::move(editBuf);
    }
    editBuf.clear();
    editStart.clear();
    editRec = -1;
    returnRec = -1;
    modified = false;
    state = TDataSetState::Browse;

    const int from = cur;
    int to = from;
    bool removed = false;
    if (!keyFields.empty()) {
        // Without a filter the view is the order, and the posted row is where the cursor is.
        const bool atCursor = !filterOn() && from >= 0 && from < static_cast<int>(order.size())
                              && order[static_cast<size_t>(from)] == rec;
        const int op = atCursor ? from : orderPosOf(rec);
        const auto& values = r.values;
        const bool afterPrev =
            op == 0
            || compareRows(records[static_cast<size_t>(order[static_cast<size_t>(op - 1)])].values, values) <= 0;
        const bool beforeNext =
            op + 1 >= static_cast<int>(order.size())
            || compareRows(values, records[static_cast<size_t>(order[static_cast<size_t>(op + 1)])].values) <= 0;
        if (!(afterPrev && beforeNext)) {
            order.erase(order.begin() + op);
            const auto it = std::upper_bound(order.begin(), order.end(), rec, [this](int a, int b) {
                return compareRows(records[static_cast<size_t>(a)].values, records[static_cast<size_t>(b)].values) < 0;
            });
            const auto at = it - order.begin();
            order.insert(order.begin() + at, rec);
            if (filterOn()) {
                rebuildView();
            } else {
                view.erase(view.begin() + from);
                view.insert(view.begin() + at, rec);
            }
        }
    }
    if (filterOn() && !filter->matches(r.values)) {
        const int vp = viewPosOf(rec);
        if (vp >= 0) view.erase(view.begin() + vp);
        removed = true;
    } else {
        // Usually still at the cursor: a pass posting every row stays linear.
        const bool stayed = to >= 0 && to < static_cast<int>(view.size()) && view[static_cast<size_t>(to)] == rec;
        if (!stayed) to = viewPosOf(rec);
    }

    // The cursor is in its final place before anyone is told.
    if (removed) {
        const int n = static_cast<int>(view.size());
        bof = eof = n == 0;
        cur = n == 0 ? -1 : std::min(from, n - 1);
    } else {
        cur = to;
    }
    const int now = cur;
    const quint64 g = generation;
    notify([](TDataSetObserver& o) { o.StateChanged(); });
    if (generation != g) return;  // an observer's handler replaced the rows
    if (removed) {
        notify([&](TDataSetObserver& o) { o.RowRemoved(from); });
        if (generation != g) return;
        notify([&](TDataSetObserver& o) { o.CursorMoved(from, now); });
    } else if (to != from) {
        notify([&](TDataSetObserver& o) { o.RowMoved(from, to); });
        if (generation != g) return;
        notify([&](TDataSetObserver& o) { o.RowChanged(to, nullptr); });
        if (generation != g) return;
        notify([&](TDataSetObserver& o) { o.CursorMoved(from, to); });
    } else {
        notify([&](TDataSetObserver& o) { o.RowChanged(to, nullptr); });
    }
}

// Leaves edit or insert state without events; notifications only.
void TClientDataSet::Impl::cancelEdit()
{
    const int pos = cur;
    if (state == TDataSetState::Insert) {
        const int back = returnRec;
        dropEdit();
        const int n = static_cast<int>(view.size());
        int target = back >= 0 ? viewPosOf(back) : -1;
        if (target < 0) target = n == 0 ? -1 : std::min(pos, n - 1);
        bof = eof = n == 0;
        cur = target;
        const quint64 g = generation;
        notify([](TDataSetObserver& o) { o.StateChanged(); });
        if (generation != g) return;  // an observer's handler replaced the rows
        notify([&](TDataSetObserver& o) { o.RowRemoved(pos); });
        if (generation != g) return;
        notify([&](TDataSetObserver& o) { o.CursorMoved(pos, target); });
    } else {
        dropEdit();
        notify([](TDataSetObserver& o) { o.StateChanged(); });
        notify([&](TDataSetObserver& o) { o.RowChanged(pos, nullptr); });
    }
}

// ---------------------------------------------------------------- editing

void TClientDataSet::Edit()
{
    Impl& d = *d_;
    d.checkActive();
    if (d.editing()) return;
    if (d.view.empty()) {
        Append();
        return;
    }
    const auto s = d.snapshot();
    d.fire(BeforeEdit);
    if (!d.unchangedSince(s) || d.curRec() < 0) return;
    d.editRec = d.curRec();
    d.editBuf = d.records[static_cast<size_t>(d.editRec)].values;
    d.editStart = d.editBuf;
    d.modified = false;
    d.state = TDataSetState::Edit;
    d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    d.fire(AfterEdit);
}

namespace {
enum class NewRowAt { Current, End };
}

static void beginNewRow(TClientDataSet& ds, TClientDataSet::Impl& d, NewRowAt where)
{
    d.checkActive();
    ds.CheckBrowseMode();
    const auto s = d.snapshot();
    d.fire(ds.BeforeInsert);
    if (!d.unchangedSince(s)) return;
    d.fire(ds.BeforeScroll);
    if (!d.unchangedSince(s)) return;

    const int rec = static_cast<int>(d.records.size());
    DataRecord r;
    r.values.resize(d.fields.size());
    r.pending = true;
    r.status = RecStatus::Inserted;
    d.records.push_back(std::move(r));

    int pos;
    if (where == NewRowAt::End || d.cur < 0) {
        pos = static_cast<int>(d.view.size());
        d.order.push_back(rec);
    } else {
        pos = d.cur;
        const int op = d.orderPosOf(d.view[static_cast<size_t>(pos)]);
        d.order.insert(d.order.begin() + op, rec);
    }
    d.view.insert(d.view.begin() + pos, rec);

    d.returnRec = d.curRec();
    d.editRec = rec;
    d.editBuf.assign(d.fields.size(), wire::Value());
    d.editStart = d.editBuf;
    d.modified = false;
    d.state = TDataSetState::Insert;
    d.bof = d.eof = false;
    const int old = d.cur;
    d.cur = pos;
    const quint64 g = d.generation;
    d.notify([&](TDataSetObserver& o) { o.RowInserted(pos); });
    d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    d.notify([&](TDataSetObserver& o) { o.CursorMoved(old, pos); });
    if (d.generation != g || d.editRec != rec) return;

    d.fire(ds.AfterInsert);
    if (d.generation != g || d.editRec != rec) return;
    d.fire(ds.AfterScroll);
}

void TClientDataSet::Insert() { beginNewRow(*this, *d_, NewRowAt::Current); }

void TClientDataSet::Append() { beginNewRow(*this, *d_, NewRowAt::End); }

void TClientDataSet::Post()
{
    Impl& d = *d_;
    d.checkActive();
    if (!d.editing()) return;
    d.notify([](TDataSetObserver& o) { o.UpdateRecord(); }, true);
    if (!d.editing()) return;

    const auto s = d.snapshot();
    d.fire(BeforePost);
    if (!d.unchangedSince(s)) return;

    // Checks after BeforePost: the handler may fill what is missing.
    const bool inserting = d.state == TDataSetState::Insert;
    for (const auto& f : d.fields) {
        const wire::Value& v = d.editBuf[static_cast<size_t>(f->Index())];
        if (f->Required() && isBlank(v))
            throw EDatabaseError(QStringLiteral("O campo '%1' deve ser informado.").arg(f->DisplayLabel()));
        // Only what was written is measured: a loaded value is the server's business.
        if (f->DataType() == wire::FieldType::String && v.kind() == wire::Value::Kind::Text
            && v.text().size() > f->Size() && (inserting || v != d.editStart[static_cast<size_t>(f->Index())]))
            throw EDatabaseError(QStringLiteral("O valor do campo '%1' excede o tamanho de %2 caracteres.")
                                     .arg(f->DisplayLabel())
                                     .arg(f->Size()));
    }

    const int rec = d.editRec;
    const quint64 g = d.generation;
    d.postEdit();
    if (d.generation != g) return;
    d.fire(AfterPost);
    if (d.generation != g) return;
    // A row the filter no longer lets through took the cursor to another row.
    if (d.curRec() != rec && d.records[static_cast<size_t>(rec)].status != RecStatus::Dead && d.viewPosOf(rec) < 0
        && d.state == TDataSetState::Browse)
        d.fire(AfterScroll);
}

void TClientDataSet::Cancel()
{
    Impl& d = *d_;
    if (!d.active || !d.editing()) return;
    const bool inserting = d.state == TDataSetState::Insert;
    const quint64 g = d.generation;
    d.cancelEdit();
    if (d.generation != g) return;
    d.fire(AfterCancel);
    if (d.generation != g) return;
    if (inserting && d.state == TDataSetState::Browse) d.fire(AfterScroll);
}

void TClientDataSet::Delete()
{
    Impl& d = *d_;
    d.checkActive();
    if (d.state == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (d.view.empty())
        throw EDatabaseError(QStringLiteral("Não há registro para excluir: o conjunto de dados está vazio."));
    const auto s = d.snapshot();
    d.fire(BeforeDelete);
    if (!d.unchangedSince(s)) return;
    d.fire(BeforeScroll);
    if (!d.unchangedSince(s)) return;

    const bool wasEditing = d.editing();
    d.dropEdit();
    const int pos = d.cur;
    const int rec = d.curRec();
    DataRecord& r = d.records[static_cast<size_t>(rec)];
    if (r.status == RecStatus::Inserted || (r.status == RecStatus::Unmodified && !d.logChanges)) {
        r.status = RecStatus::Dead;
        r.values = {};
        r.original = {};
    } else {
        if (r.status == RecStatus::Unmodified) {
            r.original = std::move(r.values);
            r.logSeq = ++d.logSeq;
        }
        r.values = {};
        r.status = RecStatus::Deleted;
    }
    d.order.erase(d.order.begin() + d.orderPosOf(rec));
    d.view.erase(d.view.begin() + pos);
    const int n = static_cast<int>(d.view.size());
    d.bof = d.eof = n == 0;
    const int now = n == 0 ? -1 : std::min(pos, n - 1);
    d.cur = now;

    const quint64 g = d.generation;
    if (wasEditing) d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    if (d.generation != g) return;
    d.notify([&](TDataSetObserver& o) { o.RowRemoved(pos); });
    if (d.generation != g) return;
    d.notify([&](TDataSetObserver& o) { o.CursorMoved(pos, now); });
    if (d.generation != g) return;
    d.fire(AfterDelete);
    if (d.generation != g) return;
    d.fire(AfterScroll);
}

void TClientDataSet::CheckBrowseMode()
{
    Impl& d = *d_;
    d.checkActive();
    if (!d.editing()) return;
    d.notify([](TDataSetObserver& o) { o.UpdateRecord(); }, true);
    if (!d.editing()) return;
    if (d.modified)
        Post();
    else
        Cancel();
}

bool TClientDataSet::Modified() const { return d_->editing() && d_->modified; }

// ---------------------------------------------------------------- change log

int TClientDataSet::ChangeCount() const
{
    int n = 0;
    for (const DataRecord& r : d_->records)
        if (!r.pending
            && (r.status == RecStatus::Inserted || r.status == RecStatus::Modified || r.status == RecStatus::Deleted))
            ++n;
    return n;
}

void TClientDataSet::MergeChangeLog()
{
    for (DataRecord& r : d_->records) {
        if (r.status == RecStatus::Deleted) {
            r.status = RecStatus::Dead;
            r.values = {};
        } else if (r.status == RecStatus::Inserted || r.status == RecStatus::Modified) {
            r.status = RecStatus::Unmodified;
        }
        r.original = {};
        r.logSeq = 0;
    }
}

void TClientDataSet::CancelUpdates()
{
    Impl& d = *d_;
    if (!d.active) return;
    const bool wasEditing = d.editing();
    const int oldRec =
        wasEditing && d.state == TDataSetState::Insert ? d.returnRec : (wasEditing ? d.editRec : d.curRec());
    d.dropEdit();
    for (DataRecord& r : d.records) {
        switch (r.status) {
        case RecStatus::Inserted:
            r.status = RecStatus::Dead;
            r.values = {};
            break;
        case RecStatus::Modified:
        case RecStatus::Deleted:
            r.values = std::move(r.original);
            r.original = {};
            r.status = RecStatus::Unmodified;
            break;
        default: break;
        }
        r.logSeq = 0;
    }
    ++d.generation;
    d.sortOrder();
    d.rebuildView();
    const int oldCur = d.cur;
    int pos = oldRec >= 0 ? d.viewPosOf(oldRec) : -1;
    if (pos < 0) pos = d.view.empty() ? -1 : 0;
    d.cur = pos;
    d.bof = d.eof = d.view.empty();
    if (wasEditing) d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    d.notify([](TDataSetObserver& o) { o.DataSetChanged(); });
    d.notify([&](TDataSetObserver& o) { o.CursorMoved(oldCur, pos); });
    if (d.curRec() != oldRec) d.fire(AfterScroll);
}

bool TClientDataSet::LogChanges() const { return d_->logChanges; }

void TClientDataSet::SetLogChanges(bool on) { d_->logChanges = on; }
