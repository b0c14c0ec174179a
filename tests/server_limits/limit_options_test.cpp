// The limits as `serve` takes them from its command line: defaults, values, and refusals that
// name the option.

#include "tests/server_limits/limits_support.h"

#include <gtest/gtest.h>

using namespace server::net;
using limitstest::expectRefusedNamingTheOption;
using limitstest::serveOptions;

namespace {

TEST(LimitOptions, DefaultsAndValuesInBothForms)
{
    const ServeOptions defaults = serveOptions({});
    EXPECT_EQ(defaults.frameTimeout.count(), 60'000);
    EXPECT_EQ(defaults.maxConnections, 1000);
    EXPECT_EQ(defaults.maxConnectionsPerAddress, 100);
    EXPECT_EQ(defaults.maxBufferedBytes, qsizetype{256} * 1024 * 1024);

    const ServeOptions set =
        serveOptions({QStringLiteral("--frame-timeout"), QStringLiteral("0.25"), QStringLiteral("--max-connections=7"),
                      QStringLiteral("--max-connections-per-address"), QStringLiteral("2"),
                      QStringLiteral("--max-buffered=1048576")});
    EXPECT_EQ(set.frameTimeout.count(), 250);
    EXPECT_EQ(set.maxConnections, 7);
    EXPECT_EQ(set.maxConnectionsPerAddress, 2);
    EXPECT_EQ(set.maxBufferedBytes, 1048576);
}

TEST(LimitOptions, ValuesThatWouldDisableALimitAreRefusedNamingTheOption)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--frame-timeout", "0"},
        {"--frame-timeout", "-1"},
        {"--max-connections", "0"},
        {"--max-connections", "x"},
        {"--max-connections-per-address", "0"},
        {"--max-buffered", "100"},
        {"--max-buffered", "-5"},
    };
    expectRefusedNamingTheOption(cases);
    EXPECT_TRUE(usageText().contains(QStringLiteral("--max-connections-per-address")));
    EXPECT_TRUE(usageText().contains(QStringLiteral("--frame-timeout")));
}

}  // namespace
