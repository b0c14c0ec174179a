#include "framework/report/report_catalog.h"

#include "framework/report/report_error.h"
#include "framework/report/report_parser.h"
#include "framework/report/unique_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kExtension = QStringLiteral(".rpt");

// A title as part of a file name: characters that file systems refuse become "_".
QString fileNamePart(const QString& title)
{
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1F]"));
    QString part = title;
    part.replace(unsafe, QStringLiteral("_"));
    return part.trimmed().left(80);
}

// Replaces the title line of the [report] section, keeping everything else as it stands.
QString withTitle(const QString& text, const QString& title)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    bool inReport = false;
    for (QString& line : lines) {
        if (line.startsWith(QLatin1Char('['))) {
            inReport = line.trimmed().compare(QLatin1String("[report]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inReport) continue;
        const QString trimmed = line.trimmed();
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (eq > 0 && trimmed.left(eq).trimmed().compare(QLatin1String("title"), Qt::CaseInsensitive) == 0) {
            const bool cr = line.endsWith(QLatin1Char('\r'));
            line = QStringLiteral("title = ") + title + (cr ? QStringLiteral("\r") : QString());
            return lines.join(QLatin1Char('\n'));
        }
    }
    throw EReportError(QStringLiteral("A definição de relatório não tem título para substituir."));
}

}  // namespace

std::vector<TReportEntry> ListReportDefinitions(const QString& folder, const QString& code)
{
    std::vector<TReportEntry> entries;
    const QDir dir(folder);
    if (code.trimmed().isEmpty() || !dir.exists()) return entries;
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
        if (!file.fileName().endsWith(kExtension, Qt::CaseInsensitive)) continue;
        if (ReportCodeFromFileName(file.fileName()).compare(code, Qt::CaseInsensitive) != 0) continue;
        TReportEntry entry{code, file.completeBaseName(), file.absoluteFilePath()};
        try {
            entry.title = LoadReportDefinition(file.absoluteFilePath()).title;
        } catch (const EReportError&) {
            // Listed by its file name: choosing it shows what is wrong with it.
        }
        entries.push_back(entry);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const TReportEntry& a, const TReportEntry& b) {
        const bool aShipped = ReportCodeFromFileName(a.filePath) == QFileInfo(a.filePath).completeBaseName();
        const bool bShipped = ReportCodeFromFileName(b.filePath) == QFileInfo(b.filePath).completeBaseName();
        if (aShipped != bShipped) return aShipped;
        return a.title.localeAwareCompare(b.title) < 0;
    });
    return entries;
}

TReportEntry FindReportDefinition(const QString& folder, const QString& code, const QString& title)
{
    const std::vector<TReportEntry> entries = ListReportDefinitions(folder, code);
    if (entries.empty()) throw EReportNotFound(code, QDir::toNativeSeparators(QDir(folder).absolutePath()));
    if (title.isEmpty()) return entries.front();
    for (const TReportEntry& e : entries)
        if (e.title == title) return e;
    throw EReportError(QStringLiteral("Não há definição do relatório '%1' com o título '%2' no diretório '%3'.")
                           .arg(code, title, QDir::toNativeSeparators(QDir(folder).absolutePath())));
}

TReportEntry SaveReportCopy(const TReportEntry& source, const QString& newTitle)
{
    const QString title = newTitle.simplified();
    if (title.isEmpty()) throw EReportError(QStringLiteral("O título do relatório deve ser informado."));
    const QString folder = QFileInfo(source.filePath).absolutePath();
    for (const TReportEntry& e : ListReportDefinitions(folder, source.code))
        if (e.title.compare(title, Qt::CaseInsensitive) == 0)
            throw EReportError(QStringLiteral("Já existe um relatório com o título '%1'.").arg(e.title));

    QFile in(source.filePath);
    if (!in.open(QIODevice::ReadOnly))
        throw EReportError(QStringLiteral("Não foi possível ler a definição de relatório '%1': %2")
                               .arg(source.filePath, in.errorString()));
    LoadReportDefinition(source.filePath);  // refuses to copy a broken definition
    const QString text = withTitle(QString::fromUtf8(in.readAll()), title);

    const QString base = QDir(folder).filePath(source.code + QStringLiteral(" - ") + fileNamePart(title));
    const QString path = WriteNewFile(base, kExtension, [&](QIODevice& out) {
        const QByteArray bytes = text.toUtf8();
        return out.write(bytes) == bytes.size();
    });
    return TReportEntry{source.code, title, path};
}
