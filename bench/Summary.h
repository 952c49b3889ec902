#pragma once
// Collects the medians of the benchmark runs and writes the comparison table
// (summary.md, printed too) and its rows as JSON (summary.json).

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace kdx::bench {

// One row of the table: our benchmark against a peer benchmark of the same
// run. MaxRatio > 0 is the target for ours / peer.
struct Comparison {
    std::string Ours;       // benchmark name
    std::string Peer;       // "zint" or "memset"
    std::string PeerBench;  // benchmark name of the peer
    double MaxRatio = 0;
    std::string Image;       // what is drawn, for the table ("230 x 100 px")
    std::string FloorBench;  // a memset of our image, shown as a share of the peer's time
};

// A target that is not a ratio to a peer.
struct Goal {
    enum class Kind {
        MaxSeconds,  // Bench's median time at most Limit seconds
        MinSpeedup,  // Baseline's time over Bench's at least Limit
        MaxCounter,  // counter Counter of every benchmark whose name starts with Bench at most Limit
        Speedup,     // Baseline's time over Bench's, shown for reference (no limit)
    };
    Kind Type = Kind::MaxSeconds;
    std::string What;
    std::string Bench;
    std::string Baseline;
    std::string Counter;
    double Limit = 0;
};

void AddComparison(Comparison Row);
void AddGoal(Goal G);

// Median real time (ns) and counters of each benchmark, by name.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal.
    SummaryReporter();
    void ReportRuns(const std::vector<Run>& Reports) override;

    struct Median {
        double RealNs = 0;
        std::map<std::string, double> Counters;
    };
    const std::map<std::string, Median>& Medians() const { return FMedians; }

private:
    std::map<std::string, Median> FMedians;
};

// Writes Dir/summary.md and Dir/summary.json and prints the table. Returns
// the number of targets that do not hold (missing figures count as not held).
int WriteSummary(const std::string& Dir, const SummaryReporter& Results);

}  // namespace kdx::bench
