// The package entries as the host calls them, linked into the test: the unit table, the
// units' initialisation and finalisation, and the resource module for the user's language.

#include "modules/ate02700/emission/cli_ate02701.h"
#include "modules/ate02700/main_form/cli_ate02700.h"
#include "modules/ate02700/main_form/frm_manu_del_valor.h"
#include "modules/ate02700/package/pkg_ate02700.h"
#include "modules/ate02700/package/resource_module.h"
#include "tests/support/test_database.h"

#include "framework/ui/tpagecontrol.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Package, UnitTableEndsWithTheEmissionUnitThenTheMainUnit)
{
    const TPackageInfoTable* table = GetPackageInfoTable();
    ASSERT_NE(table, nullptr);
    ASSERT_GE(table->UnitCount, 2);
    const TPackageUnitInfo& emission = table->Units[table->UnitCount - 2];
    const TPackageUnitInfo& main = table->Units[table->UnitCount - 1];
    EXPECT_STREQ(emission.Name, "Cli_ate02701");
    EXPECT_STREQ(main.Name, "Cli_ate02700");
    EXPECT_EQ(emission.Init, &Cli_ate02701::Initialization);
    EXPECT_EQ(emission.FInit, &Cli_ate02701::Finalization);
    EXPECT_EQ(main.Init, &Cli_ate02700::Initialization);
    EXPECT_EQ(main.FInit, &Cli_ate02700::Finalization);
    EXPECT_STREQ(table->Units[0].Name, "Pkg_ate02700");
    EXPECT_EQ(GetPackageInfoTable(), table) << "one table for the life of the module";
}

TEST(Package, InitializeClearsTheFlagsAndFinalizeReleasesTheTexts)
{
    Cli_ate02700::boIdCriado = true;
    Cli_ate02701::boIdCriado = true;
    Initialize();
    EXPECT_FALSE(Cli_ate02700::boIdCriado);
    EXPECT_FALSE(Cli_ate02701::boIdCriado);
    EXPECT_EQ(Cli_ate02700::astCdCia[0], QStringLiteral("0"));

    // A second load hook while loaded changes nothing.
    Cli_ate02700::astCdCia = {QStringLiteral("3"), QStringLiteral("0001"), QStringLiteral("CIA")};
    Cli_ate02700::boIdCriado = true;
    Initialize();
    EXPECT_TRUE(Cli_ate02700::boIdCriado);
    EXPECT_EQ(Cli_ate02700::astCdCia[0], QStringLiteral("3"));

    Cli_ate02700::stCdAgrDeCo = QStringLiteral("0003");
    Cli_ate02701::astCiaVooTreRel = {QStringLiteral("0001"), QStringLiteral("1010"), QStringLiteral("GRU")};
    Finalize();
    for (const QString& text : Cli_ate02700::astCdCia) EXPECT_TRUE(text.isNull());
    EXPECT_TRUE(Cli_ate02700::stCdAgrDeCo.isNull());
    for (const QString& text : Cli_ate02701::astCiaVooTreRel) EXPECT_TRUE(text.isNull());

    // Loaded again, the marking state starts as a fresh module's does.
    Initialize();
    EXPECT_EQ(Cli_ate02700::astCdCia, (std::array<QString, 3>{QStringLiteral("0"), QString(), QString()}));
    EXPECT_FALSE(Cli_ate02700::boIdCriado);
    Finalize();
    Finalize();  // an unload hook without a load does nothing
    EXPECT_TRUE(Cli_ate02700::astCdCia[0].isNull());
}

// The Spanish resource module built with the library, copied where a test can point at it.
class ResourceModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString built = qEnvironmentVariable("ATE_BUILD_DIR") + QStringLiteral("/lib/libate02700_es.qm");
        if (!QFile::exists(built))
            GTEST_SKIP() << "no resource module was built (lrelease missing): " << built.toStdString();
        ASSERT_TRUE(QFile::copy(built, dir_.filePath(QStringLiteral("libate02700_es.qm"))));
    }

    testsupport::TempDir dir_;
    Pkg_ate02700::TResourceModule resources_;
};

TEST_F(ResourceModule, TheUsersLanguageReplacesTheScreensTextsUntilReleased)
{
    const QString base = QStringLiteral("libate02700");
    EXPECT_FALSE(resources_.Load(dir_.path(), base, QLocale(QLocale::German, QLocale::Germany)));
    EXPECT_FALSE(resources_.Loaded());

    ASSERT_TRUE(resources_.Load(dir_.path(), base, QLocale(QLocale::Spanish, QLocale::Argentina)))
        << "a country falls back to its language";
    EXPECT_TRUE(resources_.FileName().endsWith(QStringLiteral("libate02700_es.qm")));
    {
        TfrmManuDelValor form;
        EXPECT_EQ(form.Caption(), QStringLiteral("Emisión de Guía Valorizada"));
        EXPECT_EQ(form.tshFolhaDados->Caption(), QStringLiteral("Entrega"));
    }

    resources_.Release();
    EXPECT_FALSE(resources_.Loaded());
    TfrmManuDelValor form;
    EXPECT_EQ(form.Caption(), QStringLiteral("Emissão de Guia Valorizado"));
}

}  // namespace
