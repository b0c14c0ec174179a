// Date-times as the database holds them: written as "yyyy-MM-dd HH:mm:ss.zzz" and read back
// from every text form the two engines give, refusing dates and times that do not exist.

#include "server/sql.h"

#include "framework/wire/value.h"

#include <gtest/gtest.h>

namespace servercore_test {
namespace {

TEST(TimestampText, WrittenWithMillisecondsAndReadBackUnchanged)
{
    const QDateTime cases[] = {
        wire::makeDateTime(2026, 11, 10, 23, 59, 59, 999), wire::makeDateTime(2026, 1, 1),
        wire::makeDateTime(1, 2, 3, 4, 5, 6, 7),           wire::makeDateTime(9999, 12, 31, 23, 59, 59, 999),
        wire::makeDateTime(2024, 2, 29, 12, 0, 0, 50),
    };
    for (const QDateTime& dt : cases) {
        const QString text = server::timestampText(dt);
        EXPECT_EQ(text, dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
        EXPECT_EQ(server::readTimestamp(text), dt) << text.toStdString();
        EXPECT_EQ(server::dateText(dt.date()), dt.date().toString(QStringLiteral("yyyy-MM-dd")));
    }
    EXPECT_EQ(server::timestampText(wire::makeDateTime(2026, 3, 4, 5, 6, 7, 8)),
              QStringLiteral("2026-03-04 05:06:07.008"));
    EXPECT_EQ(server::dateText(QDate(2026, 3, 4)), QStringLiteral("2026-03-04"));
}

TEST(TimestampText, ReadsEveryFormTheEnginesGive)
{
    const QDateTime noon = wire::makeDateTime(2026, 11, 5, 12, 30, 15, 0);
    struct Case {
        const char* text;
        QDateTime expected;
    };
    const Case cases[] = {
        {"2026-11-05 12:30:15.000", noon},
        {"2026-11-05 12:30:15", noon},
        {"2026-11-05T12:30:15", noon},
        {"2026-11-05T12:30:15.000Z", noon},
        {"  2026-11-05 12:30:15  ", noon},
        {"2026-11-05", wire::makeDateTime(2026, 11, 5)},
        {"2026-11-05 12:30:15.123456", wire::makeDateTime(2026, 11, 5, 12, 30, 15, 123)},  // microseconds
        {"2026-11-05 12:30:15.5", wire::makeDateTime(2026, 11, 5, 12, 30, 15, 500)},
        {"2026-11-05 12:30:15.07", wire::makeDateTime(2026, 11, 5, 12, 30, 15, 70)},
    };
    for (const Case& c : cases) {
        const QDateTime dt = server::readTimestamp(QVariant(QString::fromLatin1(c.text)));
        EXPECT_EQ(dt, c.expected) << c.text;
        EXPECT_EQ(dt.timeSpec(), Qt::UTC) << c.text;  // naive, as the wire carries it
    }
    // The types PostgreSQL gives.
    EXPECT_EQ(server::readTimestamp(QVariant(QDateTime(QDate(2026, 11, 5), QTime(12, 30, 15), Qt::LocalTime))), noon);
    EXPECT_EQ(server::readTimestamp(QVariant(QDate(2026, 11, 5))), wire::makeDateTime(2026, 11, 5));
    EXPECT_FALSE(server::readTimestamp(QVariant(QMetaType(QMetaType::QString))).isValid());
    EXPECT_EQ(server::readDate(QVariant(QStringLiteral("2026-11-05 23:59:59.999"))), QDate(2026, 11, 5));
}

TEST(TimestampText, RefusesWhatIsNotADateTime)
{
    for (const char* bad : {"",
                            "2026",
                            "2026-11",
                            "2026-11-5",
                            "2026/11/05",
                            "2026-13-01",
                            "2026-02-29",
                            "2026-11-31",
                            "2026-11-05 24:00:00",
                            "2026-11-05 12:60:00",
                            "2026-11-05 12:30:61",
                            "2026-11-05 12:30",
                            "2026-11-05 12:30:15.",
                            "2026-11-05 12:30:15.12x",
                            "2026-11-05x",
                            "2026-11-05 12:30:15,000",
                            "2026-11-05_12:30:15",
                            "20a6-11-05",
                            "-026-11-05",
                            "2026-11-05 12:30:15.000ZZ"}) {
        EXPECT_FALSE(server::parseTimestamp(QString::fromLatin1(bad)).isValid()) << bad;
    }
}

}  // namespace
}  // namespace servercore_test
