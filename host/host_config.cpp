#include "host/host_config.h"

#include "host/ini_file.h"

#include <QDir>
#include <QFileInfo>

#include <functional>
#include <optional>

namespace {

const QString kIniName = QStringLiteral("ate-host.ini");
const QString kSection = QStringLiteral("host");

// Where a value came from, for messages and relative paths.
struct Origin {
    QString what;      // "--db" or "ate-host.ini, linha 3"
    QString baseDir;   // folder relative paths are taken from
};

[[noreturn]] void Refuse(const QString& text)
{
    throw EHostConfig(text);
}

QString NonEmpty(const QString& value, const Origin& origin)
{
    if (value.trimmed().isEmpty())
        Refuse(QStringLiteral("%1: o valor não pode ser vazio.").arg(origin.what));
    return value.trimmed();
}

QString Folder(const QString& value, const Origin& origin)
{
    const QString path = NonEmpty(value, origin);
    return QDir::cleanPath(QDir(origin.baseDir).absoluteFilePath(path));
}

void SetServer(THostConfig& config, const QString& value, const Origin& origin)
{
    const QString text = NonEmpty(value, origin);
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    QString host = colon > 0 ? text.left(colon) : QString();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool number = false;
    const int port = colon > 0 ? text.mid(colon + 1).toInt(&number) : 0;
    if (host.isEmpty() || !number || port < 1 || port > 65535)
        Refuse(QStringLiteral("%1: servidor inválido '%2' (use HOST:PORTA, porta de 1 a 65535).").arg(origin.what, text));
    config.serverHost = host;
    config.serverPort = port;
}

bool Flag(const QString& value, const Origin& origin)
{
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("sim") || v == QLatin1String("true") || v == QLatin1String("1") || v == QLatin1String("yes")
        || v == QLatin1String("s"))
        return true;
    if (v == QStringLiteral("não") || v == QLatin1String("nao") || v == QLatin1String("false") || v == QLatin1String("0")
        || v == QLatin1String("no") || v == QLatin1String("n"))
        return false;
    Refuse(QStringLiteral("%1: use sim ou não, e não '%2'.").arg(origin.what, value));
}

QString DatabaseUrl(const QString& value, const Origin& origin)
{
    const QString url = NonEmpty(value, origin);
    // A SQLite file named relatively belongs to where the setting was written.
    const QString prefix = QStringLiteral("sqlite:");
    if (url.startsWith(prefix, Qt::CaseInsensitive)) {
        const QString path = url.mid(prefix.size());
        if (path.isEmpty())
            Refuse(QStringLiteral("%1: informe o arquivo do banco SQLite (sqlite:ARQUIVO).").arg(origin.what));
        if (QFileInfo(path).isRelative())
            return prefix + QDir::cleanPath(QDir(origin.baseDir).absoluteFilePath(path));
    }
    return url;
}

QStringList Modules(const QString& value, const Origin& origin)
{
    QStringList modules;
    for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            modules << name.toUpper();
    }
    if (modules.isEmpty())
        Refuse(QStringLiteral("%1: informe o módulo a abrir.").arg(origin.what));
    return modules;
}

// One setting that both the file and the command line may give.
using Setter = std::function<void(THostConfig&, const QString&, const Origin&)>;

const std::vector<std::pair<QString, Setter>>& SharedSettings()
{
    static const std::vector<std::pair<QString, Setter>> settings = {
        {QStringLiteral("server"), SetServer},
        {QStringLiteral("db"), [](THostConfig& c, const QString& v, const Origin& o) { c.dbUrl = DatabaseUrl(v, o); }},
        {QStringLiteral("branch"), [](THostConfig& c, const QString& v, const Origin& o) { c.branch = NonEmpty(v, o); }},
        {QStringLiteral("branch-fixed"), [](THostConfig& c, const QString& v, const Origin& o) { c.branchFixed = Flag(v, o); }},
        {QStringLiteral("operator"), [](THostConfig& c, const QString& v, const Origin& o) { c.operatorCode = NonEmpty(v, o); }},
        {QStringLiteral("service-mask"), [](THostConfig& c, const QString& v, const Origin& o) { c.serviceMask = NonEmpty(v, o); }},
        {QStringLiteral("reports"), [](THostConfig& c, const QString& v, const Origin& o) { c.reportsDir = Folder(v, o); }},
        {QStringLiteral("out"), [](THostConfig& c, const QString& v, const Origin& o) { c.outDir = Folder(v, o); }},
        {QStringLiteral("printer"), [](THostConfig& c, const QString& v, const Origin& o) { c.printer = NonEmpty(v, o); }},
        {QStringLiteral("modules"), [](THostConfig& c, const QString& v, const Origin& o) { c.modulesDir = Folder(v, o); }},
        {QStringLiteral("open"), [](THostConfig& c, const QString& v, const Origin& o) { c.open = Modules(v, o); }},
    };
    return settings;
}

const Setter* FindSetting(const QString& key)
{
    for (const auto& [name, setter] : SharedSettings()) {
        if (name == key)
            return &setter;
    }
    return nullptr;
}

void ApplyFile(THostConfig& config, const TIniFile& ini)
{
    const QString dir = QFileInfo(ini.Source()).absolutePath();
    const QString file = QFileInfo(ini.Source()).fileName();
    for (const TIniFile::Entry& entry : ini.Entries()) {
        const Origin origin{QStringLiteral("%1, linha %2 (%3)").arg(file).arg(entry.line).arg(entry.key), dir};
        if (entry.section != kSection)
            Refuse(QStringLiteral("%1, linha %2: seção desconhecida [%3]; use [host].").arg(file).arg(entry.line).arg(entry.section));
        const Setter* setter = FindSetting(entry.key);
        if (!setter)
            Refuse(QStringLiteral("%1, linha %2: chave desconhecida '%3'.").arg(file).arg(entry.line).arg(entry.key));
        (*setter)(config, entry.value, origin);
    }
}

// The command line as option/value pairs ("--db X" and "--db=X" alike).
struct Option {
    QString name;  // without the dashes
    std::optional<QString> value;
};

bool TakesValue(const QString& name)
{
    return name != QLatin1String("branch-fixed") && name != QLatin1String("help");
}

std::vector<Option> Options(const QStringList& arguments)
{
    std::vector<Option> options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (!arg.startsWith(QLatin1String("--")) || arg.size() < 3)
            Refuse(QStringLiteral("Argumento inesperado: %1").arg(arg));
        QString name = arg.mid(2);
        std::optional<QString> value;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        } else if (TakesValue(name)) {
            if (i + 1 >= arguments.size())
                Refuse(QStringLiteral("A opção --%1 precisa de um valor.").arg(name));
            value = arguments[++i];
        }
        options.push_back({name, value});
    }
    return options;
}

std::optional<QString> DefaultConfig(const THostPaths& paths)
{
    for (const QString& dir : {paths.programDir, paths.workingDir}) {
        const QString path = QDir(dir).absoluteFilePath(kIniName);
        if (QFileInfo(path).isFile())
            return path;
    }
    return std::nullopt;
}

}  // namespace

THostConfig ReadHostConfig(const QStringList& arguments, const THostPaths& paths)
{
    const std::vector<Option> options = Options(arguments);

    THostConfig config;
    config.modulesDir = QDir::cleanPath(QDir(paths.programDir).absoluteFilePath(QStringLiteral("../lib")));

    std::optional<QString> configFile;
    for (const Option& option : options) {
        if (option.name == QLatin1String("config")) {
            const QString path = NonEmpty(option.value.value_or(QString()), {QStringLiteral("--config"), paths.workingDir});
            configFile = QDir(paths.workingDir).absoluteFilePath(path);
            if (!QFileInfo(*configFile).isFile())
                Refuse(QStringLiteral("Arquivo de configuração não encontrado: %1").arg(*configFile));
        }
    }
    if (!configFile)
        configFile = DefaultConfig(paths);
    if (configFile) {
        config.configFile = *configFile;
        ApplyFile(config, TIniFile::Load(*configFile));
    }

    bool openedFromCommandLine = false;
    for (const Option& option : options) {
        const Origin origin{QStringLiteral("--%1").arg(option.name), paths.workingDir};
        const QString value = option.value.value_or(QString());
        if (option.name == QLatin1String("config"))
            continue;
        if (option.name == QLatin1String("help")) {
            config.help = true;
        } else if (option.name == QLatin1String("branch-fixed")) {
            config.branchFixed = option.value ? Flag(value, origin) : true;
        } else if (option.name == QLatin1String("open")) {
            // Several --open add up; the command line replaces the file's list.
            if (!openedFromCommandLine)
                config.open.clear();
            openedFromCommandLine = true;
            config.open << Modules(value, origin);
        } else if (const Setter* setter = FindSetting(option.name)) {
            (*setter)(config, value, origin);
        } else if (option.name == QLatin1String("screenshot")) {
            config.screenshot = QDir::cleanPath(QDir(paths.workingDir).absoluteFilePath(NonEmpty(value, origin)));
        } else if (option.name == QLatin1String("screenshot-delay")) {
            bool number = false;
            const int ms = value.trimmed().toInt(&number);
            if (!number || ms < 0 || ms > 600000)
                Refuse(QStringLiteral("--screenshot-delay: informe milissegundos de 0 a 600000, e não '%1'.").arg(value));
            config.screenshotDelayMs = ms;
        } else if (option.name == QLatin1String("print-report")) {
            config.printReport = NonEmpty(value, origin);
        } else if (option.name == QLatin1String("title")) {
            config.reportTitle = NonEmpty(value, origin);
        } else if (option.name == QLatin1String("param")) {
            const qsizetype eq = value.indexOf(QLatin1Char('='));
            if (eq <= 0 || value.left(eq).trimmed().isEmpty())
                Refuse(QStringLiteral("--param: use NOME=VALOR, e não '%1'.").arg(value));
            config.reportParams.emplace_back(value.left(eq).trimmed(), value.mid(eq + 1));
        } else {
            Refuse(QStringLiteral("Opção desconhecida: --%1").arg(option.name));
        }
    }
    if (config.printReport.isEmpty() && (!config.reportTitle.isEmpty() || !config.reportParams.empty()))
        Refuse(QStringLiteral("--title e --param só valem com --print-report."));
    return config;
}

QString HostUsage()
{
    return QStringLiteral(
        "Uso: ate-host [--config ARQUIVO] [--server HOST:PORTA] [--db URL] [--branch CÓDIGO]\n"
        "              [--branch-fixed] [--operator CÓDIGO] [--service-mask MÁSCARA]\n"
        "              [--reports PASTA] [--out PASTA] [--printer IMPRESSORA] [--modules PASTA]\n"
        "              [--open MÓDULO]...\n"
        "              [--screenshot ARQUIVO.png [--screenshot-delay MS]]\n"
        "      ate-host --print-report CÓDIGO [--title TÍTULO] [--param NOME=VALOR]... --out PASTA\n"
        "              [--db URL] [--reports PASTA] [--config ARQUIVO]\n"
        "As opções também podem ser dadas no arquivo ate-host.ini, seção [host].");
}
