// The flood limits as `serve` takes them from its command line, and how the log counts what
// it does not write.

#include "server/net/refusal_throttle.h"
#include "tests/server_limits/limits_support.h"

#include <gtest/gtest.h>

using namespace server::net;
using limitstest::expectRefusedNamingTheOption;
using limitstest::serveOptions;

namespace {

TEST(FloodOptions, DefaultsLeaveRoomForABranchBehindOneAddressAndValuesAreTakenInBothForms)
{
    const ServeOptions defaults = serveOptions({});
    // Every workstation of a branch opening its connections at once still fits.
    EXPECT_GE(defaults.connectionBurst, 2 * defaults.maxConnectionsPerAddress);
    EXPECT_EQ(defaults.connectionBurst, 200);
    EXPECT_EQ(defaults.connectionRate, 20);
    EXPECT_EQ(defaults.refusalLogLines, 20);
    EXPECT_EQ(defaults.refusalLogInterval.count(), 10'000);

    const ServeOptions set = serveOptions(
        {QStringLiteral("--connection-rate"), QStringLiteral("0.5"), QStringLiteral("--connection-burst=7"),
         QStringLiteral("--refusal-log-lines"), QStringLiteral("2"), QStringLiteral("--refusal-log-interval=1.5")});
    EXPECT_EQ(set.connectionRate, 0.5);
    EXPECT_EQ(set.connectionBurst, 7);
    EXPECT_EQ(set.refusalLogLines, 2);
    EXPECT_EQ(set.refusalLogInterval.count(), 1500);
}

TEST(FloodOptions, ValuesThatWouldDisableALimitAreRefusedNamingTheOption)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--connection-rate", "0"},   {"--connection-rate", "-1"},  {"--connection-rate", "nan"},
        {"--connection-rate", "inf"}, {"--connection-burst", "0"},  {"--connection-burst", "2.5"},
        {"--refusal-log-lines", "0"}, {"--refusal-log-lines", "x"}, {"--refusal-log-interval", "0"},
    };
    expectRefusedNamingTheOption(cases);
    EXPECT_TRUE(usageText().contains(QStringLiteral("--connection-rate")));
    EXPECT_TRUE(usageText().contains(QStringLiteral("--refusal-log-lines")));
}

// Intervals are counted per kind from each kind's first line: a kind quiet for a while starts
// afresh, one that was cut short is summed up once, and a summary is due only once its
// interval has ended.
TEST(RefusalThrottle, IntervalsPerKindAndTheirSummaries)
{
    using namespace std::chrono_literals;
    RefusalThrottle throttle(2, 10s);
    const auto t0 = RefusalThrottle::Clock::time_point{} + 1h;
    EXPECT_TRUE(throttle.admit(Refusal::BadMessage, t0));
    EXPECT_TRUE(throttle.admit(Refusal::BadMessage, t0 + 1s));
    EXPECT_FALSE(throttle.admit(Refusal::BadMessage, t0 + 2s));
    EXPECT_FALSE(throttle.admit(Refusal::BadMessage, t0 + 9s));
    EXPECT_TRUE(throttle.admit(Refusal::OpeningRate, t0 + 9s)) << "another kind";
    EXPECT_FALSE(throttle.due(t0 + 9s));
    EXPECT_TRUE(throttle.summaries(t0 + 9s).empty());
    EXPECT_TRUE(throttle.due(t0 + 10s));
    const std::vector<QString> said = throttle.summaries(t0 + 10s);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0], QStringLiteral("refused: invalid messages: 2 more refused in the last 10 s"));
    EXPECT_FALSE(throttle.due(t0 + 30s));
    EXPECT_TRUE(throttle.summaries(t0 + 30s).empty()) << "said once";

    // After its interval the kind writes again; the other kind's interval, never cut short,
    // ends without a summary.
    EXPECT_TRUE(throttle.admit(Refusal::BadMessage, t0 + 11s));
    EXPECT_TRUE(throttle.admit(Refusal::OpeningRate, t0 + 20s));
    EXPECT_TRUE(throttle.admit(Refusal::OpeningRate, t0 + 21s));
    EXPECT_FALSE(throttle.admit(Refusal::OpeningRate, t0 + 22s));
    const std::vector<QString> later = throttle.summaries(t0 + 31s);
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0],
              QStringLiteral("refused: connections opened too fast from one address: 1 more refused in the last 10 s"));

    // Stopping: an interval under way is told for the time it lasted.
    for (int i = 0; i < 5; ++i) throttle.admit(Refusal::Deadline, t0 + 40s + i * 100ms);
    EXPECT_TRUE(throttle.summaries(t0 + 41s).empty());
    const std::vector<QString> last = throttle.summaries(t0 + 42s + 240ms, true);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0], QStringLiteral("closed: a message, an answer or a TLS handshake not done in time: 3 more "
                                      "closed in the last 2.2 s"));
}

}  // namespace
