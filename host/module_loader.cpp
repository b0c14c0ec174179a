#include "host/module_loader.h"

#include "framework/core/exceptions.h"
#include "framework/ui/guard.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

const QRegularExpression& LibraryPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^lib([a-z]{3}[0-9]{5})\\.so$"));
    return pattern;
}

QString Normalised(const QString& module) { return module.trimmed().toUpper(); }

}  // namespace

TModuleLoader::TModuleLoader(QString directory) : directory_(std::move(directory)) {}

TModuleLoader::~TModuleLoader() { UnloadAll(); }

QString TModuleLoader::LibraryFileName(const QString& module)
{
    return QStringLiteral("lib%1.so").arg(Normalised(module).toLower());
}

QStringList TModuleLoader::Installed() const
{
    QStringList modules;
    const QStringList files = QDir(directory_).entryList(QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QRegularExpressionMatch match = LibraryPattern().match(file);
        if (match.hasMatch()) modules << match.captured(1).toUpper();
    }
    return modules;
}

TModuleLoader::Module* TModuleLoader::Find(const QString& module)
{
    const QString name = Normalised(module);
    const auto it = std::find_if(modules_.begin(), modules_.end(), [&](const Module& m) { return m.name == name; });
    return it == modules_.end() ? nullptr : &*it;
}

const TModuleLoader::Module* TModuleLoader::Find(const QString& module) const
{
    return const_cast<TModuleLoader*>(this)->Find(module);
}

bool TModuleLoader::IsLoaded(const QString& module) const { return Find(module) != nullptr; }

QStringList TModuleLoader::Loaded() const
{
    QStringList names;
    for (const Module& module : modules_) names << module.name;
    return names;
}

QStringList TModuleLoader::Units(const QString& module) const
{
    const Module* found = Find(module);
    return found ? found->units : QStringList();
}

void TModuleLoader::Load(const QString& module)
{
    if (!Find(module)) LoadModule(module);
}

TModuleLoader::Module& TModuleLoader::LoadModule(const QString& module)
{
    const QString name = Normalised(module);
    if (name.isEmpty()) throw Exception(QStringLiteral("Informe o nome do módulo."));
    const QString path = QDir(directory_).absoluteFilePath(LibraryFileName(name));
    if (!QFileInfo(path).isFile())
        throw Exception(QStringLiteral("Módulo %1 não encontrado: não há o arquivo %2.").arg(name, path));

    Module loaded;
    loaded.name = name;
    loaded.library = std::make_unique<QLibrary>(path);
    if (!loaded.library->load())
        throw Exception(
            QStringLiteral("Não foi possível carregar o módulo %1: %2").arg(name, loaded.library->errorString()));

    // From here a refused module is unloaded again before the failure goes on. The failure
    // is carried on as a text of the host's own: the exception object may live in the
    // module's code, which unloading takes away.
    bool failed = false;
    std::optional<QString> failure;
    try {
        const auto entry = [&](const char* symbol) {
            QFunctionPointer function = loaded.library->resolve(symbol);
            if (!function)
                throw Exception(
                    QStringLiteral("O módulo %1 não exporta a entrada %2.").arg(name, QString::fromLatin1(symbol)));
            return function;
        };
        loaded.initialize = reinterpret_cast<TPackageProc>(entry(kPackageInitialize));
        loaded.finalize = reinterpret_cast<TPackageProc>(entry(kPackageFinalize));
        loaded.iniProc = reinterpret_cast<TPackageProc>(entry(kPackageIniProc));
        const auto infoTable = reinterpret_cast<TGetPackageInfoTable>(entry(kPackageInfoTable));

        const TPackageInfoTable* table = infoTable();
        if (!table || table->UnitCount < 0 || (table->UnitCount > 0 && !table->Units))
            throw Exception(QStringLiteral("O módulo %1 deu uma tabela de unidades inválida.").arg(name));
        for (int i = 0; i < table->UnitCount; ++i) {
            const char* unit = table->Units[i].Name;
            loaded.units << (unit ? QString::fromUtf8(unit) : QString());
        }
        loaded.initialize();
    } catch (...) {
        failed = true;
        failure = Guard::FailureText(std::current_exception());
    }
    if (failed) {
        loaded.library->unload();
        if (!failure) Abort();
        throw Exception(*failure);
    }
    modules_.push_back(std::move(loaded));
    return modules_.back();
}

void TModuleLoader::Open(const QString& module)
{
    Module* found = Find(module);
    Module& target = found ? *found : LoadModule(module);
    target.iniProc();
}

void TModuleLoader::UnloadAll()
{
    while (!modules_.empty()) {
        Module& module = modules_.back();
        Guard::Run([&module] { module.finalize(); });
        module.library->unload();
        modules_.pop_back();
    }
}
