#include "framework/report/print_report_command.h"

#include "framework/db/dtmdbgeral.h"
#include "framework/report/report_designer_dialog.h"
#include "framework/report/report_error.h"

#include <QDir>

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

namespace {

struct Command {
    QString code, title, out, db, reports;
    std::vector<std::pair<QString, QString>> params;
};

void printLine(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

constexpr const char* kUsage =
    "Uso: --print-report CÓDIGO [--title TÍTULO] [--param NOME=VALOR]... --out PASTA [--db URL] [--reports PASTA]";

// Nothing when the command line is wrong (the reason is printed).
std::optional<Command> parse(const QStringList& arguments)
{
    Command c;
    const auto fail = [](const QString& why) -> std::optional<Command> {
        printLine(stderr, why);
        printLine(stderr, QString::fromUtf8(kUsage));
        return std::nullopt;
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        const auto value = [&](QString& target) {
            if (i + 1 >= arguments.size()) return false;
            target = arguments[++i];
            return true;
        };
        QString text;
        if (arg == QLatin1String("--print-report")) {
            if (!value(c.code) || c.code.trimmed().isEmpty())
                return fail(QStringLiteral("Informe o código do relatório."));
        } else if (arg == QLatin1String("--title")) {
            if (!value(c.title)) return fail(QStringLiteral("Informe o título do relatório."));
        } else if (arg == QLatin1String("--out")) {
            if (!value(c.out) || c.out.isEmpty()) return fail(QStringLiteral("Informe a pasta de saída."));
        } else if (arg == QLatin1String("--db")) {
            if (!value(c.db) || c.db.isEmpty()) return fail(QStringLiteral("Informe o endereço do banco de dados."));
        } else if (arg == QLatin1String("--reports")) {
            if (!value(c.reports) || c.reports.isEmpty())
                return fail(QStringLiteral("Informe a pasta dos relatórios."));
        } else if (arg == QLatin1String("--param")) {
            const qsizetype eq = value(text) ? text.indexOf(QLatin1Char('=')) : -1;
            if (eq <= 0) return fail(QStringLiteral("Parâmetro inválido: use --param NOME=VALOR."));
            c.params.emplace_back(text.left(eq).trimmed(), text.mid(eq + 1));
        } else {
            return fail(QStringLiteral("Argumento desconhecido: %1").arg(arg));
        }
    }
    if (c.code.isEmpty()) return fail(QStringLiteral("Informe o código do relatório (--print-report)."));
    if (c.out.isEmpty()) return fail(QStringLiteral("Informe a pasta de saída (--out)."));
    return c;
}

}  // namespace

int RunPrintReportCommand(const QStringList& arguments)
{
    const std::optional<Command> command = parse(arguments);
    if (!command) return 2;
    try {
        std::optional<TDtmDBGeral> own;
        TDtmDBGeral* connection = &dtmDBGeral();
        if (!command->db.isEmpty()) {
            own.emplace();
            own->Open(command->db);
            connection = &*own;
        } else if (!connection->Connected()) {
            throw EReportError(QStringLiteral("O banco de dados não está aberto: informe --db."));
        }
        TReportSettings settings = ReportSettings();
        if (!command->reports.isEmpty()) settings.reportsDir = command->reports;

        TReportDesignerDialog runner;
        runner.SetConnection(connection);
        runner.SetSettings(settings);
        runner.BeforeGetQueryParams = [&](TReportDesignerDialog&, TParams& params) {
            for (const auto& [name, value] : command->params) {
                if (!params.Exists(name))
                    throw EReportError(
                        QStringLiteral("O relatório %1 não declara o parâmetro '%2'.").arg(command->code, name));
                params.ParamByName(name).SetAsString(value);
            }
        };
        const TReportRun run =
            runner.ExportPdf(FindReportDefinition(settings.reportsDir, command->code, command->title), command->out);
        for (const QString& file : run.files) printLine(stdout, QDir::toNativeSeparators(file));
        return 0;
    } catch (const Exception& e) {
        printLine(stderr, e.Message());
        return 1;
    }
}
