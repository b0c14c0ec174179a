// The administrators' command line: one PDF per run, its path on standard output, and exit
// codes for a failing report and a wrong command line.

#include "report_test_support.h"

#include "framework/report/print_report_command.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using namespace reporttest;

QStringList command(const QStringList& extra)
{
    return QStringList{QStringLiteral("ate-host"), QStringLiteral("--print-report"), QStringLiteral("ATE027"),
                       QStringLiteral("--reports"), shippedReportsDir()}
           + extra;
}

}  // namespace

TEST(PrintReportCommand, WritesThePdfAndPrintsItsPath)
{
    TestDatabase* db = demoDatabase(TestDatabase::Engine::SQLite);
    testsupport::DirectConnection direct(*db);
    const qint64 number =
        direct.scalar(QStringLiteral("SELECT MIN(NRDELIVERY) FROM DELIVERY WHERE CDFILIAL = '0002'")).toLongLong();
    const QString numero =
        direct.scalar(QStringLiteral("SELECT NUMERO FROM DELIVERY WHERE NRDELIVERY = %1").arg(number)).toString();
    QTemporaryDir out;

    testing::internal::CaptureStdout();
    const int code =
        RunPrintReportCommand(command({QStringLiteral("--param"), QStringLiteral("P_CDFILIAL=0002"),
                                       QStringLiteral("--param"), QStringLiteral("P_NRDELIVERY=_%1_").arg(number),
                                       QStringLiteral("--out"), out.path(), QStringLiteral("--db"), db->url()}));
    const QString printed = QString::fromLocal8Bit(testing::internal::GetCapturedStdout().c_str()).trimmed();
    ASSERT_EQ(code, 0);
    EXPECT_TRUE(QFileInfo(printed).isFile()) << printed.toStdString();
    EXPECT_EQ(QFileInfo(printed).absolutePath(), QFileInfo(out.path()).absoluteFilePath());
    const QString text = pdfText(printed);
    EXPECT_TRUE(text.contains(QStringLiteral("Filial: 0002 - Galeão - RJ")));
    EXPECT_TRUE(text.contains(QStringLiteral("Delivery Nº ") + numero));
}

TEST(PrintReportCommand, RefusesWhatTheReportDoesNotDeclareAndWrongCommandLines)
{
    TestDatabase* db = demoDatabase(TestDatabase::Engine::SQLite);
    QTemporaryDir out;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunPrintReportCommand(command({QStringLiteral("--param"), QStringLiteral("P_CDCIA=0001"),
                                             QStringLiteral("--out"), out.path(), QStringLiteral("--db"), db->url()})),
              1);
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_NE(error.find("não declara o parâmetro 'P_CDCIA'"), std::string::npos) << error;
    EXPECT_TRUE(folderEntries(out.path()).isEmpty());

    testing::internal::CaptureStderr();
    EXPECT_EQ(RunPrintReportCommand(command({QStringLiteral("--db"), db->url()})), 2);  // no --out
    EXPECT_EQ(RunPrintReportCommand(command(
                  {QStringLiteral("--out"), out.path(), QStringLiteral("--param"), QStringLiteral("P_CDFILIAL")})),
              2);
    EXPECT_EQ(RunPrintReportCommand(command({QStringLiteral("--out"), out.path(), QStringLiteral("--colour")})), 2);
    testing::internal::GetCapturedStderr();

    // Without --db the shared connection is used, and it is not open here.
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunPrintReportCommand(command({QStringLiteral("--out"), out.path()})), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("--db"), std::string::npos);
    EXPECT_TRUE(folderEntries(out.path()).isEmpty());
}
