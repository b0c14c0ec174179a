#include "host/ini_file.h"

#include "framework/core/exceptions.h"

#include <QFile>
#include <QStringConverter>

TIniFile TIniFile::Parse(const QString& text, const QString& source)
{
    TIniFile ini;
    ini.source_ = source;
    QString section;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (i == 0 && line.startsWith(QChar(0xFEFF))) line.remove(0, 1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'))) continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']')) || trimmed.size() < 3)
                throw Exception(
                    QStringLiteral("%1, linha %2: seção mal escrita: %3").arg(source).arg(number).arg(trimmed));
            section = trimmed.mid(1, trimmed.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw Exception(
                QStringLiteral("%1, linha %2: esperado chave = valor: %3").arg(source).arg(number).arg(trimmed));
        Entry entry{section, trimmed.left(eq).trimmed().toLower(), trimmed.mid(eq + 1).trimmed(), number};
        for (const Entry& seen : ini.entries_) {
            if (seen.section == entry.section && seen.key == entry.key)
                throw Exception(QStringLiteral("%1, linha %2: a chave %3 já foi dada na linha %4.")
                                    .arg(source)
                                    .arg(number)
                                    .arg(entry.key)
                                    .arg(seen.line));
        }
        ini.entries_.push_back(std::move(entry));
    }
    return ini;
}

TIniFile TIniFile::Load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("Não foi possível ler o arquivo de configuração %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    auto decode = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError()) throw Exception(QStringLiteral("O arquivo de configuração %1 não está em UTF-8.").arg(path));
    return Parse(text, path);
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const
{
    for (const Entry& entry : entries_) {
        if (entry.section == section.toLower() && entry.key == key.toLower()) return entry.value;
    }
    return std::nullopt;
}
