#pragma once
// The dialogs service of the widget tests. It records every box shown and answers the ones
// that ask something from queues the test fills beforehand:
//
//   ScopedDialogs dialogs;                       // installed until the end of the scope
//   dialogs->AnswerMessage(TModalResult::Yes);   // the next question box
//   dialogs->PickRowWhere("CDFILIAL", "0001");   // the next lookup list
//   ... drive the form ...
//   EXPECT_EQ(dialogs->Errors(), QStringList{"Filial não cadastrada."});
//
// Plain error and information boxes (a single OK) need no answer. A question, an input
// prompt, a lookup list or a find dialog shown without a queued answer fails the test on the
// spot (and is answered as cancelled); answers left unused when the scope ends fail it too.

#include "framework/ui/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

struct ShownBox {
    enum class Kind { Message, Error, InputQuery, ChooseRow, Find };
    Kind kind = Kind::Message;
    TMsgDlgType type = TMsgDlgType::Information;  // Message only
    TMsgDlgButtons buttons = 0;                   // Message only
    QString text;                                 // message text, or the prompt of an input query
    QString caption;                              // title of a lookup list, caption of an input query
    QStringList columns;                          // lookup list and find dialog: labels of the visible fields
    QList<QStringList> rows;                      // lookup list: the texts shown, row by row
    TModalResult answer = TModalResult::None;
};

class ScriptedDialogs : public TDialogs {
public:
    ~ScriptedDialogs() override;

    // ---- answers, used in order
    void AnswerMessage(TModalResult result);
    void AnswerInput(std::optional<QString> text);
    // Picks the lookup list row at this 0-based position.
    void PickRow(int viewRow);
    // Picks the first row whose field shows exactly this text.
    void PickRowWhere(const QString& fieldName, const QString& text);
    void CancelPick();
    // Fills the find dialog: the same search the desktop dialog runs.
    void AnswerFind(const QString& fieldName, const QString& value);
    void CancelFind();

    // ---- what was shown
    const std::vector<ShownBox>& Shown() const { return shown_; }
    std::vector<ShownBox> ShownOf(ShownBox::Kind kind) const;
    QStringList Errors() const;    // texts of the error boxes (ShowError)
    QStringList Messages() const;  // texts of MessageDlg boxes
    int PendingAnswers() const;
    void ClearShown() { shown_.clear(); }

    // ---- TDialogs
    TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) override;
    void ShowError(const QString& text) override;
    std::optional<QString> InputQuery(const QString& caption, const QString& prompt, const QString& initial) override;
    bool ChooseRow(TDataSource& source, const QString& title, TChooseRowOptions options) override;
    bool FindInDataSet(TClientDataSet& dataSet) override;

private:
    struct Pick {
        int row = -1;
        QString field;
        QString text;
        bool cancel = false;
    };
    struct Find {
        QString field;
        QString value;
        bool cancel = false;
    };
    std::vector<ShownBox> shown_;
    std::deque<TModalResult> messageAnswers_;
    std::deque<std::optional<QString>> inputAnswers_;
    std::deque<Pick> picks_;
    std::deque<Find> finds_;
};

// Installs a ScriptedDialogs for its lifetime and puts the previous service back after.
class ScopedDialogs {
public:
    ScopedDialogs();
    ~ScopedDialogs();
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

    ScriptedDialogs& operator*() const { return *scripted_; }
    ScriptedDialogs* operator->() const { return scripted_; }

private:
    ScriptedDialogs* scripted_ = nullptr;  // owned by the dialogs service while installed
    std::unique_ptr<TDialogs> previous_;
};

// Installs the desktop service for its lifetime (tests of the real dialogs).
class ScopedDesktopDialogs {
public:
    ScopedDesktopDialogs();
    ~ScopedDesktopDialogs();
    ScopedDesktopDialogs(const ScopedDesktopDialogs&) = delete;
    ScopedDesktopDialogs& operator=(const ScopedDesktopDialogs&) = delete;

private:
    std::unique_ptr<TDialogs> previous_;
};
