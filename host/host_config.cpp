#include "host/host_config.h"

#include "host/ini_file.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstring>

#include <functional>
#include <optional>

namespace {

const QString kIniName = QStringLiteral("ate-host.ini");
const QString kSection = QStringLiteral("host");

// Where a value came from, for messages and relative paths.
struct Origin {
    QString what;     // "--db" or "ate-host.ini, linha 3"
    QString baseDir;  // folder relative paths are taken from
};

[[noreturn]] void Refuse(const QString& text) { throw EHostConfig(text); }

QString NonEmpty(const QString& value, const Origin& origin)
{
    if (value.trimmed().isEmpty()) Refuse(QStringLiteral("%1: o valor não pode ser vazio.").arg(origin.what));
    return value.trimmed();
}

QString Folder(const QString& value, const Origin& origin)
{
    const QString path = NonEmpty(value, origin);
    return QDir::cleanPath(QDir(origin.baseDir).absoluteFilePath(path));
}

QString File(const QString& value, const Origin& origin)
{
    const QString path = Folder(value, origin);
    if (!QFileInfo(path).isFile()) Refuse(QStringLiteral("%1: arquivo não encontrado: %2").arg(origin.what, path));
    return path;
}

void SetServer(THostConfig& config, const QString& value, const Origin& origin)
{
    const QString text = NonEmpty(value, origin);
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    QString host = colon > 0 ? text.left(colon) : QString();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) host = host.mid(1, host.size() - 2);
    bool number = false;
    const int port = colon > 0 ? text.mid(colon + 1).toInt(&number) : 0;
    if (host.isEmpty() || !number || port < 1 || port > 65535)
        Refuse(
            QStringLiteral("%1: servidor inválido '%2' (use HOST:PORTA, porta de 1 a 65535).").arg(origin.what, text));
    config.serverHost = host;
    config.serverPort = port;
}

bool Flag(const QString& value, const Origin& origin)
{
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("sim") || v == QLatin1String("true") || v == QLatin1String("1") || v == QLatin1String("yes")
        || v == QLatin1String("s"))
        return true;
    if (v == QStringLiteral("não") || v == QLatin1String("nao") || v == QLatin1String("false")
        || v == QLatin1String("0") || v == QLatin1String("no") || v == QLatin1String("n"))
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
        if (QFileInfo(path).isRelative()) return prefix + QDir::cleanPath(QDir(origin.baseDir).absoluteFilePath(path));
    }
    return url;
}

QStringList Modules(const QString& value, const Origin& origin)
{
    QStringList modules;
    for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (!name.isEmpty()) modules << name.toUpper();
    }
    if (modules.isEmpty()) Refuse(QStringLiteral("%1: informe o módulo a abrir.").arg(origin.what));
    return modules;
}

// One setting that both the file and the command line may give.
using Setter = std::function<void(THostConfig&, const QString&, const Origin&)>;

const std::vector<std::pair<QString, Setter>>& SharedSettings()
{
    static const std::vector<std::pair<QString, Setter>> settings = {
        {QStringLiteral("server"), SetServer},
        {QStringLiteral("db"), [](THostConfig& c, const QString& v, const Origin& o) { c.dbUrl = DatabaseUrl(v, o); }},
        {QStringLiteral("branch"),
         [](THostConfig& c, const QString& v, const Origin& o) { c.branch = NonEmpty(v, o); }},
        {QStringLiteral("branch-fixed"),
         [](THostConfig& c, const QString& v, const Origin& o) { c.branchFixed = Flag(v, o); }},
        {QStringLiteral("operator"),
         [](THostConfig& c, const QString& v, const Origin& o) { c.operatorCode = NonEmpty(v, o); }},
        {QStringLiteral("service-mask"),
         [](THostConfig& c, const QString& v, const Origin& o) { c.serviceMask = NonEmpty(v, o); }},
        {QStringLiteral("reports"),
         [](THostConfig& c, const QString& v, const Origin& o) { c.reportsDir = Folder(v, o); }},
        {QStringLiteral("out"), [](THostConfig& c, const QString& v, const Origin& o) { c.outDir = Folder(v, o); }},
        {QStringLiteral("printer"),
         [](THostConfig& c, const QString& v, const Origin& o) { c.printer = NonEmpty(v, o); }},
        {QStringLiteral("modules"),
         [](THostConfig& c, const QString& v, const Origin& o) { c.modulesDir = Folder(v, o); }},
        {QStringLiteral("open"), [](THostConfig& c, const QString& v, const Origin& o) { c.open = Modules(v, o); }},
        {QStringLiteral("client"),
         [](THostConfig& c, const QString& v, const Origin& o) { c.client = NonEmpty(v, o); }},
        {QStringLiteral("client-key"),
         [](THostConfig& c, const QString& v, const Origin& o) { c.clientKey = NonEmpty(v, o); }},
        {QStringLiteral("tls-ca"), [](THostConfig& c, const QString& v, const Origin& o) { c.tlsCaFile = File(v, o); }},
    };
    return settings;
}

const Setter* FindSetting(const QString& key)
{
    for (const auto& [name, setter] : SharedSettings()) {
        if (name == key) return &setter;
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
            Refuse(QStringLiteral("%1, linha %2: seção desconhecida [%3]; use [host].")
                       .arg(file)
                       .arg(entry.line)
                       .arg(entry.section));
        const Setter* setter = FindSetting(entry.key);
        if (!setter)
            Refuse(QStringLiteral("%1, linha %2: chave desconhecida '%3'.").arg(file).arg(entry.line).arg(entry.key));
        (*setter)(config, entry.value, origin);
    }
}

// Options only the command line gives, besides the shared settings.
const QStringList& CommandLineValueOptions()
{
    static const QStringList names = {
        QStringLiteral("config"),       QStringLiteral("screenshot"), QStringLiteral("screenshot-delay"),
        QStringLiteral("print-report"), QStringLiteral("title"),      QStringLiteral("param")};
    return names;
}

// The command line, read by QCommandLineParser ("--db X" and "--db=X" alike). --branch-fixed
// is a flag that may also carry a value ("--branch-fixed=não"), which the parser cannot
// express: that form is taken out before it sees the rest.
struct CommandLine {
    QCommandLineParser parser;
    std::optional<QString> branchFixedValue;
};

void ParseCommandLine(CommandLine& line, const QStringList& arguments)
{
    QStringList rest;
    for (const QString& arg : arguments) {
        if (arg.startsWith(QLatin1String("--branch-fixed=")))
            line.branchFixedValue = arg.mid(static_cast<qsizetype>(std::strlen("--branch-fixed=")));
        else
            rest << arg;
    }
    QCommandLineParser& parser = line.parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const auto& [name, setter] : SharedSettings())
        if (name != QLatin1String("branch-fixed"))
            parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("valor")));
    for (const QString& name : CommandLineValueOptions())
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("valor")));
    parser.addOption(QCommandLineOption(QStringLiteral("branch-fixed")));
    parser.addOption(QCommandLineOption(QStringLiteral("help")));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));
    if (rest.isEmpty()) rest << QStringLiteral("ate-host");
    if (!parser.parse(rest)) {
        if (!parser.unknownOptionNames().isEmpty())
            Refuse(QStringLiteral("Opção desconhecida: --%1").arg(parser.unknownOptionNames().front()));
        static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
        const QRegularExpressionMatch m = quoted.match(parser.errorText());
        if (m.hasMatch() && parser.errorText().startsWith(QLatin1String("Missing value")))
            Refuse(QStringLiteral("A opção %1 precisa de um valor.").arg(m.captured(1)));
        Refuse(QStringLiteral("Linha de comando inválida: %1").arg(parser.errorText()));
    }
    if (!parser.positionalArguments().isEmpty())
        Refuse(QStringLiteral("Argumento inesperado: %1").arg(parser.positionalArguments().front()));
}

// The settings file holds the workstation's key: only its owner should be able to read it.
void CheckKeyFilePermissions(THostConfig& config, const TIniFile& ini)
{
    if (!ini.Value(kSection, QStringLiteral("client-key"))) return;
    const QFileDevice::Permissions p = QFileInfo(ini.Source()).permissions();
    if (p & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther))
        config.warnings << QStringLiteral(
                               "%1 guarda a chave da estação e pode ser lido por outros usuários; "
                               "deixe-o legível só pelo dono (chmod 600 %1).")
                               .arg(QDir::toNativeSeparators(ini.Source()));
}

std::optional<QString> DefaultConfig(const THostPaths& paths)
{
    for (const QString& dir : {paths.programDir, paths.workingDir}) {
        const QString path = QDir(dir).absoluteFilePath(kIniName);
        if (QFileInfo(path).isFile()) return path;
    }
    return std::nullopt;
}

}  // namespace

THostConfig ReadHostConfig(const QStringList& arguments, const THostPaths& paths)
{
    CommandLine line;
    ParseCommandLine(line, arguments);
    const QCommandLineParser& parser = line.parser;
    const auto origin = [&](const QString& name) { return Origin{QStringLiteral("--%1").arg(name), paths.workingDir}; };

    THostConfig config;
    config.modulesDir = QDir::cleanPath(QDir(paths.programDir).absoluteFilePath(QStringLiteral("../lib")));
    config.help = parser.isSet(QStringLiteral("help"));
    config.version = parser.isSet(QStringLiteral("version"));

    std::optional<QString> configFile;
    if (parser.isSet(QStringLiteral("config"))) {
        const QString path = NonEmpty(parser.value(QStringLiteral("config")), origin(QStringLiteral("config")));
        configFile = QDir(paths.workingDir).absoluteFilePath(path);
        if (!QFileInfo(*configFile).isFile())
            Refuse(QStringLiteral("Arquivo de configuração não encontrado: %1").arg(*configFile));
    }
    if (!configFile) configFile = DefaultConfig(paths);
    if (configFile) {
        config.configFile = *configFile;
        const TIniFile ini = TIniFile::Load(*configFile);
        ApplyFile(config, ini);
        CheckKeyFilePermissions(config, ini);
    }

    for (const auto& [name, setter] : SharedSettings()) {
        if (name == QLatin1String("branch-fixed") || name == QLatin1String("open") || !parser.isSet(name)) continue;
        setter(config, parser.value(name), origin(name));
    }
    if (line.branchFixedValue)
        config.branchFixed = Flag(*line.branchFixedValue, origin(QStringLiteral("branch-fixed")));
    else if (parser.isSet(QStringLiteral("branch-fixed")))
        config.branchFixed = true;
    // Several --open add up; the command line replaces the file's list.
    if (parser.isSet(QStringLiteral("open"))) {
        config.open.clear();
        for (const QString& value : parser.values(QStringLiteral("open")))
            config.open << Modules(value, origin(QStringLiteral("open")));
    }
    if (parser.isSet(QStringLiteral("screenshot")))
        config.screenshot = QDir::cleanPath(QDir(paths.workingDir)
                                                .absoluteFilePath(NonEmpty(parser.value(QStringLiteral("screenshot")),
                                                                           origin(QStringLiteral("screenshot")))));
    if (parser.isSet(QStringLiteral("screenshot-delay"))) {
        const QString value = parser.value(QStringLiteral("screenshot-delay"));
        bool number = false;
        const int ms = value.trimmed().toInt(&number);
        if (!number || ms < 0 || ms > 600000)
            Refuse(QStringLiteral("--screenshot-delay: informe milissegundos de 0 a 600000, e não '%1'.").arg(value));
        config.screenshotDelayMs = ms;
    }
    if (parser.isSet(QStringLiteral("print-report")))
        config.printReport =
            NonEmpty(parser.value(QStringLiteral("print-report")), origin(QStringLiteral("print-report")));
    if (parser.isSet(QStringLiteral("title")))
        config.reportTitle = NonEmpty(parser.value(QStringLiteral("title")), origin(QStringLiteral("title")));
    for (const QString& value : parser.values(QStringLiteral("param"))) {
        const qsizetype eq = value.indexOf(QLatin1Char('='));
        if (eq <= 0 || value.left(eq).trimmed().isEmpty())
            Refuse(QStringLiteral("--param: use NOME=VALOR, e não '%1'.").arg(value));
        config.reportParams.emplace_back(value.left(eq).trimmed(), value.mid(eq + 1));
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
        "              [--client NOME --client-key CHAVE] [--tls-ca ARQUIVO]\n"
        "      ate-host --print-report CÓDIGO [--title TÍTULO] [--param NOME=VALOR]... --out PASTA\n"
        "              [--db URL] [--reports PASTA] [--config ARQUIVO]\n"
        "      ate-host --help | --version\n"
        "As opções aceitam \"--opção valor\" e \"--opção=valor\" e também podem ser dadas no\n"
        "arquivo ate-host.ini, seção [host] (que, com a chave da estação, deve ser legível só pelo dono).");
}
