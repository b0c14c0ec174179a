#include "framework/units/messages.h"

TMessages::TMessages(QObject* owner) : QObject(owner) {}

TMessages::TMessages(const QStringList& entries, QObject* owner) : QObject(owner) { SetEntries(entries); }

void TMessages::SetEntries(const QStringList& entries)
{
    std::vector<Entry> parsed;
    parsed.reserve(static_cast<std::size_t>(entries.size()));
    for (const QString& line : entries) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar < 0)
            parsed.push_back({line, QString()});
        else
            parsed.push_back({line.left(bar), line.mid(bar + 1)});
    }
    entries_ = std::move(parsed);
}

QStringList TMessages::Entries() const
{
    QStringList out;
    out.reserve(static_cast<qsizetype>(entries_.size()));
    for (const Entry& e : entries_) out << e.key + QLatin1Char('|') + e.text;
    return out;
}

const TMessages::Entry* TMessages::Find(const QString& key) const
{
    for (const Entry& e : entries_) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) return &e;
    }
    return nullptr;
}

bool TMessages::Contains(const QString& key) const { return Find(key) != nullptr; }

QString TMessages::Msg(const QString& key) const
{
    const Entry* e = Find(key);
    return e ? e->text : key;
}

TModalResult TMessages::ShowMsg(const QString& key, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) const
{
    return Dialogs().MessageDlg(Msg(key), type, buttons, helpContext);
}
