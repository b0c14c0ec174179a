// TClientDataSet: rows in and out as data packets, and the change set to apply.

#include "framework/data/clientdataset.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset_impl.h"

#include <algorithm>
#include <cmath>

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

}  // namespace

wire::FieldDef TClientDataSet::Impl::packetFieldDef(const TField& field) const
{
    return {field.FieldName(), field.DataType(), field.DataType() == wire::FieldType::String ? field.Size() : 0};
}

// ---------------------------------------------------------------- packets

namespace {

// How a packet's columns feed the fields: the column each field reads and the type its values
// must have; with `replaceFields`, the fields the packet brings in place of the current ones.
struct PacketLayout {
    std::vector<size_t> source;
    std::vector<wire::FieldType> types;
    std::vector<std::unique_ptr<TField>> newFields;
    bool replaceFields = false;
};

// Persistent fields stay: each must find its column (by name, letter case ignored) with a type
// it can take.
PacketLayout matchPersistentFields(const TClientDataSet::Impl& d, const wire::DataPacket& packet)
{
    const size_t columns = packet.fields.size();
    PacketLayout layout;
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
            throw EDatabaseError(
                QStringLiteral("O campo '%1' veio no pacote de dados como %2, incompatível com o tipo %3 do campo.")
                    .arg(f->FieldName(), typeName(packet.fields[col].type), typeName(f->DataType())));
        layout.source.push_back(col);
        layout.types.push_back(f->DataType());
    }
    return layout;
}

// Without persistent fields the packet's columns are the fields; new fields are made only when
// the columns differ from the fields there are (name, type or size).
PacketLayout fieldsFromPacket(TClientDataSet& ds, const TClientDataSet::Impl& d, const wire::DataPacket& packet)
{
    const size_t columns = packet.fields.size();
    PacketLayout layout;
    bool same = d.fields.size() == columns;
    for (size_t c = 0; c < columns; ++c) {
        const wire::FieldDef& def = packet.fields[c];
        if (def.name.trimmed().isEmpty())
            throw EDatabaseError(QStringLiteral("O pacote de dados traz uma coluna sem nome (coluna %1).").arg(c + 1));
        for (size_t o = 0; o < c; ++o)
            if (packet.fields[o].name.compare(def.name, Qt::CaseInsensitive) == 0)
                throw EDatabaseError(QStringLiteral("O pacote de dados traz o campo '%1' duas vezes.").arg(def.name));
        layout.source.push_back(c);
        layout.types.push_back(def.type);
        if (same) {
            const TField& f = *d.fields[c];
            same = f.FieldName() == def.name && f.DataType() == def.type && f.Def().Size == def.size;
        }
    }
    if (same) return layout;
    layout.replaceFields = true;
    for (size_t c = 0; c < columns; ++c) {
        TFieldDef def;
        def.Name = packet.fields[c].name;
        def.DataType = packet.fields[c].type;
        def.Size = packet.fields[c].size;
        layout.newFields.push_back(std::make_unique<TField>(ds, static_cast<int>(c), std::move(def)));
    }
    return layout;
}

// Checks every row and brings its cells to the kinds the fields store, before anything of the
// dataset changes: a bad packet leaves the old rows in place.
void normaliseRows(const TClientDataSet::Impl& d, wire::DataPacket& packet, const PacketLayout& layout)
{
    const size_t columns = packet.fields.size();
    const size_t nf = layout.source.size();
    for (size_t r = 0; r < packet.rows.size(); ++r) {
        wire::Row& row = packet.rows[r];
        if (row.size() != columns)
            throw EDatabaseError(QStringLiteral("A linha %1 do pacote de dados tem %2 valores; eram esperados %3.")
                                     .arg(r + 1)
                                     .arg(row.size())
                                     .arg(columns));
        for (size_t i = 0; i < nf; ++i) {
            if (!normaliseCell(row[layout.source[i]], layout.types[i])) {
                const QString name = d.persistent ? d.fields[i]->FieldName() : packet.fields[i].name;
                throw EDatabaseError(QStringLiteral("Valor inválido para o campo '%1' na linha %2 do pacote de dados.")
                                         .arg(name)
                                         .arg(r + 1));
            }
        }
    }
}

// The packet's rows as records in field order; the cells are moved, not copied.
std::vector<DataRecord> takeRecords(wire::DataPacket& packet, const PacketLayout& layout)
{
    const size_t nf = layout.source.size();
    bool identity = nf == packet.fields.size();
    for (size_t i = 0; i < nf && identity; ++i) identity = layout.source[i] == i;
    std::vector<DataRecord> records(packet.rows.size());
    for (size_t r = 0; r < packet.rows.size(); ++r) {
        if (identity) {
            records[r].values = std::move(packet.rows[r]);
        } else {
            wire::Row& from = packet.rows[r];
            wire::Row& to = records[r].values;
            to.resize(nf);
            for (size_t i = 0; i < nf; ++i) to[i] = std::move(from[layout.source[i]]);
        }
    }
    return records;
}

// Tells the observers and runs the events of a load. An observer or a handler may load other
// rows meanwhile; what follows is then left to that load.
void announceLoad(TClientDataSet& ds, TClientDataSet::Impl& d, bool wasActive, bool wasEditing, int oldCur)
{
    const quint64 g = d.generation;
    if (!wasActive) d.notify([](TDataSetObserver& o) { o.ActiveChanged(); });
    if (!wasActive || wasEditing) d.notify([](TDataSetObserver& o) { o.StateChanged(); });
    d.notify([](TDataSetObserver& o) { o.DataSetChanged(); });
    d.notify([&](TDataSetObserver& o) { o.CursorMoved(oldCur, d.cur); });
    if (d.generation != g) return;

    if (!wasActive) {
        d.fire(ds.AfterOpen);
        if (d.generation != g) return;
    }
    d.fire(ds.AfterScroll);
}

}  // namespace

void TClientDataSet::SetData(wire::DataPacket packet)
{
    Impl& d = *d_;
    PacketLayout layout = d.persistent ? matchPersistentFields(d, packet) : fieldsFromPacket(*this, d, packet);
    normaliseRows(d, packet, layout);
    std::vector<DataRecord> records = takeRecords(packet, layout);

    const bool wasActive = d.active;
    const bool wasEditing = d.editing();
    d.dropEdit();
    if (layout.replaceFields) {
        for (auto& f : d.fields) {
            f->index_ = -1;
            d.retiredFields.push_back(std::move(f));
        }
        d.fields = std::move(layout.newFields);
        d.reapplyIndex();
        d.bindFilter();
    }
    const int oldCur = d.cur;
    d.records = std::move(records);
    d.browseFromFirstRow();
    announceLoad(*this, d, wasActive, wasEditing, oldCur);
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
        if (!r.pending
            && (r.status == RecStatus::Inserted || r.status == RecStatus::Modified || r.status == RecStatus::Deleted))
            logged.push_back(&r);
    std::sort(logged.begin(), logged.end(),
              [](const DataRecord* a, const DataRecord* b) { return a->logSeq < b->logSeq; });
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
