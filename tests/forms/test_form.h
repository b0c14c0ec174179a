#pragma once
// A small form derived from the standard form, as a module writes one: a list of products
// (code, name, price) bound to dtsPadrao, the grid on the first page, an edit and a label
// bound to the name on the second. Its handlers call the base where the order says and
// write what they saw into `trail`.

#include "framework/data/clientdataset.h"
#include "framework/data/datasource.h"
#include "framework/forms/frm_padrao.h"
#include "framework/ui/tdbedit.h"
#include "framework/ui/tdbtext.h"

#include <QStringList>

#include <functional>

class TfrmTeste : public TfrmPadrao {
    Q_OBJECT
public:
    explicit TfrmTeste(QStringList* trail = nullptr);

    TClientDataSet* cdsProduto = nullptr;
    TDBEdit* dbeNome = nullptr;
    TDBEdit* dbePreco = nullptr;
    TDBText* dbtNome = nullptr;

    // Fills the list with `count` rows: "P001", "Produto 1", 10.5 ...
    void Load(int count);

    // Set by tests to change what the handlers do.
    std::function<void()> OnFormCreate;
    std::function<void(TCloseAction&)> OnFormClose;

    using TfrmPadrao::PadraoDataSet;

protected:
    void FormCreate(QObject& sender) override;
    void FormActivate(QObject& sender) override;
    void FormClose(QObject& sender, TCloseAction& action) override;
    void pgcPadraoChange(QObject& sender) override;
    void dbgPadraoKeyDown(QObject& sender, int& key, Qt::KeyboardModifiers shift) override;

private:
    void Note(const QString& what);

    QStringList* trail_;
};
