#pragma once
// Loads screen modules at run time, by name, from one folder. Module ATE02700 is the library
// libate02700.so; a module is loaded on its first opening, when its entries are checked and
// its load hook Initialize runs; every opening calls IniProc. UnloadAll runs the modules'
// Finalize, newest first, and unloads them; the caller destroys the modules' forms before.
//
// Failures are raised (Exception) with a Portuguese text for the operator: a module that is
// not there, a library that does not load, an entry it does not export, and whatever its
// own entries raise. A module whose load failed is not kept; the next opening tries again.

#include "framework/ui/package_info.h"

#include <QLibrary>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TModuleLoader {
public:
    explicit TModuleLoader(QString directory);
    ~TModuleLoader();
    TModuleLoader(const TModuleLoader&) = delete;
    TModuleLoader& operator=(const TModuleLoader&) = delete;

    const QString& Directory() const { return directory_; }

    // The screen codes of the module libraries in the folder, sorted: files named like
    // "lib" + three letters + five digits + ".so".
    QStringList Installed() const;
    static QString LibraryFileName(const QString& module);

    // Loads the module when it is not loaded yet (checks its entries, runs Initialize and
    // reads its unit table), then calls its IniProc.
    void Open(const QString& module);
    // Loads without opening; returns nothing, raises as Open does.
    void Load(const QString& module);

    bool IsLoaded(const QString& module) const;
    QStringList Loaded() const;  // in load order
    // Unit names of a loaded module's table, in table order.
    QStringList Units(const QString& module) const;

    // Finalize and unload every module, newest first. A failing Finalize is reported through
    // the event guard and the others still run.
    void UnloadAll();

private:
    struct Module {
        QString name;
        std::unique_ptr<QLibrary> library;
        TPackageProc initialize = nullptr;
        TPackageProc finalize = nullptr;
        TPackageProc iniProc = nullptr;
        QStringList units;
    };

    Module* Find(const QString& module);
    const Module* Find(const QString& module) const;
    Module& LoadModule(const QString& module);

    QString directory_;
    std::vector<Module> modules_;
};
