// The module loader over real libraries built for the test: the order of the entries, the
// unit table, and the messages for a missing module, a missing entry and a failing load hook.

#include "framework/core/exceptions.h"
#include "host/module_loader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ModuleLoader : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        log = dir.filePath(QStringLiteral("calls.log"));
        qputenv("ATE_TESTMOD_LOG", log.toLocal8Bit());
    }
    void TearDown() override { qunsetenv("ATE_TESTMOD_LOG"); }

    QStringList Calls() const
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    static QString Failure(TModuleLoader& loader, const QString& module)
    {
        try {
            loader.Open(module);
        } catch (const Exception& e) {
            return e.Message();
        }
        return QStringLiteral("(aberto)");
    }

    QTemporaryDir dir;
    QString log;
    const QString modules = QStringLiteral(TEST_MODULES_DIR);
};

TEST_F(ModuleLoader, LoadsOnceOpensEveryTimeAndFinalizesOnUnload)
{
    TModuleLoader loader(modules);
    loader.Open(QStringLiteral("tst00001"));
    loader.Open(QStringLiteral("TST00001"));
    EXPECT_EQ(loader.Loaded(), QStringList{"TST00001"});
    EXPECT_EQ(loader.Units(QStringLiteral("TST00001")), (QStringList{"Tst_Dados", "Tst_Tela"}));
    loader.UnloadAll();
    EXPECT_FALSE(loader.IsLoaded(QStringLiteral("TST00001")));
    EXPECT_EQ(Calls(), (QStringList{"TST00001 Initialize", "TST00001 init Tst_Dados", "TST00001 init Tst_Tela",
                                    "TST00001 IniProc", "TST00001 IniProc", "TST00001 Finalize",
                                    "TST00001 finit Tst_Tela", "TST00001 finit Tst_Dados"}));
}

TEST_F(ModuleLoader, RefusesMissingModulesAndEntriesWithoutKeepingThem)
{
    TModuleLoader loader(modules);
    EXPECT_EQ(Failure(loader, QStringLiteral("ATE09999")),
              QStringLiteral("Módulo ATE09999 não encontrado: não há o arquivo %1.")
                  .arg(QDir(modules).absoluteFilePath(QStringLiteral("libate09999.so"))));
    EXPECT_EQ(Failure(loader, QStringLiteral("TST00002")),
              QStringLiteral("O módulo TST00002 não exporta a entrada IniProc."));
    EXPECT_FALSE(loader.IsLoaded(QStringLiteral("TST00002")));
    EXPECT_TRUE(Calls().isEmpty()) << "a module refused before its load hook runs nothing";

    // A load hook that fails: its own text, the module dropped, tried again next time.
    EXPECT_EQ(Failure(loader, QStringLiteral("TST00004")), QStringLiteral("falha ao iniciar a unidade Tst_Dados"));
    EXPECT_FALSE(loader.IsLoaded(QStringLiteral("TST00004")));
    EXPECT_EQ(Failure(loader, QStringLiteral("TST00004")), QStringLiteral("falha ao iniciar a unidade Tst_Dados"));
    EXPECT_EQ(Calls(), (QStringList{"TST00004 Initialize", "TST00004 Initialize"}));

    // A file that is no library.
    TModuleLoader broken(dir.path());
    QFile junk(dir.filePath(QStringLiteral("libzzz00001.so")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    EXPECT_TRUE(Failure(broken, QStringLiteral("ZZZ00001"))
                    .startsWith(QStringLiteral("Não foi possível carregar o módulo ZZZ00001: ")));
}

TEST_F(ModuleLoader, ListsOnlyModuleLibrariesOfTheFolder)
{
    for (const char* name :
         {"libate02700.so", "libhostfw.so", "libate0270.so", "libtst00001.so.1", "notes.txt", "libtst00001.so"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(TModuleLoader(dir.path()).Installed(), (QStringList{"ATE02700", "TST00001"}));
    EXPECT_EQ(TModuleLoader::LibraryFileName(QStringLiteral("ATE02700")), QStringLiteral("libate02700.so"));
}

}  // namespace
