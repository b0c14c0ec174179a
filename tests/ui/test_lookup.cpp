// The lookup button over a real query on a SQLite file, the desktop lookup list and find
// dialog driven with keys, and the scripted dialogs' own refusals.

#include "framework/core/exceptions.h"
#include "framework/data/datasource.h"
#include "framework/db/adoibquery.h"
#include "framework/db/dtmdbgeral.h"
#include "framework/ui/find_dialog.h"
#include "framework/ui/lookup_dialog.h"
#include "framework/ui/tbtnpesquisa.h"
#include "framework/ui/tmaskedit.h"
#include "framework/units/pesquisa.h"
#include "framework/units/procurar.h"
#include "tests/support/gui/scripted_dialogs.h"
#include "tests/support/gui/widget_driver.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A branch table in a SQLite file of its own, read through the shared connection.
class BranchDatabase {
public:
    BranchDatabase()
    {
        path_ = dir_.filePath(QStringLiteral("lookup.db"));
        const QString name = QStringLiteral("lookup-setup");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path_);
            EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
            QSqlQuery q(db);
            for (const char* sql :
                 {"CREATE TABLE FILIAL (CDFILIAL VARCHAR(4), NMFILIAL VARCHAR(40))",
                  "INSERT INTO FILIAL VALUES ('0003', 'Brasília')", "INSERT INTO FILIAL VALUES ('0001', 'São Paulo')",
                  "INSERT INTO FILIAL VALUES ('0002', 'Rio de Janeiro')",
                  "INSERT INTO FILIAL VALUES ('0010', 'Recife')"}) {
                EXPECT_TRUE(q.exec(QString::fromUtf8(sql))) << q.lastError().text().toStdString();
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        connection_.Open(QStringLiteral("sqlite:") + path_);
    }

    TDtmDBGeral& Connection() { return connection_; }

private:
    QTemporaryDir dir_;
    QString path_;
    TDtmDBGeral connection_;
};

// qryFilial as a form declares it: persistent fields with labels, ordered by code.
void SetUpBranchQuery(TADOIBQuery& query, TDtmDBGeral& connection, const QString& where = QString())
{
    query.SetConnection(&connection);
    TFieldDef code{QStringLiteral("CDFILIAL"), TFieldType::String, 4};
    code.DisplayLabel = QStringLiteral("Código");
    TFieldDef name{QStringLiteral("NMFILIAL"), TFieldType::String, 40};
    name.DisplayLabel = QStringLiteral("Filial");
    query.AddField(code);
    query.AddField(name);
    query.SetSQL({QStringLiteral("SELECT CDFILIAL, NMFILIAL FROM FILIAL"), where, QStringLiteral("ORDER BY CDFILIAL")});
}

struct LookupForm {
    BranchDatabase database;
    QWidget window;
    TMaskEdit* edit = nullptr;
    TBtnPesquisa* button = nullptr;
    TMaskEdit* other = nullptr;
    TADOIBQuery query;
    TDataSource source;
    QStringList log;

    explicit LookupForm(const QString& where = QString())
    {
        SetUpBranchQuery(query, database.Connection(), where);
        source.SetDataSet(&query);
        auto* layout = new QVBoxLayout(&window);
        edit = new TMaskEdit(&window);
        edit->SetEditMask(QStringLiteral(">aaaa;0; "));
        button = new TBtnPesquisa(&window);
        other = new TMaskEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(button);
        layout->addWidget(other);
        button->SetAssociate(edit);
        button->SetDataSource(&source);
        button->SetHint(QStringLiteral("Pesquisar"));
        button->SetTitle(QStringLiteral("Filial"));
        button->OnBeforePesq = [this](QObject&, bool& go) {
            log << QStringLiteral("before");
            EXPECT_TRUE(go) << "the lookup starts willing to go on";
        };
        button->OnAfterPesq = [this](QObject&) {
            log << QStringLiteral("after:") + query.FieldByName(u"CDFILIAL").AsString();
            edit->SetText(query.FieldByName(u"CDFILIAL").AsString());
        };
    }
};

TEST(BtnPesquisa, OpensTheQueryShowsTheListAndRunsAfterPesqOnThePickedRow)
{
    ScopedDialogs dialogs;
    LookupForm f;
    ASSERT_TRUE(WidgetDriver::ShowActive(f.window));
    f.other->SetFocus();
    ASSERT_FALSE(f.query.Active());

    dialogs->PickRowWhere(QStringLiteral("CDFILIAL"), QStringLiteral("0002"));
    QTest::mouseClick(f.button, Qt::LeftButton);

    EXPECT_TRUE(f.query.Active());
    ASSERT_EQ(dialogs->ShownOf(ShownBox::Kind::ChooseRow).size(), 1u);
    const ShownBox list = dialogs->ShownOf(ShownBox::Kind::ChooseRow)[0];
    EXPECT_EQ(list.caption, QStringLiteral("Filial"));
    EXPECT_EQ(list.columns, (QStringList{"Código", "Filial"}));
    ASSERT_EQ(list.rows.size(), 4);
    EXPECT_EQ(list.rows[0], (QStringList{"0001", "São Paulo"}));
    EXPECT_EQ(list.rows[3], (QStringList{"0010", "Recife"}));
    EXPECT_EQ(f.log, (QStringList{"before", "after:0002"}));
    EXPECT_EQ(f.edit->Text(), QStringLiteral("0002"));
    EXPECT_EQ(QApplication::focusWidget(), f.edit) << "the associated edit takes the focus";
}

TEST(BtnPesquisa, BeforePesqCanStopTheLookupAndCancellingRunsNoAfterPesq)
{
    ScopedDialogs dialogs;
    LookupForm f;
    f.button->OnBeforePesq = [&](QObject&, bool& go) { go = false; };
    EXPECT_FALSE(f.button->Execute());
    EXPECT_TRUE(dialogs->Shown().empty());
    EXPECT_FALSE(f.query.Active()) << "nothing is opened when the lookup is stopped";

    f.button->OnBeforePesq = nullptr;
    dialogs->CancelPick();
    EXPECT_FALSE(f.button->Execute());
    EXPECT_TRUE(f.log.isEmpty());
    EXPECT_EQ(f.edit->Text(), QString());
}

TEST(BtnPesquisa, EmptyListShowsTheEmptyErrorInsteadOfTheList)
{
    ScopedDialogs dialogs;
    LookupForm f(QStringLiteral("WHERE CDFILIAL = 'none'"));
    f.button->SetEmptyError(QStringLiteral("Não há tipo de emissão cadastrado."));
    EXPECT_FALSE(f.button->Execute());
    ASSERT_EQ(dialogs->Shown().size(), 1u);
    EXPECT_EQ(dialogs->Shown()[0].kind, ShownBox::Kind::Message);
    EXPECT_EQ(dialogs->Shown()[0].type, TMsgDlgType::Information);
    EXPECT_EQ(dialogs->Shown()[0].text, QStringLiteral("Não há tipo de emissão cadastrado."));
    EXPECT_EQ(f.log, QStringList{"before"});

    // Without a message of its own the button shows the empty list.
    f.button->SetEmptyError(QString());
    dialogs->CancelPick();
    EXPECT_FALSE(f.button->Execute());
    EXPECT_EQ(dialogs->ShownOf(ShownBox::Kind::ChooseRow).size(), 1u);
}

TEST(BtnPesquisa, FailuresAreShownOnceAndF4InTheEditOpensTheLookup)
{
    ScopedDialogs dialogs;
    LookupForm f;
    f.button->OnBeforePesq = [](QObject&, bool&) { throw EDatabaseError(QStringLiteral("tabela bloqueada")); };
    ASSERT_TRUE(WidgetDriver::ShowActive(f.window));
    f.edit->SetFocus();
    QTest::keyClick(f.edit, Qt::Key_F4);
    EXPECT_EQ(dialogs->Errors(), QStringList{"tabela bloqueada"});
    EXPECT_FALSE(f.query.Active());

    f.button->OnBeforePesq = nullptr;
    dialogs->PickRow(0);
    QTest::keyClick(f.edit, Qt::Key_F4);
    EXPECT_EQ(f.edit->Text(), QStringLiteral("0001"));
}

// Runs `drive` on the lookup list or find dialog once it is up, inside its modal loop.
void WhenModal(std::function<void(QWidget&)> drive)
{
    QTimer::singleShot(0, [drive = std::move(drive)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            ADD_FAILURE() << "no dialog came up";
            return;
        }
        drive(*modal);
    });
}

TEST(LookupDialog, TypingFindsTheRowAndEnterMakesItCurrent)
{
    ScopedDesktopDialogs desktop;
    BranchDatabase database;
    TADOIBQuery query;
    SetUpBranchQuery(query, database.Connection());
    query.Open();
    TDataSource source;
    source.SetDataSet(&query);

    QString label;
    WhenModal([&](QWidget& modal) {
        auto* dialog = qobject_cast<TLookupDialog*>(&modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Filial"));
        EXPECT_EQ(dialog->Grid()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Filial"));
        label = dialog->findChild<QLabel*>()->text();
        QTest::keyClicks(dialog->SearchEdit(), QStringLiteral("001"));  // "0010": a prefix
        EXPECT_EQ(dialog->Grid()->currentIndex().row(), 3);
        dialog->SearchEdit()->clear();
        QTest::keyClicks(dialog->SearchEdit(), QStringLiteral("000"));
        EXPECT_EQ(dialog->Grid()->currentIndex().row(), 0);
        QTest::keyClicks(dialog->SearchEdit(), QStringLiteral("3"));
        EXPECT_EQ(dialog->Grid()->currentIndex().row(), 2);
        QTest::keyClicks(dialog->SearchEdit(), QStringLiteral("9"));  // no "00039": stays
        EXPECT_EQ(dialog->Grid()->currentIndex().row(), 2);
        QTest::keyClick(dialog->SearchEdit(), Qt::Key_Up);  // the arrows move the list
        EXPECT_EQ(dialog->Grid()->currentIndex().row(), 1);
        QTest::keyClick(dialog->SearchEdit(), Qt::Key_Return);
    });
    EXPECT_TRUE(Pesquisa::Pesquisar(source, QStringLiteral("Filial"), false, true));
    EXPECT_EQ(query.FieldByName(u"CDFILIAL").AsString(), QStringLiteral("0002"));
    EXPECT_EQ(label, QStringLiteral("&Procurar por Código:"));
}

TEST(LookupDialog, EscLeavesTheDatasetWhereItWasAndTypingInTheListSearches)
{
    ScopedDesktopDialogs desktop;
    BranchDatabase database;
    TADOIBQuery query;
    SetUpBranchQuery(query, database.Connection());
    query.Open();
    query.Last();
    TDataSource source;
    source.SetDataSet(&query);

    WhenModal([&](QWidget& modal) {
        auto* dialog = qobject_cast<TLookupDialog*>(&modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->Grid()->currentIndex().row(), 3) << "the list starts on the current row";
        dialog->Grid()->setFocus();
        QTest::keyClicks(dialog->Grid(), QStringLiteral("0002"));
        EXPECT_EQ(dialog->SearchEdit()->text(), QStringLiteral("0002"));
        EXPECT_EQ(dialog->Grid()->currentIndex().row(), 1);
        QTest::keyClick(dialog->SearchEdit(), Qt::Key_Escape);
    });
    EXPECT_FALSE(Pesquisa::Pesquisar(source, QStringLiteral("Filial"), false, true));
    EXPECT_EQ(query.RecNo(), 4);
}

TEST(LookupDialog, SortedListSearchesTheSortedColumn)
{
    ScopedDesktopDialogs desktop;
    BranchDatabase database;
    TADOIBQuery query;
    SetUpBranchQuery(query, database.Connection());
    query.Open();
    TDataSource source;
    source.SetDataSet(&query);

    WhenModal([&](QWidget& modal) {
        auto* dialog = qobject_cast<TLookupDialog*>(&modal);
        ASSERT_NE(dialog, nullptr);
        dialog->Grid()->sortByColumn(1, Qt::AscendingOrder);
        EXPECT_EQ(dialog->SearchColumn(), 1);
        QTest::keyClicks(dialog->SearchEdit(), QStringLiteral("re"));  // Recife before Rio
        QTest::keyClick(dialog->SearchEdit(), Qt::Key_Enter);
    });
    EXPECT_TRUE(Pesquisa::Pesquisar(source, QStringLiteral("Filial"), true, true));
    EXPECT_EQ(query.FieldByName(u"NMFILIAL").AsString(), QStringLiteral("Recife"));
}

TEST(FindDialog, FindsTheFirstRowContainingTheValueWhateverItsCase)
{
    ScopedDesktopDialogs desktop;
    BranchDatabase database;
    TADOIBQuery query;
    SetUpBranchQuery(query, database.Connection());
    query.Open();

    QString status;
    WhenModal([&](QWidget& modal) {
        auto* dialog = qobject_cast<TFindDialog*>(&modal);
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->Columns()->count(), 2);
        dialog->Columns()->setCurrentIndex(1);
        QTest::keyClicks(dialog->Value(), QStringLiteral("XYZ"));
        QTest::keyClick(dialog->Value(), Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible()) << "nothing found: the dialog stays";
        status = dialog->findChild<QLabel*>(QStringLiteral("status"))->text();
        dialog->Value()->clear();
        QTest::keyClicks(dialog->Value(), QStringLiteral("JANEIRO"));
        QTest::keyClick(dialog->Value(), Qt::Key_Return);
    });
    EXPECT_TRUE(Procurar::Procura(query));
    EXPECT_EQ(status, QStringLiteral("Nenhum registro encontrado."));
    EXPECT_EQ(query.FieldByName(u"CDFILIAL").AsString(), QStringLiteral("0002"));
}

TEST(ScriptedDialogs, UnexpectedQuestionsAndListsFailTheTestButPlainBoxesDoNot)
{
    ScopedDialogs dialogs;
    dialogs->MessageDlg(QStringLiteral("só informação"), TMsgDlgType::Information, mbOK, 0);
    dialogs->ShowError(QStringLiteral("erro"));
    TModalResult answer = TModalResult::None;
    EXPECT_NONFATAL_FAILURE(
        answer = dialogs->MessageDlg(QStringLiteral("Confirma?"), TMsgDlgType::Confirmation, mbYes | mbNo, 0),
        "no answer scripted");
    EXPECT_EQ(answer, TModalResult::No) << "an unscripted question is answered the safe way";
    TDataSource source;
    EXPECT_NONFATAL_FAILURE(dialogs->ChooseRow(source, QStringLiteral("Lista"), {}), "no pick scripted");
    EXPECT_NONFATAL_FAILURE(dialogs->InputQuery(QStringLiteral("T"), QStringLiteral("P"), QString()),
                            "no answer scripted");
    EXPECT_EQ(dialogs->Shown().size(), 5u);
}

TEST(ScriptedDialogs, AnswersLeftUnusedFailTheTest)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScopedDialogs dialogs;
            dialogs->AnswerMessage(TModalResult::Yes);
        },
        "left unused");
}

}  // namespace
