#pragma once
// Private state of TClientDataSet, shared with TField (same library only).
//
// Rows live in `records` and never move while the rows are the same: an operation refers to a
// row by its record number. `order` lists the live records in index order (load order without
// an index) and `view` is `order` through the filter; the cursor is a position in `view`.
// `generation` changes whenever the rows are replaced (load, close, empty, cancel of every
// update): a record number or a read scope taken before a handler ran is only trusted when the
// generation is still the same.

#include "framework/data/clientdataset.h"
#include "framework/data/filter_expression.h"

#include <algorithm>
#include <optional>
#include <vector>

enum class RecStatus : std::uint8_t {
    Unmodified,  // as loaded (or merged)
    Inserted,    // posted new row, in the change log
    Modified,    // changed since loaded; `original` holds the loaded values
    Deleted,     // deleted since loaded; out of order/view, `original` holds the loaded values
    Dead         // gone for good (a cancelled insert, a deleted new row, a merged delete)
};

struct DataRecord {
    wire::Row values;
    wire::Row original;
    RecStatus status = RecStatus::Unmodified;
    bool pending = false;  // being inserted, not posted yet
    quint64 logSeq = 0;    // order of the row's first change, for the change set
};

struct TClientDataSet::Impl {
    explicit Impl(TClientDataSet& owner) : q(owner) {}

    TClientDataSet& q;

    // ---- fields
    std::vector<std::unique_ptr<TField>> fields;
    std::vector<std::unique_ptr<TField>> retiredFields;  // replaced by a packet; kept so old pointers read null
    bool persistent = false;

    // ---- rows
    std::vector<DataRecord> records;
    std::vector<int> order;
    std::vector<int> view;
    quint64 generation = 0;
    quint64 logSeq = 0;
    bool logChanges = true;

    // ---- state and cursor
    bool active = false;
    TDataSetState state = TDataSetState::Inactive;
    int cur = -1;
    bool bof = true;
    bool eof = true;

    // ---- edit buffer
    int editRec = -1;
    int returnRec = -1;  // record current before an insert: Cancel goes back to it
    wire::Row editBuf;
    wire::Row editStart;
    bool modified = false;

    // ---- index
    struct IndexDef {
        QString name;
        QString fields;
    };
    std::vector<IndexDef> indexDefs;
    QString indexName;
    QString indexFieldNames;
    std::vector<int> keyFields;

    // ---- filter
    QString filterText;
    std::optional<datafilter::FilterExpression> filter;
    bool filtered = false;

    // ---- controls
    int disableCount = 0;
    int cursorAtDisable = -1;
    TDataSetState stateAtDisable = TDataSetState::Inactive;
    bool activeAtDisable = false;
    std::vector<TDataSetObserver*> observers;
    bool destroying = false;

    // ---- reading another row (ReadRow); kNoRead when the fields read the current record
    static constexpr int kNoRead = -1;
    static constexpr int kInvalidRead = -2;
    mutable int readRec = kNoRead;
    mutable quint64 readGen = 0;

    // ---- helpers
    bool editing() const { return state == TDataSetState::Edit || state == TDataSetState::Insert; }
    int curRec() const { return cur >= 0 && cur < static_cast<int>(view.size()) ? view[static_cast<size_t>(cur)] : -1; }
    bool filterOn() const { return filtered && filter.has_value(); }
    bool passes(int rec) const;

    struct Snapshot {
        quint64 generation;
        TDataSetState state;
        int rec;
        int editRec;
    };
    Snapshot snapshot() const { return {generation, state, curRec(), editRec}; }
    bool unchangedSince(const Snapshot& s) const
    {
        return s.generation == generation && s.state == state && s.rec == curRec() && s.editRec == editRec;
    }

    void checkActive() const;
    void fire(const DataSetEvent& event);
    template <class F> void notify(F&& f, bool evenWhenDisabled = false);
    void moveCursor(int pos);  // tells CursorMoved when the position changes
    // A new generation of the rows there are: in index order through the filter, browsing,
    // the cursor on the first row. No notifications.
    void browseFromFirstRow();

    // Field access for TField.
    const wire::Value* cell(int field) const;
    const wire::Value* oldCell(int field) const;
    void writeField(TField& field, wire::Value value);
    const TField* fieldAt(int index) const;
    void notifyLayout();  // a field's label, format or visibility changed

    // Order, view, index and filter.
    int compareRows(const wire::Row& a, const wire::Row& b) const;
    void sortOrder();
    void rebuildView();
    int viewPosOf(int rec) const;
    int orderPosOf(int rec) const;
    std::vector<int> resolveKeyFields(const QString& names) const;
    void bindFilter();
    void reapplyIndex();

    // Edit buffer without events (used where the rows are replaced anyway).
    void dropEdit();
    void postEdit();
    void cancelEdit();

    wire::FieldDef packetFieldDef(const TField& field) const;
};

template <class F> void TClientDataSet::Impl::notify(F&& f, bool evenWhenDisabled)
{
    if (destroying || (disableCount > 0 && !evenWhenDisabled) || observers.empty()) return;
    if (observers.size() == 1) {
        f(*observers.front());
        return;
    }
    // An observer may remove itself (or another) while being told.
    const std::vector<TDataSetObserver*> copy = observers;
    for (TDataSetObserver* o : copy)
        if (std::find(observers.begin(), observers.end(), o) != observers.end()) f(*o);
}

// Null and empty text count as no value (required fields, index keys, searches).
inline bool isBlank(const wire::Value& v)
{
    return v.isNull() || (v.kind() == wire::Value::Kind::Text && v.text().isEmpty());
}
