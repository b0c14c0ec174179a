#include "framework/data/clientdataset.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset_impl.h"
#include "framework/data/value_text.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

QString typeName(wire::FieldType type)
{
    switch (type) {
    case wire::FieldType::String: return QStringLiteral("texto");
    case wire::FieldType::Float: return QStringLiteral("número");
    case wire::FieldType::DateTime: return QStringLiteral("data e hora");
    case wire::FieldType::Integer: return QStringLiteral("inteiro");
    }
    return {};
}

// A packet column of type `column` can feed a field of type `field`.
bool compatible(wire::FieldType field, wire::FieldType column)
{
    return field == column || (field == wire::FieldType::Float && column == wire::FieldType::Integer);
}

// Brings a packet cell to the kind the field stores; false when it cannot be.
bool normaliseCell(wire::Value& v, wire::FieldType type)
{
    using K = wire::Value::Kind;
    const K kind = v.kind();
    if (kind == K::Null) return true;
    switch (type) {
    case wire::FieldType::String: return kind == K::Text;
    case wire::FieldType::Float:
        if (kind == K::Double) return true;
        if (kind == K::Integer) {
            v = static_cast<double>(v.toInteger());
            return true;
        }
        return false;
    case wire::FieldType::Integer:
        if (kind == K::Integer) return true;
        if (kind == K::Double) {
            const double d = v.toDouble();
            if (!std::isfinite(d) || std::trunc(d) != d || std::fabs(d) >= 9.2e18) return false;
            v = static_cast<qint64>(d);
            return true;
        }
        return false;
    case wire::FieldType::DateTime: return kind == K::DateTime;
    }
    return false;
}

bool isBlank(const wire::Value& v)
{
    return v.isNull() || (v.kind() == wire::Value::Kind::Text && v.text().isEmpty());
}

// Order of index keys: null (and empty text) first, then by value.
int compareValues(const wire::Value& a, const wire::Value& b)
{
    const bool an = isBlank(a), bn = isBlank(b);
    if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
    using K = wire::Value::Kind;
    if (a.isNumber() && b.isNumber()) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (a.kind() == K::Text && b.kind() == K::Text) {
        const int c = QString::compare(a.text(), b.text(), Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (a.kind() == K::DateTime && b.kind() == K::DateTime) {
        const QDateTime& x = a.dateTime();
        const QDateTime& y = b.dateTime();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    return static_cast<int>(a.kind()) < static_cast<int>(b.kind()) ? -1 : 1;
}

QStringList splitFieldList(const QString& names)
{
    QStringList out;
    for (const QString& part : names.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (!name.isEmpty()) out << name;
    }
    return out;
}

}  // namespace

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

void TClientDataSet::Impl::moveCursor(int pos)
{
    const int old = cur;
    cur = pos;
    if (old != pos) notify([&](TDataSetObserver& o) { o.CursorMoved(old, pos); });
}

bool TClientDataSet::Impl::passes(int rec) const
{
    if (!filterOn()) return true;
    const DataRecord& r = records[static_cast<size_t>(rec)];
    return r.pending || filter->matches(r.values);
}

int TClientDataSet::Impl::compareRows(const wire::Row& a, const wire::Row& b) const
{
    for (int k : keyFields) {
        const int c = compareValues(a[static_cast<size_t>(k)], b[static_cast<size_t>(k)]);
        if (c != 0) return c;
    }
    return 0;
}

void TClientDataSet::Impl::sortOrder()
{
    order.clear();
    order.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const RecStatus s = records[i].status;
        if (s != RecStatus::Dead && s != RecStatus::Deleted) order.push_back(static_cast<int>(i));
    }
    if (keyFields.empty()) return;
    const auto less = [this](int a, int b) {
        return compareRows(records[static_cast<size_t>(a)].values, records[static_cast<size_t>(b)].values) < 0;
    };
    // Packets usually arrive in key order already.
    if (std::is_sorted(order.begin(), order.end(), less)) return;

    const TField& first = *fields[static_cast<size_t>(keyFields.front())];
    const bool numericKey = keyFields.size() == 1 &&
                            (first.DataType() == wire::FieldType::Float || first.DataType() == wire::FieldType::Integer);
    if (numericKey) {
        // Sort plain (key, record) pairs: no indirection into the rows while sorting.
        const size_t k = static_cast<size_t>(keyFields.front());
        std::vector<int> nulls;
        std::vector<std::pair<double, int>> keyed;
        keyed.reserve(order.size());
        for (int rec : order) {
            const wire::Value& v = records[static_cast<size_t>(rec)].values[k];
            if (v.isNumber()) keyed.emplace_back(v.toDouble(), rec);
            else nulls.push_back(rec);
        }
        std::sort(keyed.begin(), keyed.end());
        order = std::move(nulls);
        for (const auto& [key, rec] : keyed) order.push_back(rec);
        return;
    }
    std::stable_sort(order.begin(), order.end(), less);
}

void TClientDataSet::Impl::rebuildView()
{
    if (!filterOn()) {
        view = order;
        return;
    }
    view.clear();
    for (int rec : order)
        if (passes(rec)) view.push_back(rec);
}

int TClientDataSet::Impl::viewPosOf(int rec) const
{
    const auto it = std::find(view.begin(), view.end(), rec);
    return it == view.end() ? -1 : static_cast<int>(it - view.begin());
}

int TClientDataSet::Impl::orderPosOf(int rec) const
{
    const auto it = std::find(order.begin(), order.end(), rec);
    return it == order.end() ? -1 : static_cast<int>(it - order.begin());
}

std::vector<int> TClientDataSet::Impl::resolveKeyFields(const QString& names) const
{
    std::vector<int> out;
    for (const QString& name : splitFieldList(names)) {
        const TField* f = q.FindField(name);
        if (!f) {
            if (!persistent && fields.empty()) return {};  // fields come with the first packet
            throw EDatabaseError(QStringLiteral("O índice se refere ao campo '%1', que não existe.").arg(name));
        }
        out.push_back(f->Index());
    }
    return out;
}

void TClientDataSet::Impl::bindFilter()
{
    if (!filter) return;
    filter->bind([this](const QString& name) {
        datafilter::FilterExpression::Column c;
        if (const TField* f = q.FindField(name)) {
            c.index = f->Index();
            c.type = f->DataType();
        }
        return c;
    });
}

// Re-resolves the active index (after the fields changed) and puts the rows in its order.
void TClientDataSet::Impl::reapplyIndex()
{
    QString names = indexFieldNames;
    if (!indexName.isEmpty()) {
        for (const IndexDef& def : indexDefs)
            if (def.name.compare(indexName, Qt::CaseInsensitive) == 0) names = def.fields;
    }
    keyFields.clear();
    for (const QString& name : splitFieldList(names))
        if (const TField* f = q.FindField(name)) keyFields.push_back(f->Index());
}

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
        throw EDatabaseError(QStringLiteral("O campo '%1' não pertence mais ao conjunto de dados.").arg(field.FieldName()));
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

wire::FieldDef TClientDataSet::Impl::packetFieldDef(const TField& field) const
{
    return {field.FieldName(), field.DataType(), field.DataType() == wire::FieldType::String ? field.Size() : 0};
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
        const int op = orderPosOf(rec);
        const auto& values = r.values;
        const bool afterPrev = op == 0 || compareRows(records[static_cast<size_t>(order[static_cast<size_t>(op - 1)])].values, values) <= 0;
        const bool beforeNext = op + 1 >= static_cast<int>(order.size()) ||
                                compareRows(values, records[static_cast<size_t>(order[static_cast<size_t>(op + 1)])].values) <= 0;
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
        to = viewPosOf(rec);
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
    if (d.active) throw EDatabaseError(QStringLiteral("Campos só podem ser declarados com o conjunto de dados fechado."));
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
    if (FindField(def.Name))
        throw EDatabaseError(QStringLiteral("O campo '%1' já foi declarado.").arg(def.Name));
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

// ---------------------------------------------------------------- packets

void TClientDataSet::SetData(wire::DataPacket packet)
{
    Impl& d = *d_;
    const size_t columns = packet.fields.size();

    // Where each field's values come from, and the type they must have.
    std::vector<size_t> source;
    std::vector<wire::FieldType> types;
    std::vector<std::unique_ptr<TField>> newFields;
    bool replaceFields = false;
    if (d.persistent) {
        for (const auto& f : d.fields) {
            size_t col = columns;
            for (size_t c = 0; c < columns; ++c)
                if (packet.fields[c].name.compare(f->FieldName(), Qt::CaseInsensitive) == 0) {
                    col = c;
                    break;
                }
            if (col == columns)
                throw EDatabaseError(QStringLiteral("O pacote de dados não traz o campo '%1'.").arg(f->FieldName()));
            if (!compatible(f->DataType(), packet.fields[col].type))
                throw EDatabaseError(QStringLiteral("O campo '%1' veio no pacote de dados como %2, incompatível com o tipo %3 do campo.")
                                         .arg(f->FieldName(), typeName(packet.fields[col].type), typeName(f->DataType())));
            source.push_back(col);
            types.push_back(f->DataType());
        }
    } else {
        bool same = d.fields.size() == columns;
        for (size_t c = 0; c < columns; ++c) {
            const wire::FieldDef& def = packet.fields[c];
            if (def.name.trimmed().isEmpty())
                throw EDatabaseError(QStringLiteral("O pacote de dados traz uma coluna sem nome (coluna %1).").arg(c + 1));
            for (size_t o = 0; o < c; ++o)
                if (packet.fields[o].name.compare(def.name, Qt::CaseInsensitive) == 0)
                    throw EDatabaseError(QStringLiteral("O pacote de dados traz o campo '%1' duas vezes.").arg(def.name));
            source.push_back(c);
            types.push_back(def.type);
            if (same) {
                const TField& f = *d.fields[c];
                same = f.FieldName() == def.name && f.DataType() == def.type && f.Def().Size == def.size;
            }
        }
        if (!same) {
            replaceFields = true;
            for (size_t c = 0; c < columns; ++c) {
                TFieldDef def;
                def.Name = packet.fields[c].name;
                def.DataType = packet.fields[c].type;
                def.Size = packet.fields[c].size;
                newFields.push_back(std::make_unique<TField>(*this, static_cast<int>(c), std::move(def)));
            }
        }
    }

    // Check every row before anything changes: a bad packet leaves the old rows in place.
    const size_t nf = source.size();
    bool identity = nf == columns;
    for (size_t i = 0; i < nf && identity; ++i) identity = source[i] == i;
    for (size_t r = 0; r < packet.rows.size(); ++r) {
        wire::Row& row = packet.rows[r];
        if (row.size() != columns)
            throw EDatabaseError(QStringLiteral("A linha %1 do pacote de dados tem %2 valores; eram esperados %3.")
                                     .arg(r + 1)
                                     .arg(row.size())
                                     .arg(columns));
        for (size_t i = 0; i < nf; ++i) {
            if (!normaliseCell(row[source[i]], types[i])) {
                const QString name = d.persistent ? d.fields[i]->FieldName() : packet.fields[i].name;
                throw EDatabaseError(QStringLiteral("Valor inválido para o campo '%1' na linha %2 do pacote de dados.").arg(name).arg(r + 1));
            }
        }
    }

    std::vector<DataRecord> records(packet.rows.size());
    for (size_t r = 0; r < packet.rows.size(); ++r) {
        if (identity) {
            records[r].values = std::move(packet.rows[r]);
        } else {
            wire::Row& from = packet.rows[r];
            wire::Row& to = records[r].values;
            to.resize(nf);
            for (size_t i = 0; i < nf; ++i) to[i] = std::move(from[source[i]]);
        }
    }

    // Commit.
    const bool wasActive = d.active;
    const bool wasEditing = d.editing();
    d.dropEdit();
    if (replaceFields) {
        for (auto& f : d.fields) {
            f->index_ = -1;
            d.retiredFields.push_back(std::move(f));
        }
        d.fields = std::move(newFields);
        d.reapplyIndex();
        d.bindFilter();
    }
    d.records = std::move(records);
    ++d.generation;
    d.sortOrder();
    d.rebuildView();
    d.active = true;
    d.state = TDataSetState::Browse;
    const int oldCur = d.cur;
    d.cur = d.view.empty() ? -1 : 0;
    d.bof = true;
    d.eof = d.view.empty();

    const quint64 g = d.generation;
    if (!wasActive) d.notify([](TDataSetObserver& o) { o.ActiveChanged(); });
    if (!wasActive || wasEditing) d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    d.notify([](TDataSetObserver& o) { o.DataSetChanged(); });
    d.notify([&](TDataSetObserver& o) { o.CursorMoved(oldCur, d.cur); });
    if (d.generation != g) return;  // an observer's handler loaded other rows meanwhile

    if (!wasActive) {
        d.fire(AfterOpen);
        if (d.generation != g) return;
    }
    d.fire(AfterScroll);
}

wire::DataPacket TClientDataSet::Data() const
{
    const Impl& d = *d_;
    wire::DataPacket p;
    p.fields.reserve(d.fields.size());
    for (const auto& f : d.fields) p.fields.push_back(d.packetFieldDef(*f));
    p.rows.reserve(d.view.size());
    for (int rec : d.view) {
        const DataRecord& r = d.records[static_cast<size_t>(rec)];
        if (!r.pending) p.rows.push_back(r.values);
    }
    return p;
}

wire::ChangeSet TClientDataSet::Delta() const
{
    const Impl& d = *d_;
    wire::ChangeSet cs;
    cs.fields.reserve(d.fields.size());
    for (const auto& f : d.fields) cs.fields.push_back(d.packetFieldDef(*f));
    std::vector<const DataRecord*> logged;
    for (const DataRecord& r : d.records)
        if (!r.pending && (r.status == RecStatus::Inserted || r.status == RecStatus::Modified || r.status == RecStatus::Deleted))
            logged.push_back(&r);
    std::sort(logged.begin(), logged.end(), [](const DataRecord* a, const DataRecord* b) { return a->logSeq < b->logSeq; });
    for (const DataRecord* r : logged) {
        wire::Change c;
        switch (r->status) {
        case RecStatus::Inserted:
            c.kind = wire::ChangeKind::Insert;
            c.newRow = r->values;
            break;
        case RecStatus::Modified:
            c.kind = wire::ChangeKind::Update;
            c.oldRow = r->original;
            c.newRow = r->values;
            break;
        default:
            c.kind = wire::ChangeKind::Delete;
            c.oldRow = r->original;
            break;
        }
        cs.changes.push_back(std::move(c));
    }
    return cs;
}

int TClientDataSet::ChangeCount() const
{
    int n = 0;
    for (const DataRecord& r : d_->records)
        if (!r.pending && (r.status == RecStatus::Inserted || r.status == RecStatus::Modified || r.status == RecStatus::Deleted)) ++n;
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
    const int oldRec = wasEditing && d.state == TDataSetState::Insert ? d.returnRec : (wasEditing ? d.editRec : d.curRec());
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

// ---------------------------------------------------------------- lifecycle

void TClientDataSet::Open()
{
    Impl& d = *d_;
    if (d.active) return;
    ++d.generation;
    d.sortOrder();
    d.rebuildView();
    d.active = true;
    d.state = TDataSetState::Browse;
    d.cur = d.view.empty() ? -1 : 0;
    d.bof = true;
    d.eof = d.view.empty();
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
    if (active) Open();
    else Close();
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
        if (f->DataType() == wire::FieldType::String && v.kind() == wire::Value::Kind::Text &&
            v.text().size() > f->Size() && (inserting || v != d.editStart[static_cast<size_t>(f->Index())]))
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
    if (d.curRec() != rec && d.records[static_cast<size_t>(rec)].status != RecStatus::Dead && d.viewPosOf(rec) < 0 &&
        d.state == TDataSetState::Browse)
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
    if (d.modified) Post();
    else Cancel();
}

bool TClientDataSet::Modified() const { return d_->editing() && d_->modified; }

// ---------------------------------------------------------------- search

bool TClientDataSet::Locate(QStringView fieldName, const wire::Value& key, TLocateOptions options)
{
    Impl& d = *d_;
    d.checkActive();
    CheckBrowseMode();
    const TField& field = FieldByName(fieldName);
    const size_t fi = static_cast<size_t>(field.Index());
    const Qt::CaseSensitivity cs = options.CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;

    std::function<bool(const wire::Value&)> match;
    if (isBlank(key)) {
        match = [](const wire::Value& v) { return isBlank(v); };
    } else {
        switch (field.DataType()) {
        case wire::FieldType::Float:
        case wire::FieldType::Integer: {
            std::optional<double> k;
            if (key.isNumber()) k = key.toDouble();
            else if (key.kind() == wire::Value::Kind::Text) {
                k = datatext::parseNumber(key.text());
                if (!k) k = datatext::parseLocaleNumber(key.text(), QLocale());
            }
            if (!k) return false;
            const double want = *k;
            match = [want](const wire::Value& v) { return v.isNumber() && v.toDouble() == want; };
            break;
        }
        case wire::FieldType::DateTime: {
            std::optional<QDateTime> k;
            if (key.kind() == wire::Value::Kind::DateTime) k = key.dateTime();
            else if (key.kind() == wire::Value::Kind::Text) k = datatext::parseDateTime(key.text());
            if (!k) return false;
            const QDateTime want = *k;
            match = [want](const wire::Value& v) { return v.kind() == wire::Value::Kind::DateTime && v.dateTime() == want; };
            break;
        }
        case wire::FieldType::String: {
            QString want;
            switch (key.kind()) {
            case wire::Value::Kind::Text: want = key.text(); break;
            case wire::Value::Kind::Integer: want = QString::number(key.toInteger()); break;
            case wire::Value::Kind::Double: want = datatext::shortestNumber(key.toDouble()); break;
            case wire::Value::Kind::DateTime: want = datatext::formatDateTime(key.dateTime()); break;
            default: return false;
            }
            const bool partial = options.PartialKey;
            match = [want, partial, cs](const wire::Value& v) {
                if (v.kind() != wire::Value::Kind::Text) return false;
                return partial ? v.text().startsWith(want, cs) : v.text().compare(want, cs) == 0;
            };
            break;
        }
        }
    }

    int found = -1;
    for (size_t i = 0; i < d.view.size(); ++i) {
        const DataRecord& r = d.records[static_cast<size_t>(d.view[i])];
        if (!r.pending && fi < r.values.size() && match(r.values[fi])) {
            found = static_cast<int>(i);
            break;
        }
    }
    if (found < 0) return false;
    const auto s = d.snapshot();
    d.fire(BeforeScroll);
    if (!d.unchangedSince(s)) return false;
    d.bof = d.eof = false;
    d.moveCursor(found);
    d.fire(AfterScroll);
    return true;
}

// ---------------------------------------------------------------- index and filter

namespace {
void applyOrderKeepingCursor(TClientDataSet::Impl& d, std::vector<int> keys)
{
    const int rec = d.curRec();
    d.keyFields = std::move(keys);
    if (!d.active) return;
    d.sortOrder();
    d.rebuildView();
    const int oldCur = d.cur;
    d.cur = rec >= 0 ? d.viewPosOf(rec) : (d.view.empty() ? -1 : 0);
    d.notify([](TDataSetObserver& o) { o.DataSetChanged(); });
    d.notify([&](TDataSetObserver& o) { o.CursorMoved(oldCur, d.cur); });
}
}  // namespace

void TClientDataSet::AddIndex(const QString& name, const QString& fields)
{
    Impl& d = *d_;
    if (name.trimmed().isEmpty()) throw EDatabaseError(QStringLiteral("O índice precisa de um nome."));
    if (splitFieldList(fields).isEmpty())
        throw EDatabaseError(QStringLiteral("O índice '%1' precisa de ao menos um campo.").arg(name));
    const std::vector<int> keys = d.resolveKeyFields(fields);
    for (auto& def : d.indexDefs)
        if (def.name.compare(name, Qt::CaseInsensitive) == 0) {
            def.fields = fields;
            if (d.indexName.compare(name, Qt::CaseInsensitive) == 0) {
                if (d.active) CheckBrowseMode();
                applyOrderKeepingCursor(d, keys);
            }
            return;
        }
    d.indexDefs.push_back({name, fields});
}

void TClientDataSet::SetIndexName(const QString& name)
{
    Impl& d = *d_;
    if (name.isEmpty()) {
        if (d.indexName.isEmpty() && d.indexFieldNames.isEmpty()) return;
        if (d.active) CheckBrowseMode();
        d.indexName.clear();
        d.indexFieldNames.clear();
        applyOrderKeepingCursor(d, {});
        return;
    }
    const Impl::IndexDef* def = nullptr;
    for (const auto& candidate : d.indexDefs)
        if (candidate.name.compare(name, Qt::CaseInsensitive) == 0) def = &candidate;
    if (!def) throw EDatabaseError(QStringLiteral("Índice '%1' não encontrado.").arg(name));
    std::vector<int> keys = d.resolveKeyFields(def->fields);
    if (d.active) CheckBrowseMode();
    d.indexName = def->name;
    d.indexFieldNames.clear();
    applyOrderKeepingCursor(d, std::move(keys));
}

QString TClientDataSet::IndexName() const { return d_->indexName; }

void TClientDataSet::SetIndexFieldNames(const QString& fields)
{
    Impl& d = *d_;
    std::vector<int> keys = d.resolveKeyFields(fields);
    if (d.active) CheckBrowseMode();
    d.indexFieldNames = splitFieldList(fields).join(QLatin1Char(';'));
    d.indexName.clear();
    applyOrderKeepingCursor(d, std::move(keys));
}

QString TClientDataSet::IndexFieldNames() const
{
    const Impl& d = *d_;
    if (!d.indexName.isEmpty())
        for (const auto& def : d.indexDefs)
            if (def.name == d.indexName) return def.fields;
    return d.indexFieldNames;
}

namespace {
// Re-filters the rows; the cursor stays on its row when it still passes, else goes first.
void refilter(TClientDataSet& ds, TClientDataSet::Impl& d)
{
    const int rec = d.curRec();
    d.rebuildView();
    const int oldCur = d.cur;
    int pos = rec >= 0 ? d.viewPosOf(rec) : -1;
    if (pos < 0) {
        pos = d.view.empty() ? -1 : 0;
        d.bof = true;
        d.eof = d.view.empty();
    }
    d.cur = pos;
    d.notify([](TDataSetObserver& o) { o.DataSetChanged(); });
    d.notify([&](TDataSetObserver& o) { o.CursorMoved(oldCur, pos); });
    if (d.curRec() != rec) d.fire(ds.AfterScroll);
}
}  // namespace

void TClientDataSet::SetFilter(const QString& expression)
{
    Impl& d = *d_;
    std::optional<datafilter::FilterExpression> parsed;
    if (!expression.trimmed().isEmpty()) {
        parsed = datafilter::FilterExpression::parse(expression);
        if (!d.fields.empty())
            for (const QString& name : parsed->fieldNames())
                if (!FindField(name))
                    throw EDatabaseError(QStringLiteral("O filtro se refere ao campo '%1', que não existe.").arg(name));
    }
    if (d.active && d.filtered) CheckBrowseMode();
    d.filterText = expression;
    d.filter = std::move(parsed);
    d.bindFilter();
    if (d.active && d.filtered) refilter(*this, d);
}

QString TClientDataSet::Filter() const { return d_->filterText; }

void TClientDataSet::SetFiltered(bool on)
{
    Impl& d = *d_;
    if (d.filtered == on) return;
    if (d.active) CheckBrowseMode();
    d.filtered = on;
    if (d.active) refilter(*this, d);
}

bool TClientDataSet::Filtered() const { return d_->filtered; }

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
