// A module library with a screen, for the host executable's tests: IniProc opens one
// standard form (once; a second call shows it again). It writes its calls and the form's
// handlers to the file named by ATE_TESTMOD_LOG; Finalize writes how many forms were still
// alive.

#include "framework/forms/frm_padrao.h"
#include "framework/ui/application_host.h"
#include "framework/ui/package_info.h"
#include "framework/ui/tlabel.h"

#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTextStream>
#include <QTimer>

namespace {

void Log(const QString& what)
{
    QFile file(qEnvironmentVariable("ATE_TESTMOD_LOG"));
    if (file.fileName().isEmpty() || !file.open(QIODevice::Append | QIODevice::Text)) return;
    QTextStream(&file) << "TST00003 " << what << "\n";
}

class TfrmTst00003 : public TfrmPadrao {
public:
    TfrmTst00003()
    {
        setObjectName(QStringLiteral("frmTst00003"));
        SetCaption(QStringLiteral("Tela de teste"));
        lblCodTela->SetCaption(QStringLiteral("TST00003"));
        SetFormSize(500, 300);
    }

protected:
    void FormCreate(QObject& sender) override
    {
        TfrmPadrao::FormCreate(sender);
        // Waits in an event loop as a form connecting to its server does; the host's window
        // becomes active meanwhile.
        QEventLoop wait;
        QTimer::singleShot(100, &wait, &QEventLoop::quit);
        wait.exec();
        Log(QStringLiteral("FormCreate"));
    }
    void FormActivate(QObject& sender) override
    {
        Log(QStringLiteral("FormActivate"));
        TfrmPadrao::FormActivate(sender);
    }
    void FormClose(QObject& sender, TCloseAction& action) override
    {
        Log(QStringLiteral("FormClose"));
        TfrmPadrao::FormClose(sender, action);
    }
};

QPointer<TfrmTst00003>& Form()
{
    static QPointer<TfrmTst00003> form;
    return form;
}

const TPackageUnitInfo kUnits[] = {{"Tst_Tela", nullptr, nullptr}};
const TPackageInfoTable kTable = {1, kUnits};

}  // namespace

extern "C" {

const TPackageInfoTable* GetPackageInfoTable() { return &kTable; }

void Initialize() { Log(QStringLiteral("Initialize")); }

void Finalize() { Log(QStringLiteral("Finalize forms=%1").arg(Application().FormCount())); }

void IniProc()
{
    Log(QStringLiteral("IniProc"));
    const TScreenCursorScope busy;
    if (!Form()) Form() = Application().CreateForm<TfrmTst00003>();
    Form()->Show();
    Form()->SetWindowState(TfrmPadrao::TWindowState::Normal);
}

}  // extern "C"
