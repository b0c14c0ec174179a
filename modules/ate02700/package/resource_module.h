#pragma once
// The resource module of the package: the texts of its screens in the user's language, kept
// next to the library as "<library base name>_<language>.qm" (libate02700_es.qm beside
// libate02700.so). When one is found it is installed in the application and its texts are
// used instead of the module's own; when none is, the module keeps its own (Portuguese) texts.

#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

namespace Pkg_ate02700 {

// The file the module's code was loaded from: the library, or the executable it is linked into.
QString ModuleFileName();

class TResourceModule {
public:
    TResourceModule();
    ~TResourceModule();
    TResourceModule(const TResourceModule&) = delete;
    TResourceModule& operator=(const TResourceModule&) = delete;

    // Looks in `directory` for `baseName`_<language>.qm for the languages of `locale`, most
    // specific first ("es_AR", then "es"), and installs the first found. Releases the one
    // loaded before. False when none is there (or there is no application to install it in).
    bool Load(const QString& directory, const QString& baseName, const QLocale& locale);
    // The one for the user's language next to the module file.
    bool LoadForModule();
    // Uninstalls and frees it; nothing when none is loaded.
    void Release();

    bool Loaded() const { return translator_ != nullptr; }
    // The file loaded; empty when none.
    QString FileName() const;

private:
    std::unique_ptr<QTranslator> translator_;
};

}  // namespace Pkg_ate02700
