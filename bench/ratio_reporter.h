#pragma once
// The console reporter of the benchmarks that compare against a baseline run in the same
// process: it keeps each benchmark's time per iteration, by name (without its arguments), so
// main can print the ratios after the run.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace benchsupport {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration) continue;
            const std::string name = r.benchmark_name().substr(0, r.benchmark_name().find('/'));
            wall[name] = r.GetAdjustedRealTime();
            cpu[name] = r.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // Milliseconds per iteration. The machine is shared: ratios use CPU time, which other
    // processes do not inflate; wall time adds the waits (disk flushes) an operator sees.
    std::map<std::string, double> wall, cpu;
};

}  // namespace benchsupport
