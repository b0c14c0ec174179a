#pragma once
// Helpers of the report suites: a seeded demo database per engine, PDF text read back with
// poppler's pdftotext, and definitions written into a folder.

#include "framework/db/dtmdbgeral.h"
#include "server/database.h"
#include "tests/support/test_database.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace reporttest {

using testsupport::TestDatabase;

inline QString shippedReportsDir()
{
    return QDir(qEnvironmentVariable("ATE_SOURCE_DIR")).filePath(QStringLiteral("reports"));
}

// One demo database per engine for the whole program (seeding takes a moment); nullptr when
// the engine is not configured.
inline TestDatabase* demoDatabase(TestDatabase::Engine engine)
{
    static std::map<TestDatabase::Engine, std::unique_ptr<TestDatabase>> made;
    auto& db = made[engine];
    if (!db) {
        db = TestDatabase::create(engine);
        if (db)
            server::initDatabase(server::DatabaseUrl::parse(db->url()),
                                 server::SeedSpec::parse(QStringLiteral("demo")));
    }
    return db.get();
}

// Text of a PDF as `pdftotext -layout` gives it; pages are separated by form feeds.
inline QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed on " << path.toStdString() << ": " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct PdfWord {
    QString text;
    QRectF box;  // points, from the page's top-left corner
    int page = 0;
};

// Every word of a PDF with its bounding box (`pdftotext -bbox`).
inline std::vector<PdfWord> pdfWords(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-bbox"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    std::vector<PdfWord> words;
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext -bbox failed on " << path.toStdString();
        return words;
    }
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    const QStringList pages = html.split(QStringLiteral("<page "));
    for (int page = 1; page < pages.size(); ++page) {
        auto it = word.globalMatch(pages[page]);
        while (it.hasNext()) {
            const auto match = it.next();
            const double x0 = match.captured(1).toDouble(), y0 = match.captured(2).toDouble();
            const double x1 = match.captured(3).toDouble(), y1 = match.captured(4).toDouble();
            QString text = match.captured(5);
            text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
            words.push_back({text, QRectF(QPointF(x0, y0), QPointF(x1, y1)), page});
        }
    }
    return words;
}

inline double mmToPt(double mm) { return mm * 72.0 / 25.4; }

// Money as the report shows it in the tests' locale (en_US): "1,234.50".
inline QString money(double value) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(value, 'f', 2); }

inline QString writeFile(const QString& folder, const QString& name, const QString& text)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) ADD_FAILURE() << "cannot write " << path.toStdString();
    file.write(text.toUtf8());
    return path;
}

inline QString readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// Every entry of a folder, hidden ones included.
inline QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace reporttest
