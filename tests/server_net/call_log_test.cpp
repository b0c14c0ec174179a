// The server's log: one whole line per call or event, in the documented form, whatever the
// texts hold and however many workers write at once.

#include "server/net/call_log.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct ClosesFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

QString contents(std::FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    QByteArray bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, static_cast<qsizetype>(n));
    return QString::fromUtf8(bytes);
}

const QString kStamp = QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ");

TEST(CallLog, EachLineHasTheTimeAndItsPartsWithLineBreaksWrittenOut)
{
    const std::unique_ptr<std::FILE, ClosesFile> file(std::tmpfile());
    ASSERT_TRUE(file);
    server::net::CallLog log(file.get());
    const QDate before = QDate::currentDate();
    log.call(QStringLiteral("127.0.0.1:5000"), QStringLiteral("GetDelivery"), 12.46, {});
    log.call(QStringLiteral("127.0.0.1:5000"), QStringLiteral("SetServicoDel"), 0.04,
             QStringLiteral("Falha no banco\r\nde dados:\nlinha\rfim ção"));
    log.call(QStringLiteral("127.0.0.1:5001"), {}, 1234.0, QStringLiteral("Mensagem inválida"));
    log.event(QStringLiteral("127.0.0.1:5002"), QStringLiteral("closed: idle timeout"));
    log.note(QStringLiteral("stopping: 2 connections\nto finish"));

    const QStringList lines = contents(file.get()).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6) << contents(file.get()).toStdString();
    EXPECT_TRUE(lines[5].isEmpty());
    const QString expected[] = {
        kStamp + QStringLiteral("127\\.0\\.0\\.1:5000 GetDelivery 12\\.5 ms ok"),
        kStamp
            + QStringLiteral("127\\.0\\.0\\.1:5000 SetServicoDel 0\\.0 ms error: Falha no banco\\\\nde dados:\\\\nlinha"
                             "\\\\rfim ção"),
        kStamp + QStringLiteral("127\\.0\\.0\\.1:5001 - 1234\\.0 ms error: Mensagem inválida"),
        kStamp + QStringLiteral("127\\.0\\.0\\.1:5002 closed: idle timeout"),
        kStamp + QStringLiteral("stopping: 2 connections\\\\nto finish"),
    };
    for (int i = 0; i < 5; ++i) {
        const QRegularExpression pattern(QLatin1Char('^') + expected[i] + QLatin1Char('$'));
        EXPECT_TRUE(pattern.match(lines[i]).hasMatch()) << lines[i].toStdString();
    }
    // The time is local time, now.
    const QDate after = QDate::currentDate();
    const QString day = lines[0].left(10);
    EXPECT_TRUE(day == before.toString(Qt::ISODate) || day == after.toString(Qt::ISODate)) << day.toStdString();
}

TEST(CallLog, LinesFromManyThreadsStayWhole)
{
    const std::unique_ptr<std::FILE, ClosesFile> file(std::tmpfile());
    ASSERT_TRUE(file);
    server::net::CallLog log(file.get());
    constexpr int kThreads = 6;
    constexpr int kLines = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            const QString peer = QStringLiteral("10.0.0.%1:7000").arg(t);
            const QString error = QString(200, QChar(u'a' + t));
            for (int i = 0; i < kLines; ++i) log.call(peer, QStringLiteral("GetParamComis"), i, error);
        });
    }
    for (auto& t : threads) t.join();
    const QStringList lines = contents(file.get()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), kThreads * kLines);
    const QRegularExpression whole(
        QLatin1Char('^') + kStamp
        + QStringLiteral("10\\.0\\.0\\.(\\d):7000 GetParamComis \\d+\\.0 ms error: ([a-f])\\2{199}$"));
    for (const QString& line : lines) {
        const auto m = whole.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        EXPECT_EQ(m.captured(2).at(0).unicode() - u'a', m.captured(1).toInt());
    }
}

}  // namespace
