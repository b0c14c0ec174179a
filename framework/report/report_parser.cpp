#include "framework/report/report_parser.h"

#include "framework/db/sql_placeholders.h"
#include "framework/report/report_error.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

namespace {

constexpr double kTolerance = 0.001;  // millimetres

class Parser {
public:
    Parser(const QString& text, const QString& filePath) : filePath_(filePath)
    {
        lines_ = text.split(QLatin1Char('\n'));
        for (QString& l : lines_)
            if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
        def_.filePath = filePath;
        def_.code = ReportCodeFromFileName(filePath);
    }

    TReportDefinition Run()
    {
        enum class Where { None, Report, Parameters, Sql, Band };
        Where where = Where::None;
        TReportSql* sql = nullptr;
        QStringList* sqlLines = nullptr;
        TReportBand* band = nullptr;
        std::set<QString> seenSections;
        std::set<QString> seenKeys;

        for (int i = 0; i < lines_.size(); ++i) {
            line_ = i + 1;
            const QString& raw = lines_[i];
            if (raw.startsWith(QLatin1Char('['))) {
                FinishSql(sqlLines);
                sqlLines = nullptr;
                const QString header = raw.trimmed();
                if (!header.endsWith(QLatin1Char(']'))) Fail(QStringLiteral("cabeçalho de seção sem ']'"));
                const QString name = header.mid(1, header.size() - 2).simplified().toLower();
                if (!seenSections.insert(name).second)
                    Fail(QStringLiteral("a seção [%1] aparece mais de uma vez").arg(name));
                seenKeys.clear();
                band = nullptr;
                sql = nullptr;
                if (name == QLatin1String("report")) {
                    where = Where::Report;
                    reportLine_ = line_;
                } else if (name == QLatin1String("parameters")) {
                    where = Where::Parameters;
                } else if (name.startsWith(QLatin1String("master sql"))
                           || name.startsWith(QLatin1String("detail sql"))) {
                    where = Where::Sql;
                    sql = name.startsWith(QLatin1String("master")) ? &def_.master : &def_.detail;
                    const QString dialectName = name.mid(int(qstrlen("master sql"))).trimmed();
                    if (dialectName.isEmpty()) {
                        sql->present = true;
                        sql->sourceLine = line_;
                        sqlLines = &sql->generic;
                    } else {
                        const auto dialect = SqlDialectFromName(dialectName);
                        if (!dialect)
                            Fail(QStringLiteral("dialeto SQL desconhecido '%1' (use sqlite, postgresql, oracle "
                                                "ou interbase)")
                                     .arg(dialectName));
                        sqlLines = &sql->byDialect[*dialect];
                        if (!sql->sourceLine) sql->sourceLine = line_;
                    }
                } else if (const auto kind = BandFromName(name)) {
                    where = Where::Band;
                    band = &def_.Band(*kind);
                    band->present = true;
                    band->sourceLine = line_;
                } else {
                    Fail(QStringLiteral("seção desconhecida [%1]").arg(name));
                }
                continue;
            }
            if (where == Where::Sql) {
                sqlLines->append(raw);
                continue;
            }
            const QString content = raw.trimmed();
            if (content.isEmpty() || content.startsWith(QLatin1Char('#'))) continue;
            switch (where) {
            case Where::None: Fail(QStringLiteral("conteúdo fora de uma seção"));
            case Where::Report: ReportKey(content, seenKeys); break;
            case Where::Parameters: Parameter(content); break;
            case Where::Band: BandLine(*band, content, seenKeys); break;
            case Where::Sql: break;
            }
        }
        FinishSql(sqlLines);
        Validate();
        return std::move(def_);
    }

private:
    [[noreturn]] void Fail(const QString& what) const { FailAt(line_, what); }
    [[noreturn]] void FailAt(int line, const QString& what) const
    {
        throw EReportError(
            QStringLiteral("Definição de relatório '%1', linha %2: %3.").arg(filePath_).arg(line).arg(what));
    }

    static std::optional<TBandKind> BandFromName(const QString& name)
    {
        for (std::size_t k = 0; k < BandKindCount; ++k)
            if (name == BandSectionName(TBandKind(k))) return TBandKind(k);
        return std::nullopt;
    }

    static void FinishSql(QStringList* lines)
    {
        if (!lines) return;
        while (!lines->isEmpty() && lines->last().trimmed().isEmpty()) lines->removeLast();
        while (!lines->isEmpty() && lines->first().trimmed().isEmpty()) lines->removeFirst();
    }

    std::pair<QString, QString> KeyValue(const QString& content) const
    {
        const qsizetype eq = content.indexOf(QLatin1Char('='));
        if (eq <= 0) Fail(QStringLiteral("esperado 'nome = valor'"));
        return {content.left(eq).trimmed().toLower(), content.mid(eq + 1).trimmed()};
    }

    double Number(const QString& text, const QString& what) const
    {
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value)) Fail(QStringLiteral("valor inválido para %1: '%2'").arg(what, text));
        return value;
    }

    bool YesNo(const QString& text) const
    {
        const QString t = text.toLower();
        if (t == QLatin1String("yes") || t == QLatin1String("sim")) return true;
        if (t == QLatin1String("no") || t == QLatin1String("não") || t == QLatin1String("nao")) return false;
        Fail(QStringLiteral("esperado 'yes' ou 'no', encontrado '%1'").arg(text));
    }

    void ReportKey(const QString& content, std::set<QString>& seen)
    {
        const auto [key, value] = KeyValue(content);
        if (!seen.insert(key).second) Fail(QStringLiteral("a chave '%1' aparece mais de uma vez").arg(key));
        if (key == QLatin1String("title")) {
            if (value.isEmpty()) Fail(QStringLiteral("título vazio"));
            def_.title = value;
        } else if (key == QLatin1String("paper")) {
            const QString v = value.toLower();
            if (v == QLatin1String("a4"))
                def_.paper = QPageSize::A4;
            else if (v == QLatin1String("a5"))
                def_.paper = QPageSize::A5;
            else if (v == QLatin1String("letter"))
                def_.paper = QPageSize::Letter;
            else if (v == QLatin1String("legal"))
                def_.paper = QPageSize::Legal;
            else
                Fail(QStringLiteral("papel desconhecido '%1' (use A4, A5, Letter ou Legal)").arg(value));
        } else if (key == QLatin1String("orientation")) {
            const QString v = value.toLower();
            if (v == QLatin1String("portrait"))
                def_.orientation = QPageLayout::Portrait;
            else if (v == QLatin1String("landscape"))
                def_.orientation = QPageLayout::Landscape;
            else
                Fail(QStringLiteral("orientação desconhecida '%1' (use portrait ou landscape)").arg(value));
        } else if (key == QLatin1String("margins")) {
            const QStringList parts = value.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            if (parts.size() != 4) Fail(QStringLiteral("margens: informe esquerda, topo, direita e base em mm"));
            double m[4];
            for (int i = 0; i < 4; ++i) {
                m[i] = Number(parts[i], QStringLiteral("margem"));
                if (m[i] < 0) Fail(QStringLiteral("margem negativa"));
            }
            def_.margins = QMarginsF(m[0], m[1], m[2], m[3]);
        } else if (key == QLatin1String("font")) {
            if (value.isEmpty()) Fail(QStringLiteral("fonte vazia"));
            def_.fontFamily = value;
        } else if (key == QLatin1String("font-size")) {
            def_.fontSize = Number(value, QStringLiteral("tamanho de fonte"));
            if (def_.fontSize < 4 || def_.fontSize > 72) Fail(QStringLiteral("tamanho de fonte fora de 4 a 72"));
        } else if (key == QLatin1String("page-numbers")) {
            const QString v = value.toLower();
            if (v == QLatin1String("master"))
                def_.numbering = TPageNumbering::PerMaster;
            else if (v == QLatin1String("report"))
                def_.numbering = TPageNumbering::Report;
            else
                Fail(QStringLiteral("numeração de páginas desconhecida '%1' (use master ou report)").arg(value));
        } else if (key == QLatin1String("master-new-page")) {
            def_.masterNewPage = YesNo(value);
        } else if (key == QLatin1String("file-name")) {
            if (value.isEmpty()) Fail(QStringLiteral("nome de arquivo vazio"));
            try {
                def_.fileName = TReportTemplate::Parse(value);
            } catch (const EReportError& e) {
                Fail(e.Message());
            }
            using K = TTemplatePart::Kind;
            for (const TTemplatePart& part : def_.fileName.Parts())
                if (part.kind == K::Sum || part.kind == K::Count || part.kind == K::Page || part.kind == K::Pages)
                    Fail(
                        QStringLiteral("o nome de arquivo lê apenas colunas da consulta principal, parâmetros, "
                                       "{#CODE}, {#TITLE} e {#NOW}"));
            def_.fileNameLine = line_;
        } else {
            Fail(QStringLiteral("chave desconhecida '%1' na seção [report]").arg(key));
        }
    }

    void Parameter(const QString& content)
    {
        const QString type = KeyValue(content).second;
        const QString name = content.left(content.indexOf(QLatin1Char('='))).trimmed();
        static const QRegularExpression nameRe(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
        if (!nameRe.match(name).hasMatch()) Fail(QStringLiteral("nome de parâmetro inválido '%1'").arg(name));
        for (const TParamDecl& d : def_.parameters)
            if (d.Name.compare(name, Qt::CaseInsensitive) == 0)
                Fail(QStringLiteral("o parâmetro '%1' é declarado mais de uma vez").arg(name));
        const auto fieldType = wire::fieldTypeFromName(type.toLower());
        if (!fieldType)
            Fail(QStringLiteral("tipo de parâmetro desconhecido '%1' (use string, float, integer ou datetime)")
                     .arg(type));
        def_.parameters.push_back(TParamDecl{name, *fieldType});
    }

    // Splits an item line into words; a quoted word keeps its blanks and escapes.
    struct Token {
        QString text;
        bool quoted = false;
    };
    std::vector<Token> Tokens(const QString& content) const
    {
        std::vector<Token> tokens;
        qsizetype i = 0;
        const qsizetype n = content.size();
        while (i < n) {
            if (content[i].isSpace()) {
                ++i;
                continue;
            }
            Token t;
            if (content[i] == QLatin1Char('"')) {
                t.quoted = true;
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar c = content[i];
                    if (c == QLatin1Char('\\') && i + 1 < n
                        && (content[i + 1] == QLatin1Char('"') || content[i + 1] == QLatin1Char('\\'))) {
                        t.text += content[i + 1];
                        i += 2;
                    } else if (c == QLatin1Char('"')) {
                        closed = true;
                        ++i;
                        break;
                    } else {
                        t.text += c;
                        ++i;
                    }
                }
                if (!closed) Fail(QStringLiteral("texto entre aspas sem a aspa final"));
                if (i < n && !content[i].isSpace()) Fail(QStringLiteral("falta espaço depois do texto entre aspas"));
            } else {
                while (i < n && !content[i].isSpace()) {
                    if (content[i] == QLatin1Char('"')) Fail(QStringLiteral("aspa no meio de uma palavra"));
                    t.text += content[i++];
                }
            }
            tokens.push_back(t);
        }
        return tokens;
    }

    QColor Color(const QString& text) const
    {
        static const QRegularExpression re(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        if (!re.match(text).hasMatch()) Fail(QStringLiteral("cor inválida '%1' (use #RRGGBB)").arg(text));
        return QColor(text);
    }

    void BandLine(TReportBand& band, const QString& content, std::set<QString>& seen)
    {
        const std::vector<Token> tokens = Tokens(content);
        const QString kind = tokens.front().text.toLower();
        if (!tokens.front().quoted && (kind == QLatin1String("height") || kind.startsWith(QLatin1String("height=")))) {
            const auto [key, value] = KeyValue(content);
            if (key != QLatin1String("height")) Fail(QStringLiteral("esperado 'height = MM'"));
            if (!seen.insert(key).second) Fail(QStringLiteral("a altura da banda aparece mais de uma vez"));
            band.height = Number(value, QStringLiteral("altura"));
            if (band.height <= 0) Fail(QStringLiteral("a altura da banda deve ser maior que zero"));
            return;
        }
        TReportItem item;
        item.sourceLine = line_;
        if (kind == QLatin1String("text"))
            item.kind = TReportItem::Kind::Text;
        else if (kind == QLatin1String("line"))
            item.kind = TReportItem::Kind::Line;
        else if (kind == QLatin1String("box"))
            item.kind = TReportItem::Kind::Box;
        else
            Fail(QStringLiteral("item desconhecido '%1' (use text, line ou box, ou 'height = MM')")
                     .arg(tokens.front().text));

        if (tokens.size() < 5) Fail(QStringLiteral("o item '%1' precisa de quatro medidas").arg(kind));
        double g[4];
        for (int i = 0; i < 4; ++i) {
            if (tokens[std::size_t(i + 1)].quoted) Fail(QStringLiteral("medida esperada, encontrado texto"));
            g[i] = Number(tokens[std::size_t(i + 1)].text, QStringLiteral("medida"));
        }
        if (item.kind == TReportItem::Kind::Line) {
            item.line = QLineF(g[0], g[1], g[2], g[3]);
        } else {
            if (g[2] <= 0 || g[3] <= 0) Fail(QStringLiteral("largura e altura devem ser maiores que zero"));
            item.rect = QRectF(g[0], g[1], g[2], g[3]);
        }

        bool haveText = false;
        Qt::Alignment horizontal = Qt::AlignLeft, vertical = Qt::AlignVCenter;
        std::set<QString> options;
        for (std::size_t t = 5; t < tokens.size(); ++t) {
            const Token& tok = tokens[t];
            if (tok.quoted) {
                if (item.kind != TReportItem::Kind::Text) Fail(QStringLiteral("só itens 'text' têm texto"));
                if (haveText) Fail(QStringLiteral("o item tem mais de um texto"));
                if (t + 1 != tokens.size()) Fail(QStringLiteral("o texto entre aspas deve ser o último elemento"));
                try {
                    item.text = TReportTemplate::Parse(tok.text);
                } catch (const EReportError& e) {
                    Fail(e.Message());
                }
                haveText = true;
                continue;
            }
            const qsizetype eq = tok.text.indexOf(QLatin1Char('='));
            const QString option = (eq < 0 ? tok.text : tok.text.left(eq)).toLower();
            const QString value = eq < 0 ? QString() : tok.text.mid(eq + 1);
            if (!options.insert(option).second)
                Fail(QStringLiteral("a opção '%1' aparece mais de uma vez").arg(option));
            const bool isText = item.kind == TReportItem::Kind::Text;
            const auto flag = [&](bool& target) {
                if (eq >= 0) Fail(QStringLiteral("a opção '%1' não leva valor").arg(option));
                target = true;
            };
            if (isText && option == QLatin1String("bold"))
                flag(item.bold);
            else if (isText && option == QLatin1String("italic"))
                flag(item.italic);
            else if (isText && option == QLatin1String("wrap"))
                flag(item.wrap);
            else if (isText && option == QLatin1String("frame"))
                flag(item.frame);
            else if (isText && option == QLatin1String("size")) {
                item.fontSize = Number(value, QStringLiteral("tamanho de fonte"));
                if (item.fontSize < 4 || item.fontSize > 72) Fail(QStringLiteral("tamanho de fonte fora de 4 a 72"));
            } else if (isText && option == QLatin1String("align")) {
                const QString v = value.toLower();
                if (v == QLatin1String("left"))
                    horizontal = Qt::AlignLeft;
                else if (v == QLatin1String("center"))
                    horizontal = Qt::AlignHCenter;
                else if (v == QLatin1String("right"))
                    horizontal = Qt::AlignRight;
                else
                    Fail(QStringLiteral("alinhamento desconhecido '%1' (use left, center ou right)").arg(value));
            } else if (isText && option == QLatin1String("valign")) {
                const QString v = value.toLower();
                if (v == QLatin1String("top"))
                    vertical = Qt::AlignTop;
                else if (v == QLatin1String("middle"))
                    vertical = Qt::AlignVCenter;
                else if (v == QLatin1String("bottom"))
                    vertical = Qt::AlignBottom;
                else
                    Fail(QStringLiteral("alinhamento vertical desconhecido '%1' (use top, middle ou bottom)")
                             .arg(value));
            } else if (option == QLatin1String("fill") && item.kind != TReportItem::Kind::Line) {
                item.fill = Color(value);
            } else if (option == QLatin1String("width") && item.kind != TReportItem::Kind::Text) {
                item.penWidth = Number(value, QStringLiteral("espessura"));
                if (item.penWidth <= 0 || item.penWidth > 5) Fail(QStringLiteral("espessura fora de 0 a 5 mm"));
            } else {
                Fail(QStringLiteral("opção desconhecida '%1' para o item '%2'").arg(tok.text, kind));
            }
        }
        if (item.kind == TReportItem::Kind::Text && !haveText)
            Fail(QStringLiteral("o item 'text' precisa de um texto entre aspas"));
        item.align = horizontal | vertical;
        band.items.push_back(std::move(item));
    }

    void CheckSqlPlaceholders(const TReportSql& sql, bool master)
    {
        for (const QStringList* text : sql.AllTexts()) {
            if (!master) continue;
            for (const QString& name : SqlPlaceholderNames(text->join(QLatin1Char('\n')))) {
                bool declared = false;
                for (const TParamDecl& d : def_.parameters)
                    declared = declared || d.Name.compare(name, Qt::CaseInsensitive) == 0;
                if (!declared)
                    FailAt(sql.sourceLine,
                           QStringLiteral("a consulta principal usa o parâmetro ':%1', que não está declarado em "
                                          "[parameters]")
                               .arg(name));
            }
        }
    }

    void Validate()
    {
        if (reportLine_ == 0) FailAt(1, QStringLiteral("falta a seção [report]"));
        if (def_.title.isEmpty()) FailAt(reportLine_, QStringLiteral("falta o título (title = ...) na seção [report]"));
        if (!def_.master.present) FailAt(int(lines_.size()), QStringLiteral("falta a seção [master sql]"));
        for (const TReportSql* sql : {&def_.master, &def_.detail}) {
            for (const QStringList* text : sql->AllTexts()) {
                bool empty = true;
                for (const QString& l : *text) empty = empty && l.trimmed().isEmpty();
                if (sql->present && empty) FailAt(sql->sourceLine, QStringLiteral("consulta SQL vazia"));
            }
            if (!sql->present && !sql->byDialect.empty())
                FailAt(sql->sourceLine, QStringLiteral("há texto SQL de dialeto sem o texto genérico"));
        }
        CheckSqlPlaceholders(def_.master, true);

        const bool detailBand = def_.Band(TBandKind::Detail).present;
        if (detailBand && !def_.detail.present)
            FailAt(def_.Band(TBandKind::Detail).sourceLine,
                   QStringLiteral("a banda [detail] precisa da seção [detail sql]"));
        if (!detailBand && def_.detail.present)
            FailAt(def_.detail.sourceLine, QStringLiteral("a seção [detail sql] precisa da banda [detail]"));
        if (def_.Band(TBandKind::DetailHeader).present && !detailBand)
            FailAt(def_.Band(TBandKind::DetailHeader).sourceLine,
                   QStringLiteral("a banda [detail-header] precisa da banda [detail]"));

        if (def_.numbering == TPageNumbering::PerMaster && !def_.masterNewPage)
            FailAt(reportLine_, QStringLiteral("'page-numbers = master' requer 'master-new-page = yes'"));

        const QSizeF body = def_.BodySizeMm();
        if (body.width() <= 0 || body.height() <= 0)
            FailAt(reportLine_, QStringLiteral("as margens não deixam espaço na página"));
        const auto fits = [&](double x, double y, const TReportBand& band) {
            return x >= -kTolerance && y >= -kTolerance && x <= body.width() + kTolerance
                   && y <= band.height + kTolerance;
        };
        double tallest = 0;
        int tallestLine = reportLine_;
        for (std::size_t k = 0; k < BandKindCount; ++k) {
            const TReportBand& band = def_.bands[k];
            if (!band.present) continue;
            if (band.height <= 0)
                FailAt(band.sourceLine,
                       QStringLiteral("falta a altura (height = MM) da banda [%1]").arg(BandSectionName(TBandKind(k))));
            for (const TReportItem& item : band.items) {
                const bool inside =
                    item.kind == TReportItem::Kind::Line
                        ? fits(item.line.x1(), item.line.y1(), band) && fits(item.line.x2(), item.line.y2(), band)
                        : fits(item.rect.left(), item.rect.top(), band)
                              && fits(item.rect.right(), item.rect.bottom(), band);
                if (!inside)
                    FailAt(item.sourceLine, QStringLiteral("o item sai da banda (largura útil %1 mm, altura %2 mm)")
                                                .arg(body.width(), 0, 'f', 1)
                                                .arg(band.height, 0, 'f', 1));
                for (const QString& p : item.text.Names(TTemplatePart::Kind::Param)) {
                    bool declared = false;
                    for (const TParamDecl& d : def_.parameters)
                        declared = declared || d.Name.compare(p, Qt::CaseInsensitive) == 0;
                    if (!declared)
                        FailAt(item.sourceLine,
                               QStringLiteral("o texto usa o parâmetro '@%1', que não está declarado").arg(p));
                }
                const bool usesDetail =
                    !item.text.Names(TTemplatePart::Kind::Sum).isEmpty()
                    || std::any_of(item.text.Parts().begin(), item.text.Parts().end(),
                                   [](const TTemplatePart& p) { return p.kind == TTemplatePart::Kind::Count; });
                if (usesDetail && !def_.detail.present)
                    FailAt(item.sourceLine, QStringLiteral("SUM e #COUNT precisam da seção [detail sql]"));
            }
            if (TBandKind(k) != TBandKind::PageHeader && TBandKind(k) != TBandKind::PageFooter
                && band.height > tallest) {
                tallest = band.height;
                tallestLine = band.sourceLine;
            }
        }
        const TReportBand& header = def_.Band(TBandKind::PageHeader);
        const TReportBand& footer = def_.Band(TBandKind::PageFooter);
        double needed = (header.present ? header.height : 0) + (footer.present ? footer.height : 0) + tallest;
        const double frame = (header.present ? header.height : 0) + (footer.present ? footer.height : 0);
        if (def_.Band(TBandKind::DetailHeader).present
            && frame + def_.Band(TBandKind::DetailHeader).height + def_.Band(TBandKind::Detail).height > needed) {
            needed = frame + def_.Band(TBandKind::DetailHeader).height + def_.Band(TBandKind::Detail).height;
            tallestLine = def_.Band(TBandKind::DetailHeader).sourceLine;
        }
        if (needed > body.height() + kTolerance)
            FailAt(tallestLine, QStringLiteral("as bandas não cabem na página (%1 mm de %2 mm)")
                                    .arg(needed, 0, 'f', 1)
                                    .arg(body.height(), 0, 'f', 1));
    }

    QString filePath_;
    QStringList lines_;
    int line_ = 0;
    int reportLine_ = 0;
    TReportDefinition def_;
};

}  // namespace

QString ReportCodeFromFileName(const QString& filePath)
{
    const QString base = QFileInfo(filePath).completeBaseName();
    const qsizetype dash = base.indexOf(QLatin1String(" - "));
    return (dash >= 0 ? base.left(dash) : base).trimmed();
}

TReportDefinition ParseReportDefinition(const QString& text, const QString& filePath)
{
    return Parser(text, filePath).Run();
}

TReportDefinition LoadReportDefinition(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw EReportError(
            QStringLiteral("Não foi possível ler a definição de relatório '%1': %2").arg(filePath, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EReportError(
            QStringLiteral("Não foi possível ler a definição de relatório '%1': %2").arg(filePath, file.errorString()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        throw EReportError(QStringLiteral("A definição de relatório '%1' não está em UTF-8.").arg(filePath));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return ParseReportDefinition(text, filePath);
}
