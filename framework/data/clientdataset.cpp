#include "framework/data/clientdataset.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset_impl.h"

#include <algorithm>

// ======================================================================= Impl helpers

void TClientDataSet::Impl::checkActive() const
{
    if (!active)
        throw EDatabaseError(QStringLiteral("Não é possível executar esta operação com o conjunto de dados fechado."));
}

void TClientDataSet::Impl::fire(const DataSetEvent& event)
{
    if (event && !destroying) event(q);
}

void TClientDataSet::Impl::moveCursor(int pos)
{
    const int old = cur;
    cur = pos;
    if (old != pos) notify([&](TDataSetObserver& o) { o.CursorMoved(old, pos); });
}

void TClientDataSet::Impl::browseFromFirstRow()
{
    ++generation;
    sortOrder();
    rebuildView();
    active = true;
    state = TDataSetState::Browse;
    cur = view.empty() ? -1 : 0;
    bof = true;
    eof = view.empty();
}

bool TClientDataSet::Impl::passes(int rec) const
{
    if (!filterOn()) return true;
    const DataRecord& r = records[static_cast<size_t>(rec)];
    return r.pending || filter->matches(r.values);
}

const TField* TClientDataSet::Impl::fieldAt(int index) const
{
    return index >= 0 && index < static_cast<int>(fields.size()) ? fields[static_cast<size_t>(index)].get() : nullptr;
}

const wire::Value* TClientDataSet::Impl::cell(int field) const
{
    const wire::Row* row = nullptr;
    if (readRec != kNoRead) {
        if (readRec < 0 || readGen != generation || readRec >= static_cast<int>(records.size())) return nullptr;
        row = (editing() && readRec == editRec) ? &editBuf : &records[static_cast<size_t>(readRec)].values;
    } else if (!active) {
        return nullptr;
    } else if (editing()) {
        row = &editBuf;
    } else {
        const int rec = curRec();
        if (rec < 0) return nullptr;
        row = &records[static_cast<size_t>(rec)].values;
    }
    if (field < 0 || field >= static_cast<int>(row->size())) return nullptr;
    return &(*row)[static_cast<size_t>(field)];
}

const wire::Value* TClientDataSet::Impl::oldCell(int field) const
{
    int rec;
    if (readRec != kNoRead) {
        if (readRec < 0 || readGen != generation || readRec >= static_cast<int>(records.size())) return nullptr;
        rec = readRec;
    } else {
        if (!active) return nullptr;
        rec = editing() ? editRec : curRec();
    }
    if (rec < 0 || field < 0) return nullptr;
    const wire::Row* row;
    if (editing() && rec == editRec) {
        if (state == TDataSetState::Insert) return nullptr;
        row = &editStart;
    } else {
        const DataRecord& r = records[static_cast<size_t>(rec)];
        if (r.status == RecStatus::Inserted || r.pending) return nullptr;
        row = (r.status == RecStatus::Modified || r.status == RecStatus::Deleted) ? &r.original : &r.values;
    }
    if (field >= static_cast<int>(row->size())) return nullptr;
    return &(*row)[static_cast<size_t>(field)];
}

void TClientDataSet::Impl::writeField(TField& field, wire::Value value)
{
    if (readRec != kNoRead)
        throw EDatabaseError(QStringLiteral("O campo '%1' não pode ser alterado durante a leitura de outra linha.")
                                 .arg(field.DisplayLabel()));
    if (!active || !editing())
        throw EDatabaseError(QStringLiteral("O conjunto de dados não está em modo de edição ou inclusão."));
    const int index = field.Index();
    if (index < 0 || index >= static_cast<int>(editBuf.size()) || fieldAt(index) != &field)
        throw EDatabaseError(
            QStringLiteral("O campo '%1' não pertence mais ao conjunto de dados.").arg(field.FieldName()));
    editBuf[static_cast<size_t>(index)] = std::move(value);
    modified = true;
    const int row = cur;
    const quint64 g = generation;
    notify([&](TDataSetObserver& o) { o.RowChanged(row, &field); });
    if (generation != g) return;
    if (field.OnChange && !destroying) field.OnChange(field);
}

void TClientDataSet::Impl::notifyLayout()
{
    if (active) notify([](TDataSetObserver& o) { o.DataSetChanged(); });
}

// ======================================================================= TClientDataSet

TClientDataSet::TClientDataSet(QObject* owner) : QObject(owner), d_(std::make_unique<Impl>(*this)) {}

TClientDataSet::~TClientDataSet()
{
    d_->destroying = true;
    const std::vector<TDataSetObserver*> copy = d_->observers;
    d_->observers.clear();
    for (TDataSetObserver* o : copy) o->DataSetDestroyed();
}

// ---------------------------------------------------------------- fields

TField& TClientDataSet::AddField(TFieldDef def)
{
    Impl& d = *d_;
    if (d.active)
        throw EDatabaseError(QStringLiteral("Campos só podem ser declarados com o conjunto de dados fechado."));
    if (def.Name.trimmed().isEmpty()) throw EDatabaseError(QStringLiteral("O campo precisa de um nome."));
    if (!d.persistent) {
        // Fields a packet brought are replaced by the declared ones.
        for (auto& f : d.fields) {
            f->index_ = -1;
            d.retiredFields.push_back(std::move(f));
        }
        d.fields.clear();
        d.persistent = true;
    }
    if (FindField(def.Name)) throw EDatabaseError(QStringLiteral("O campo '%1' já foi declarado.").arg(def.Name));
    const int index = static_cast<int>(d.fields.size());
    d.fields.push_back(std::make_unique<TField>(*this, index, std::move(def)));
    d.reapplyIndex();
    d.bindFilter();
    return *d.fields.back();
}

bool TClientDataSet::HasPersistentFields() const { return d_->persistent; }

int TClientDataSet::FieldCount() const { return static_cast<int>(d_->fields.size()); }

TField& TClientDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError(QStringLiteral("Índice de campo %1 fora do intervalo.").arg(index));
    return *d_->fields[static_cast<size_t>(index)];
}

TField* TClientDataSet::FindField(QStringView name) const
{
    for (const auto& f : d_->fields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f.get();
    return nullptr;
}

TField& TClientDataSet::FieldByName(QStringView name) const
{
    if (TField* f = FindField(name)) return *f;
    throw EDatabaseError(QStringLiteral("Campo '%1' não encontrado.").arg(name));
}

// ---------------------------------------------------------------- lifecycle

void TClientDataSet::Open()
{
    Impl& d = *d_;
    if (d.active) return;
    d.browseFromFirstRow();
    d.notify([](TDataSetObserver& o) { o.ActiveChanged(); });
    d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    d.notify([](TDataSetObserver& o) { o.DataSetChanged(); });
    const quint64 g = d.generation;
    d.fire(AfterOpen);
    if (d.generation != g) return;
    d.fire(AfterScroll);
}

void TClientDataSet::Close()
{
    Impl& d = *d_;
    if (!d.active) return;
    d.dropEdit();
    d.records.clear();
    d.order.clear();
    d.view.clear();
    ++d.generation;
    d.active = false;
    d.state = TDataSetState::Inactive;
    d.cur = -1;
    d.bof = d.eof = true;
    d.notify([](TDataSetObserver& o) { o.ActiveChanged(); });
    d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    d.notify([](TDataSetObserver& o) { o.DataSetChanged(); });
    d.fire(AfterClose);
}

bool TClientDataSet::Active() const { return d_->active; }

void TClientDataSet::SetActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

TDataSetState TClientDataSet::State() const { return d_->state; }

void TClientDataSet::EmptyDataSet()
{
    Impl& d = *d_;
    d.checkActive();
    const bool wasEditing = d.editing();
    const int oldRec = d.curRec();
    const int oldCur = d.cur;
    d.dropEdit();
    d.records.clear();
    d.order.clear();
    d.view.clear();
    ++d.generation;
    d.cur = -1;
    d.bof = d.eof = true;
    if (wasEditing) d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    d.notify([](TDataSetObserver& o) { o.DataSetChanged(); });
    d.notify([&](TDataSetObserver& o) { o.CursorMoved(oldCur, -1); });
    if (oldRec >= 0) d.fire(AfterScroll);
}

// ---------------------------------------------------------------- cursor

void TClientDataSet::First()
{
    Impl& d = *d_;
    d.checkActive();
    CheckBrowseMode();
    const auto s = d.snapshot();
    d.fire(BeforeScroll);
    if (!d.unchangedSince(s)) return;
    d.bof = true;
    d.eof = d.view.empty();
    d.moveCursor(d.view.empty() ? -1 : 0);
    d.fire(AfterScroll);
}

void TClientDataSet::Last()
{
    Impl& d = *d_;
    d.checkActive();
    CheckBrowseMode();
    const auto s = d.snapshot();
    d.fire(BeforeScroll);
    if (!d.unchangedSince(s)) return;
    d.eof = true;
    d.bof = d.view.empty();
    d.moveCursor(static_cast<int>(d.view.size()) - 1);
    d.fire(AfterScroll);
}

void TClientDataSet::Next() { MoveBy(1); }

void TClientDataSet::Prior() { MoveBy(-1); }

int TClientDataSet::MoveBy(int distance)
{
    Impl& d = *d_;
    d.checkActive();
    CheckBrowseMode();
    if (distance == 0 || (distance > 0 && d.eof) || (distance < 0 && d.bof)) return 0;
    if (d.view.empty()) {
        d.bof = d.eof = true;
        return 0;
    }
    const auto s = d.snapshot();
    d.fire(BeforeScroll);
    if (!d.unchangedSince(s)) return 0;
    const int n = static_cast<int>(d.view.size());
    d.bof = d.eof = false;
    const qint64 wanted = static_cast<qint64>(d.cur) + distance;
    int target = static_cast<int>(std::clamp<qint64>(wanted, 0, n - 1));
    if (wanted > n - 1) d.eof = true;
    if (wanted < 0) d.bof = true;
    const int moved = target - d.cur;
    d.moveCursor(target);
    d.fire(AfterScroll);
    return moved;
}

bool TClientDataSet::Eof() const { return d_->eof; }

bool TClientDataSet::Bof() const { return d_->bof; }

int TClientDataSet::RecNo() const { return d_->active ? d_->cur + 1 : 0; }

void TClientDataSet::SetRecNo(int recNo)
{
    const int n = ViewRowCount();
    if (n == 0) return;
    MoveToRow(std::clamp(recNo, 1, n) - 1);
}

int TClientDataSet::RecordCount() const
{
    const Impl& d = *d_;
    // The row being inserted is always in the view (the filter lets it through until posted).
    return static_cast<int>(d.view.size()) - (d.state == TDataSetState::Insert ? 1 : 0);
}

bool TClientDataSet::IsEmpty() const { return d_->view.empty(); }

int TClientDataSet::ViewRowCount() const { return static_cast<int>(d_->view.size()); }

void TClientDataSet::MoveToRow(int viewRow)
{
    Impl& d = *d_;
    d.checkActive();
    if (viewRow < 0 || viewRow >= static_cast<int>(d.view.size()) || viewRow == d.cur) return;
    // Follow the record, not the position: the post below may move or drop rows.
    const int target = d.view[static_cast<size_t>(viewRow)];
    const quint64 g = d.generation;
    CheckBrowseMode();
    if (d.generation != g) return;
    const int pos = d.viewPosOf(target);
    if (pos < 0 || pos == d.cur) return;
    const auto s = d.snapshot();
    d.fire(BeforeScroll);
    if (!d.unchangedSince(s)) return;
    d.bof = d.eof = false;
    d.moveCursor(pos);
    d.fire(AfterScroll);
}

// ---------------------------------------------------------------- controls

void TClientDataSet::DisableControls()
{
    Impl& d = *d_;
    if (d.disableCount == 0) {
        d.cursorAtDisable = d.cur;
        d.stateAtDisable = d.state;
        d.activeAtDisable = d.active;
    }
    ++d.disableCount;
}

void TClientDataSet::EnableControls()
{
    Impl& d = *d_;
    if (d.disableCount == 0) return;
    if (--d.disableCount > 0) return;
    if (d.activeAtDisable != d.active) d.notify([](TDataSetObserver& o) { o.ActiveChanged(); });
    if (d.stateAtDisable != d.state) d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    d.notify([](TDataSetObserver& o) { o.DataSetChanged(); });
    const int from = d.cursorAtDisable;
    d.notify([&](TDataSetObserver& o) { o.CursorMoved(from, d.cur); });
}

bool TClientDataSet::ControlsDisabled() const { return d_->disableCount > 0; }

// ---------------------------------------------------------------- reading other rows

TClientDataSet::RowScope::RowScope(const TClientDataSet& dataSet, int viewRow)
    : dataSet_(dataSet), savedRecord_(dataSet.d_->readRec), savedGeneration_(dataSet.d_->readGen)
{
    const Impl& d = *dataSet.d_;
    valid_ = d.active && viewRow >= 0 && viewRow < static_cast<int>(d.view.size());
    d.readRec = valid_ ? d.view[static_cast<size_t>(viewRow)] : Impl::kInvalidRead;
    d.readGen = d.generation;
}

TClientDataSet::RowScope::~RowScope()
{
    dataSet_.d_->readRec = savedRecord_;
    dataSet_.d_->readGen = savedGeneration_;
}

void TClientDataSet::ReadRow(int viewRow, const std::function<void()>& read) const
{
    const RowScope scope(*this, viewRow);
    if (scope.Valid()) read();
}

// ---------------------------------------------------------------- observers

void TClientDataSet::AddObserver(TDataSetObserver* observer)
{
    auto& list = d_->observers;
    if (observer && std::find(list.begin(), list.end(), observer) == list.end()) list.push_back(observer);
}

void TClientDataSet::RemoveObserver(TDataSetObserver* observer)
{
    auto& list = d_->observers;
    list.erase(std::remove(list.begin(), list.end(), observer), list.end());
}
