// Decoding the server's coded error texts, filling the catalogue text, spotting database
// failures.

#include "framework/units/core/server_error_text.h"

#include <gtest/gtest.h>

namespace {

ServerErrorText decoded(const QString& key, const QString& argument) { return {key, argument}; }

}  // namespace

TEST(ServerErrorText, HashFormCarriesAShortArgument)
{
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo_valta   ABC*")),
              decoded(QStringLiteral("EVoo_valta"), QStringLiteral("ABC")));
    // Text around the code, as a server exception message would carry it.
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("Erro no servidor: #Evoo_Inter  GOL*\r\n")),
              decoded(QStringLiteral("Evoo_Inter"), QStringLiteral("GOL")));
    // Only the 5 characters before "*" count, then blanks go.
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo_valtaXXXXXX  AB *")),
              decoded(QStringLiteral("EVoo_valta"), QStringLiteral("AB")));
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo_valta123456789*")),
              decoded(QStringLiteral("EVoo_valta"), QStringLiteral("56789")));
}

TEST(ServerErrorText, InvertedQuestionMarkFormCarriesALongArgumentAndWins)
{
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("¿Eser_Preco     SRV-0000000123*")),
              decoded(QStringLiteral("Eser_Preco"), QStringLiteral("SRV-0000000123")));
    // Both markers: the "¿" rule decides, key and width alike.
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo_valta ¿Eser_PreDa 12345678901234567890*")),
              decoded(QStringLiteral("Eser_PreDa"), QStringLiteral("12345678901234567890")));
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("¿Eser_IndFi..........ABCDEFGHIJKLMNOPQRSTUVWXYZ*")),
              decoded(QStringLiteral("Eser_IndFi"), QStringLiteral("GHIJKLMNOPQRSTUVWXYZ")));
}

TEST(ServerErrorText, ArgumentIsTrimmedOfBlanksAndControls)
{
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("¿Eser_Prepr\t  A B \r\n*")).argument, QStringLiteral("A B"));
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo_valta     *")).argument, QString());
    EXPECT_EQ(DecodeServerErrorText(QString::fromUtf8("#EVoo_valta\x01"
                                                      "AÇ\x7f"
                                                      "*"))
                  .argument,
              QStringLiteral("AÇ"));
}

TEST(ServerErrorText, OpenCasesStayInsideTheTextAndOutOfTheKey)
{
    // No "*": no argument.
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo_valta   ABC")),
              decoded(QStringLiteral("EVoo_valta"), QString()));
    // "*" right after the key: nothing between them.
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo_valta*")), decoded(QStringLiteral("EVoo_valta"), QString()));
    // "*" nearer than the argument width: only what lies between key and "*".
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo_valtaAB*")),
              decoded(QStringLiteral("EVoo_valta"), QStringLiteral("AB")));
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("¿Eser_PrecoSERV1*")),
              decoded(QStringLiteral("Eser_Preco"), QStringLiteral("SERV1")));
    // "*" inside or before the key: no argument, the key is still read.
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo*valta ABC*")),
              decoded(QStringLiteral("EVoo*valta"), QString()));
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("*x #EVoo_valta ABC*")),
              decoded(QStringLiteral("EVoo_valta"), QString()));
    // Text shorter than a key.
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#EVoo")), decoded(QStringLiteral("EVoo"), QString()));
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("abc")), decoded(QStringLiteral("abc"), QString()));
    // A marker at the very end.
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("falhou ¿")), decoded(QString(), QString()));
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("#")), decoded(QString(), QString()));
    EXPECT_EQ(DecodeServerErrorText(QString()), decoded(QString(), QString()));
    // No marker: the first 10 characters.
    EXPECT_EQ(DecodeServerErrorText(QStringLiteral("Eser_CAdRe  USD*")),
              decoded(QStringLiteral("Eser_CAdRe"), QStringLiteral("USD")));
}

TEST(ServerErrorText, FormatFillsOnlyTheFirstPlaceholder)
{
    const QString text = QStringLiteral(
        "Geração interrompida. Existe mais de uma tabela ativa no momento para a companhia '%s'. "
        "Verifique a validade das tabelas de preço existentes e tente novamente.");
    EXPECT_EQ(FormatServerErrorText(text, QStringLiteral("ABC")),
              QStringLiteral("Geração interrompida. Existe mais de uma tabela ativa no momento para a companhia 'ABC'. "
                             "Verifique a validade das tabelas de preço existentes e tente novamente."));
    EXPECT_EQ(FormatServerErrorText(QStringLiteral("a %s b %s"), QStringLiteral("X")), QStringLiteral("a X b %s"));
    EXPECT_EQ(FormatServerErrorText(QStringLiteral("sem marcador"), QStringLiteral("X")),
              QStringLiteral("sem marcador"));
    EXPECT_EQ(FormatServerErrorText(QStringLiteral("'%s'"), QStringLiteral("%s%d")), QStringLiteral("'%s%d'"));
    EXPECT_EQ(FormatServerErrorText(QStringLiteral("'%s'\r\n"), QString()), QStringLiteral("''\r\n"));
}

TEST(ServerErrorText, DatabaseFailuresAreRecognisedByUpperCaseOra)
{
    EXPECT_TRUE(IsDatabaseErrorText(QStringLiteral("ORA-00001: unique constraint violated")));
    EXPECT_TRUE(IsDatabaseErrorText(QStringLiteral("falha: xORAy")));
    EXPECT_FALSE(IsDatabaseErrorText(QStringLiteral("Geração interrompida")));
    EXPECT_FALSE(IsDatabaseErrorText(QStringLiteral("ora-00001")));
    EXPECT_FALSE(IsDatabaseErrorText(QStringLiteral("Ora")));
    EXPECT_FALSE(IsDatabaseErrorText(QString()));
}
