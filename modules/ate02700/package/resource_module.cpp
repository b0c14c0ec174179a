#include "modules/ate02700/package/resource_module.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTranslator>

#include <dlfcn.h>

namespace Pkg_ate02700 {

QString ModuleFileName()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&ModuleFileName), &info) == 0 || !info.dli_fname) return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

TResourceModule::TResourceModule() = default;

TResourceModule::~TResourceModule() { Release(); }

bool TResourceModule::Load(const QString& directory, const QString& baseName, const QLocale& locale)
{
    Release();
    if (!QCoreApplication::instance() || directory.isEmpty() || baseName.isEmpty()) return false;
    auto translator = std::make_unique<QTranslator>();
    // QTranslator tries the locale's UI languages in order, each from the most specific form
    // down to the bare language, and takes the first file it can read.
    if (!translator->load(locale, baseName, QStringLiteral("_"), directory, QStringLiteral(".qm"))) return false;
    if (!QCoreApplication::installTranslator(translator.get())) return false;
    translator_ = std::move(translator);
    return true;
}

bool TResourceModule::LoadForModule()
{
    const QFileInfo module(ModuleFileName());
    if (module.fileName().isEmpty()) return false;
    return Load(module.absolutePath(), module.completeBaseName(), QLocale::system());
}

void TResourceModule::Release()
{
    if (!translator_) return;
    if (QCoreApplication::instance()) QCoreApplication::removeTranslator(translator_.get());
    translator_.reset();
}

QString TResourceModule::FileName() const { return translator_ ? translator_->filePath() : QString(); }

}  // namespace Pkg_ate02700
