#pragma once
// The dialogs service: everything the framework and the modules show to the operator or ask
// of the operator goes through here. The desktop implementation shows real dialogs; tests
// install a scripted one that records what was shown and answers from a queue.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class TDataSource;
class TClientDataSet;
class QWidget;

enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };

enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
};
using TMsgDlgButtons = unsigned;

enum class TModalResult { None, OK, Cancel, Abort, Retry, Ignore, Yes, No };

// How the lookup list behaves (Pesquisa::Pesquisar's two flags).
struct TChooseRowOptions {
    bool AllowSort = false;         // a click on a column title sorts the list by it
    bool IncrementalSearch = true;  // typing finds the first row starting with the text
};

class TDialogs {
public:
    virtual ~TDialogs() = default;

    // A message box; returns the button pressed.
    virtual TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) = 0;
    // The error box of the event guard and of Consiste::MensErro.
    virtual void ShowError(const QString& text) = 0;
    // A one-line text prompt; nothing when cancelled.
    virtual std::optional<QString> InputQuery(const QString& caption, const QString& prompt,
                                              const QString& initial) = 0;
    // A list of the visible fields of the source's dataset; the chosen row becomes current.
    // True when a row was chosen.
    virtual bool ChooseRow(TDataSource& source, const QString& title, TChooseRowOptions options = {}) = 0;
    // The find dialog over a dataset: the operator picks a column and a value; the dataset is
    // moved to the first row that matches. True when a row was found.
    virtual bool FindInDataSet(TClientDataSet& dataSet) = 0;
};

// The service in use. The desktop implementation is installed on first use.
TDialogs& Dialogs();
// Installs another implementation (tests); returns the previous one.
std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs);
