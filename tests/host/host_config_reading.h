#pragma once
// What the host settings suites share: a scratch folder, the paths the host would have, and
// reading the settings as ate-host does (its command line after the program name).

#include "framework/core/exceptions.h"
#include "host/host_config.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class HostConfigReading : public ::testing::Test {
protected:
    THostConfig Read(QStringList args) const
    {
        args.prepend(QStringLiteral("ate-host"));
        return ReadHostConfig(args, paths);
    }

    // The refusal's text, or a note that nothing was refused.
    QString Refusal(const QStringList& args) const
    {
        try {
            Read(args);
        } catch (const Exception& e) {
            return e.Message();
        }
        return QStringLiteral("(aceito)");
    }

    QTemporaryDir dir;
    THostPaths paths;
};
