#pragma once
// TMessages: a form's message table. Each entry is "key|text": the key is what comes before
// the first "|", the text everything after it, kept exactly (line breaks included, which is
// why the entries are given as a list and never split from one block of text).
//
//   msgPadrao->SetEntries(model::MsgPadraoEntries());
//   Consiste::MensErro(msgPadrao->Msg("FILIAL_ni"), true);
//   if (msgMensagensPadroes->ShowMsg("Canc", TMsgDlgType::Confirmation, mbYes | mbNo, 0)
//       == TModalResult::Yes) ...

#include "framework/ui/dialogs.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class TMessages : public QObject {
    Q_OBJECT
public:
    explicit TMessages(QObject* owner = nullptr);
    TMessages(const QStringList& entries, QObject* owner);

    // Replaces the table. An entry without "|" is a key with an empty text.
    void SetEntries(const QStringList& entries);
    QStringList Entries() const;
    int Count() const { return static_cast<int>(entries_.size()); }

    bool Contains(const QString& key) const;
    // The text of the entry with that key, the letter case of the key ignored (the first
    // entry wins when two keys differ only in case); the key itself when no entry has it.
    QString Msg(const QString& key) const;
    // Shows the text of `key` through the dialogs service; the button pressed.
    TModalResult ShowMsg(const QString& key, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) const;

private:
    struct Entry {
        QString key;
        QString text;
    };
    const Entry* Find(const QString& key) const;

    std::vector<Entry> entries_;
};
