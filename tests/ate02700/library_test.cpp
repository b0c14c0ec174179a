// The module library as the host loads it: built, loadable with every symbol resolved, and
// exporting the package entries and the module variables under their names.

#include "framework/ui/package_info.h"

#include <QString>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <array>
#include <string>

namespace {

class ModuleLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = qEnvironmentVariable("ATE_BUILD_DIR").toStdString() + "/lib/libate02700.so";
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
    }
    void TearDown() override
    {
        if (handle_) dlclose(handle_);
    }

    void* Symbol(const char* name) const { return dlsym(handle_, name); }
    template <class T> T& Variable(const char* mangled) const
    {
        void* address = Symbol(mangled);
        if (!address) throw std::runtime_error(std::string("not exported: ") + mangled);
        return *static_cast<T*>(address);
    }

    void* handle_ = nullptr;
};

TEST_F(ModuleLibrary, ExportsTheEntriesAndTheModuleVariables)
{
    for (const char* entry : {kPackageInitialize, kPackageFinalize, kPackageIniProc, kPackageInfoTable})
        EXPECT_NE(Symbol(entry), nullptr) << entry;
    // Cli_ate02700::... and Cli_ate02701::... as the C++ toolchain names them.
    for (const char* variable :
         {"_ZN12Cli_ate0270015frmManuDelValorE", "_ZN12Cli_ate0270010boIdCriadoE", "_ZN12Cli_ate0270013boPrimeiraVezE",
          "_ZN12Cli_ate027008astCdCiaE", "_ZN12Cli_ate0270011stCdAgrDeCoE", "_ZN12Cli_ate0270118frmRelManuDelValorE",
          "_ZN12Cli_ate0270110boIdCriadoE", "_ZN12Cli_ate027017boPrintE", "_ZN12Cli_ate027019boPreviewE",
          "_ZN12Cli_ate0270115astCiaVooTreRelE"})
        EXPECT_NE(Symbol(variable), nullptr) << variable;
}

TEST_F(ModuleLibrary, LoadAndUnloadHooksRunTheUnitsOfTheTable)
{
    const auto table = reinterpret_cast<TGetPackageInfoTable>(Symbol(kPackageInfoTable))();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->UnitCount, 3);
    EXPECT_STREQ(table->Units[1].Name, "Cli_ate02701");
    EXPECT_STREQ(table->Units[2].Name, "Cli_ate02700");

    auto& mainCreated = Variable<bool>("_ZN12Cli_ate0270010boIdCriadoE");
    auto& dialogCreated = Variable<bool>("_ZN12Cli_ate0270110boIdCriadoE");
    auto& marks = Variable<std::array<QString, 3>>("_ZN12Cli_ate027008astCdCiaE");
    EXPECT_EQ(marks[0], QStringLiteral("0")) << "the initial marking state";
    mainCreated = true;
    dialogCreated = true;
    reinterpret_cast<TPackageProc>(Symbol(kPackageInitialize))();
    EXPECT_FALSE(mainCreated);
    EXPECT_FALSE(dialogCreated);

    marks[1] = QStringLiteral("0001");
    reinterpret_cast<TPackageProc>(Symbol(kPackageFinalize))();
    EXPECT_TRUE(marks[0].isNull());
    EXPECT_TRUE(marks[1].isNull());
}

}  // namespace
