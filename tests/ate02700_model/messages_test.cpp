// The message tables as the operators know them: keys in stored order, and texts compared as
// the Windows-1252 bytes the operator sees, stored oddities included ("näo", "índce",
// "delivey", double blanks, a trailing blank, blanks before "!" and "?", CR LF).

#include "modules/ate02700/model/emission_messages.h"
#include "modules/ate02700/model/main_form_messages.h"

#include "tests/ate02700_model/qstring_printer.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace ate02700;

namespace {

using Entry = std::pair<QString, QString>;

std::vector<Entry> Split(const QStringList& entries)
{
    std::vector<Entry> out;
    for (const QString& entry : entries) {
        const qsizetype bar = entry.indexOf(u'|');
        EXPECT_GT(bar, 0) << "entry without a key: " << entry.toStdString();
        out.emplace_back(entry.left(bar), entry.mid(bar + 1));
    }
    return out;
}

QStringList Keys(const QStringList& entries)
{
    QStringList keys;
    for (const auto& [key, text] : Split(entries)) keys << key;
    return keys;
}

QString TextOf(const QStringList& entries, const QString& key)
{
    for (const auto& [k, text] : Split(entries)) {
        if (k == key) return text;
    }
    ADD_FAILURE() << "no entry " << key.toStdString();
    return {};
}

// The text as Windows-1252 bytes, or nothing when a character is outside that code page.
std::optional<QByteArray> Windows1252(const QString& text)
{
    QStringEncoder encoder("windows-1252");
    if (!encoder.isValid()) {
        // Without ICU: the texts use ASCII and the accented letters of Latin-1, which
        // Windows-1252 keeps at the same codes.
        QByteArray bytes;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u >= 0x80 && u < 0xA0) return std::nullopt;
            if (u > 0xFF) return std::nullopt;
            bytes.append(char(u));
        }
        return bytes;
    }
    const QByteArray bytes = encoder.encode(text);
    QStringDecoder decoder("windows-1252");
    if (encoder.hasError() || QString(decoder.decode(bytes)) != text) return std::nullopt;
    return bytes;
}

void ExpectBytes(const QStringList& entries, const char* key, const char* windows1252)
{
    const QString text = TextOf(entries, QString::fromUtf8(key));
    const std::optional<QByteArray> bytes = Windows1252(text);
    ASSERT_TRUE(bytes.has_value()) << key;
    EXPECT_EQ(bytes->toStdString(), std::string(windows1252)) << key;
}

}  // namespace

TEST(Messages, KeysInStoredOrder)
{
    const QStringList main = {
        "FILIAL_ni",       "FILIAL_nc",   "CIA_ni",     "CIA_nc",     "VOO_ni",     "VOO_nc",     "Veri_Cia",
        "Veri_VooTrecho",  "Atual_Dados", "Agrup_Vaz",  "Serv_Vaz",   "Qtde_Vaz",   "SBUt_Vaz",   "SBNU_Vaz",
        "Qtde_Zero",       "Cal_Preco",   "Pesq_Serv",  "Servico",    "Serv_Inv",   "Recal_Del",  "DEL_nm",
        "DELVALO_nu",      "CIAs_di",     "mb_OK",      "DELIVERY",   "deli_n",     "cia_n_cad",  "dt_ini",
        "dt_fin",          "dtini>dtfin", "EVoo_valta", "Eser_Preco", "Evoo_Inter", "Eser_Prepr", "Eser_PreDa",
        "Eser_IndFi",      "Eser_CAdRe",  "del_dev",    "oper_bloq",  "NExcl_Serv", "cl_n_comp",  "n_h_nrfat",
        "manutpreco<>Zero"};
    ASSERT_EQ(main.size(), 43);
    EXPECT_EQ(Keys(MainFormMsgPadraoEntries()), main);
    EXPECT_EQ(Keys(MainFormMsgMensagensPadroesEntries()), (QStringList{"Excl", "Canc", "cancel_del"}));
    // The dialog asks for "Numeracao": lookups ignore case, the stored key is upper case.
    EXPECT_EQ(Keys(EmissionMsgPadraoEntries()),
              (QStringList{"Arq_Rel_Err", "NovoCaption", "NovoPrompt", "DELIVALO_ni", "DELIVALO_nc", "Local_inf",
                           "Local_cad", "NUMERACAO", "DELIVERY"}));
}

TEST(Messages, EveryTableHasUniqueKeysAndWindows1252Texts)
{
    for (const QStringList& table :
         {MainFormMsgPadraoEntries(), MainFormMsgMensagensPadroesEntries(), EmissionMsgPadraoEntries()}) {
        QSet<QString> seen;
        for (const auto& [key, text] : Split(table)) {
            // Lookups ignore case, so keys differing only in case would hide one another.
            EXPECT_FALSE(seen.contains(key.toLower())) << key.toStdString();
            seen.insert(key.toLower());
            EXPECT_FALSE(text.isEmpty()) << key.toStdString();
            EXPECT_TRUE(Windows1252(text).has_value()) << key.toStdString();
        }
    }
}

TEST(Messages, ServerKeysAreTenCharactersWithOneArgument)
{
    const QStringList table = MainFormMsgPadraoEntries();
    for (const char* key :
         {"EVoo_valta", "Eser_Preco", "Evoo_Inter", "Eser_Prepr", "Eser_PreDa", "Eser_IndFi", "Eser_CAdRe"}) {
        EXPECT_EQ(qstrlen(key), size_t(kServerMessageKeyLength));
        const QString text = TextOf(table, QString::fromUtf8(key));
        EXPECT_EQ(text.count(QStringLiteral("%s")), 1) << key;
    }
}

TEST(Messages, MainFormTextsByteForByte)
{
    const QStringList t = MainFormMsgPadraoEntries();
    ExpectBytes(t, "FILIAL_nc", "Filial n\xE3o cadastrada.");
    ExpectBytes(t, "Veri_Cia", "Recebendo Dados Referente \xE0s Companhias ...");
    ExpectBytes(t, "Serv_Inv", "Servi\xE7o n\xE3o cadastrado ou j\xE1 existente nesta delivey.");
    // One blank at the end: the airline name follows it in the information box.
    ExpectBytes(t, "mb_OK", "Ser\xE3o marcadas apenas as deliveries da companhia ");
    ExpectBytes(t, "deli_n", "Deliverys faturados e n\xE3o faturados n\xE3o podem ser selecionados ao mesmo tempo.");
    ExpectBytes(t, "Evoo_Inter",
                "Gera\xE7\xE3o interrompida. Existe mais de um intervalo cadastrado para a quantidade de "
                "passageiros para a companhia '%s'. Verifique a tabela de pre\xE7o proporcional e tente "
                "novamente.\r\n");
    ExpectBytes(t, "Eser_PreDa",
                "Gera\xE7\xE3o interrompida. O servi\xE7o '%s' n\xE3o possui pre\xE7o  cadastrado para esta data "
                "ou possui pre\xE7o zero.\r\nVerifique se existe tabela de pre\xE7o cadastrada para este "
                "servi\xE7o e se esta tabela se encontra vigente nesta data.");
    ExpectBytes(t, "Eser_IndFi",
                "Gera\xE7\xE3o interrompida. O servi\xE7o nacional '%s' possui pre\xE7o cadastrado apenas em "
                "d\xF3lar e n\xE4o h\xE1 \xEDndce financeiro cadastrado para a data para fazer a convers\xE3o "
                "para Moeda Corrente. Verifique o cadastro de \xEDndice financeiro ou a tabela de pre\xE7os e "
                "tente novamente.");
    ExpectBytes(t, "Eser_CAdRe",
                "Gera\xE7\xE3o interrompida. O servi\xE7o internacional '%s' possui pre\xE7o cadastrado apenas "
                "na Moeda Corrente e n\xE4o h\xE1 \xEDndce financeiro cadastrado para a data para fazer a "
                "convers\xE3o para d\xF3lar. Verifique o cadastro de \xEDndice financeiro ou a tabela de "
                "pre\xE7os e tente novamente.");
    ExpectBytes(t, "oper_bloq",
                "Opera\xE7\xE3o bloqueada ! A quantidade de servi\xE7os da delivery n\xE3o pode exceder o "
                "n\xFAmero parametrizado.");
    ExpectBytes(t, "NExcl_Serv", "Exclus\xE3o n\xE3o permitida! A delivery deve possuir no m\xEDnimo um servi\xE7o.");
    ExpectBytes(t, "cl_n_comp", "Opera\xE7\xE3o bloqueada ! Classe do servi\xE7o n\xE3o relacionada a companhia.");
    ExpectBytes(t, "manutpreco<>Zero", "Manuten\xE7\xE3o de pre\xE7o deve ser diferente de zero.");
}

TEST(Messages, ConfirmationAndEmissionTextsByteForByte)
{
    const QStringList confirmations = MainFormMsgMensagensPadroesEntries();
    ExpectBytes(confirmations, "cancel_del", "Deseja cancelar o(s) delivery(s) selecionado(s) ?");

    const QStringList emission = EmissionMsgPadraoEntries();
    ExpectBytes(emission, "NUMERACAO",
                "Emiss\xE3o cancelada. N\xE3o h\xE1 numera\xE7\xE3o dispon\xEDvel no intervalo determinado para "
                "o local de emiss\xE3o.");
    ExpectBytes(emission, "Arq_Rel_Err",
                "O arquivo contendo a defini\xE7\xE3o do relat\xF3rio de c\xF3"
                "digo '%s' n\xE3o foi encontrado no diret\xF3rio '%s'.");
    ExpectBytes(emission, "NovoCaption", "T\xEDtulo do relat\xF3rio");
}
