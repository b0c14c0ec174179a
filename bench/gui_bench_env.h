#pragma once
// The environment of the benchmarks that drive the module's forms against the built server.

#include <QCoreApplication>
#include <QDir>
#include <QtGlobal>

namespace benchsupport {

// The offscreen platform unless the caller chose one; before the application object exists.
inline void UseOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The build folder (where the test support finds the server) two levels above the benchmark,
// unless the caller named one; after the application object exists.
inline void DefaultBuildDir()
{
    if (qEnvironmentVariableIsEmpty("ATE_BUILD_DIR"))
        qputenv("ATE_BUILD_DIR",
                QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../..")).absolutePath().toUtf8());
}

}  // namespace benchsupport
