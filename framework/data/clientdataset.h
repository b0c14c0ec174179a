#pragma once
// TClientDataSet: an in-memory table with persistent fields, a cursor, states, a change log,
// an active index, a stored filter and single-handler events. It serves the server's data
// packets and the rows of the SQL lookups alike.
//
// Rules every caller may rely on:
// - Loading a packet (SetData) replaces every row, discards the change log, keeps the fields,
//   the active index and the stored filter, and moves to the first row (AfterScroll fires).
//   A packet that lacks a persistent field, or carries it with an incompatible type, is refused
//   with EDatabaseError and the previous rows stay.
// - Any Before*/After* handler may raise EAbort (or any exception) to refuse the action; the
//   dataset is then as it was before that action, and the exception propagates.
// - Handlers may reload, empty, locate or move the very dataset that called them; the dataset
//   stays consistent and touches no stale row afterwards.

#include "framework/data/field.h"
#include "framework/wire/value.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TDataSetObserver;

enum class TDataSetState { Inactive, Browse, Edit, Insert };

struct TLocateOptions {
    bool CaseInsensitive = false;
    bool PartialKey = false;
};

class TClientDataSet : public QObject {
    Q_OBJECT
public:
    explicit TClientDataSet(QObject* owner = nullptr);
    ~TClientDataSet() override;

    // ---- fields
    // Declares a persistent field (only while inactive). Fields keep their order.
    TField& AddField(TFieldDef def);
    bool HasPersistentFields() const;
    int FieldCount() const;
    TField& Fields(int index) const;
    TField* FindField(QStringView name) const;    // case-insensitive; nullptr when absent
    TField& FieldByName(QStringView name) const;  // EDatabaseError when absent
    TField* FindField(const QString& name) const { return FindField(QStringView(name)); }
    TField& FieldByName(const QString& name) const { return FieldByName(QStringView(name)); }

    // ---- packets and the change log
    void SetData(wire::DataPacket packet);
    // The current rows as a packet; only the rows the filter lets through while it is on.
    wire::DataPacket Data() const;
    // The change log as a change set: insert then change = one insert; insert then delete =
    // nothing; change then delete = one delete carrying the originally loaded row.
    wire::ChangeSet Delta() const;
    int ChangeCount() const;
    void MergeChangeLog();  // the current rows become the loaded state
    void CancelUpdates();   // rows return to their last loaded state
    bool LogChanges() const;
    void SetLogChanges(bool on);

    // ---- lifecycle
    virtual void Open();   // opens with the rows it has (none at first)
    virtual void Close();  // drops rows and change log; keeps fields, index, filter
    bool Active() const;
    void SetActive(bool active);
    TDataSetState State() const;
    void EmptyDataSet();  // removes every row and the change log

    // ---- cursor (over the rows in index order, through the filter when it is on)
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Eof() const;
    bool Bof() const;
    int RecNo() const;  // 1-based; 0 when empty
    void SetRecNo(int recNo);
    int RecordCount() const;
    bool IsEmpty() const;

    // ---- editing
    void Edit();
    void Insert();  // a new row before the current one
    void Append();  // a new row at the end
    void Post();    // refuses over-long strings and null required fields (Portuguese text)
    void Cancel();
    void Delete();
    void CheckBrowseMode();  // posts a pending edit or insert
    bool Modified() const;   // the edit buffer differs from the record

    // ---- search
    bool Locate(QStringView fieldName, const wire::Value& key, TLocateOptions options = {});
    bool Locate(const QString& fieldName, const wire::Value& key, TLocateOptions options = {})
    {
        return Locate(QStringView(fieldName), key, options);
    }

    // ---- index and filter
    void AddIndex(const QString& name, const QString& fields);  // fields "A;B"
    void SetIndexName(const QString& name);
    QString IndexName() const;
    void SetIndexFieldNames(const QString& fields);  // "" for load order
    QString IndexFieldNames() const;
    // "IDMARCADO = 'S'", "A <> 1 AND (B = 'x' OR C = 2)"; EDatabaseError on a bad expression.
    void SetFilter(const QString& expression);
    QString Filter() const;
    void SetFiltered(bool on);
    bool Filtered() const;

    // ---- control updates (nesting)
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    // ---- events
    using DataSetEvent = std::function<void(TClientDataSet& dataSet)>;
    DataSetEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit, BeforePost, AfterPost, AfterCancel, BeforeDelete,
        AfterDelete, BeforeScroll, AfterScroll, AfterOpen, AfterClose;

    // ---- for data-aware controls and item models
    // Rows are addressed by their 0-based position in the current view (index order,
    // filter applied). The current record's position is RecNo() - 1.
    // Runs `read` with the fields reading the record at `viewRow` (no events, no cursor
    // move); used to draw rows other than the current one.
    // Out-of-range rows are not read (`read` is not called).
    void ReadRow(int viewRow, const std::function<void()>& read) const;
    // The same as a scope: while it lives the fields read the record at `viewRow`; scopes
    // nest. Valid() is false for a row out of range (the fields then read null).
    class RowScope {
    public:
        RowScope(const TClientDataSet& dataSet, int viewRow);
        ~RowScope();
        RowScope(const RowScope&) = delete;
        RowScope& operator=(const RowScope&) = delete;
        bool Valid() const { return valid_; }

    private:
        const TClientDataSet& dataSet_;
        int savedRecord_;
        quint64 savedGeneration_;
        bool valid_;
    };
    // Rows of the view, counting a row being inserted (RecordCount does not count it).
    int ViewRowCount() const;
    // Moves the cursor to a view row as a user would (posts a pending edit, fires events).
    void MoveToRow(int viewRow);

    void AddObserver(TDataSetObserver* observer);
    void RemoveObserver(TDataSetObserver* observer);

    // Used by TField.
    struct Impl;
    Impl& impl() const { return *d_; }

private:
    std::unique_ptr<Impl> d_;
};

// Notifications to data sources. While controls are disabled the dataset sends nothing;
// the outermost EnableControls sends one DataSetChanged.
class TDataSetObserver {
public:
    virtual ~TDataSetObserver() = default;
    virtual void ActiveChanged() {}   // opened or closed
    virtual void StateChanged() {}    // browse/edit/insert
    virtual void DataSetChanged() {}  // rows replaced, reordered or filtered
    virtual void RowChanged(int /*viewRow*/, const TField* /*field, nullptr = whole row*/) {}
    virtual void RowInserted(int /*viewRow*/) {}
    virtual void RowRemoved(int /*viewRow*/) {}
    virtual void RowMoved(int /*fromViewRow*/, int /*toViewRow*/) {}
    virtual void CursorMoved(int /*oldViewRow*/, int /*newViewRow*/) {}
    virtual void UpdateRecord() {}  // before post: write pending edits
    virtual void DataSetDestroyed() {}
};
