// TClientDataSet: the order of the rows (indexes), the filter, and searching them.

#include "framework/data/clientdataset.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset_impl.h"
#include "framework/data/value_text.h"

#include <algorithm>
#include <numeric>

namespace {

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
    const bool numericKey =
        keyFields.size() == 1
        && (first.DataType() == wire::FieldType::Float || first.DataType() == wire::FieldType::Integer);
    if (numericKey) {
        // Sort plain (key, record) pairs: no indirection into the rows while sorting.
        const size_t k = static_cast<size_t>(keyFields.front());
        std::vector<int> nulls;
        std::vector<std::pair<double, int>> keyed;
        keyed.reserve(order.size());
        for (int rec : order) {
            const wire::Value& v = records[static_cast<size_t>(rec)].values[k];
            if (v.isNumber())
                keyed.emplace_back(v.toDouble(), rec);
            else
                nulls.push_back(rec);
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
            if (key.isNumber())
                k = key.toDouble();
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
            if (key.kind() == wire::Value::Kind::DateTime)
                k = key.dateTime();
            else if (key.kind() == wire::Value::Kind::Text)
                k = datatext::parseDateTime(key.text());
            if (!k) return false;
            const QDateTime want = *k;
            match = [want](const wire::Value& v) {
                return v.kind() == wire::Value::Kind::DateTime && v.dateTime() == want;
            };
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
