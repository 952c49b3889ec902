#include "Summary.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace kdx::bench {

namespace {

std::vector<Comparison>& Comparisons() {
    static std::vector<Comparison> rows;
    return rows;
}

std::vector<Goal>& Goals() {
    static std::vector<Goal> goals;
    return goals;
}

// A time for people: microseconds below a tenth of a second, else seconds.
std::string Time(double Ns) {
    char buf[64];
    if (Ns >= 1e8)
        std::snprintf(buf, sizeof buf, "%.2f s", Ns / 1e9);
    else
        std::snprintf(buf, sizeof buf, "%.2f µs", Ns / 1e3);
    return buf;
}

std::string Fixed(double V, int Digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", Digits, V);
    return buf;
}

std::string JsonString(const std::string& S) {
    std::string out = "\"";
    for (char c : S) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

void AddComparison(Comparison Row) { Comparisons().push_back(std::move(Row)); }
void AddGoal(Goal G) { Goals().push_back(std::move(G)); }

SummaryReporter::SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void SummaryReporter::ReportRuns(const std::vector<Run>& Reports) {
    ConsoleReporter::ReportRuns(Reports);
    for (const Run& run : Reports) {
        if (run.error_occurred) continue;
        // The median of the repetitions; a single repetition stands for itself.
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
        if (!median && !single) continue;
        Median m;
        m.RealNs = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        for (const auto& [name, counter] : run.counters) m.Counters[name] = counter.value;
        FMedians[run.run_name.function_name] = m;
    }
}

int WriteSummary(const std::string& Dir, const SummaryReporter& Results) {
    const auto& medians = Results.Medians();
    auto find = [&](const std::string& Name) -> const SummaryReporter::Median* {
        const auto it = medians.find(Name);
        return it == medians.end() ? nullptr : &it->second;
    };
    int failed = 0;

    std::ostringstream md, json;
    md << "| Benchmark | Image | Ours | Peer | Peer time | Ours / peer | Target | Allocations per drawing | "
          "memset of our image / peer |\n"
       << "|---|---|---:|---|---:|---:|---|---:|---:|\n";
    json << "[\n";
    bool firstJson = true;
    for (const Comparison& c : Comparisons()) {
        const auto* ours = find(c.Ours);
        const auto* peer = find(c.PeerBench);
        std::string target = "—";
        if (!ours || !peer) {
            md << "| " << c.Ours << " | " << c.Image << " | " << (ours ? Time(ours->RealNs) : "not run") << " | "
               << c.Peer << " | " << (peer ? Time(peer->RealNs) : "not run") << " | — | "
               << (c.MaxRatio > 0 ? "≤ " + Fixed(c.MaxRatio, 1) + ": no figures" : "—") << " | — | — |\n";
            if (c.MaxRatio > 0) ++failed;
            continue;
        }
        const double ratio = ours->RealNs / peer->RealNs;
        if (c.MaxRatio > 0) {
            const bool holds = ratio <= c.MaxRatio;
            if (!holds) ++failed;
            target = "≤ " + Fixed(c.MaxRatio, 1) + (holds ? " holds" : " **missed**");
        }
        std::string allocs = "—";
        if (const auto it = ours->Counters.find("allocs"); it != ours->Counters.end()) allocs = Fixed(it->second, 1);
        std::string floor = "—";
        if (const auto* f = c.FloorBench.empty() ? nullptr : find(c.FloorBench))
            floor = Fixed(f->RealNs / peer->RealNs, 2);
        md << "| " << c.Ours << " | " << c.Image << " | " << Time(ours->RealNs) << " | " << c.Peer << " | "
           << Time(peer->RealNs) << " | " << Fixed(ratio, 2) << " | " << target << " | " << allocs << " | " << floor
           << " |\n";
        json << (firstJson ? "" : ",\n") << "  {\"name\": " << JsonString(c.Ours)
             << ", \"ours_ns\": " << Fixed(ours->RealNs, 1) << ", \"peer\": " << JsonString(c.Peer)
             << ", \"peer_ns\": " << Fixed(peer->RealNs, 1) << ", \"ratio\": " << Fixed(ratio, 4) << "}";
        firstJson = false;
    }
    json << "\n]\n";

    if (!Goals().empty()) {
        md << "\n| Target | Figure | Limit | Holds |\n|---|---:|---:|---|\n";
        for (const Goal& g : Goals()) {
            std::string figure = "not run", limit;
            bool holds = false;
            switch (g.Type) {
                case Goal::Kind::MaxSeconds:
                    limit = "≤ " + Fixed(g.Limit, 1) + " s";
                    if (const auto* m = find(g.Bench)) {
                        figure = Time(m->RealNs);
                        holds = m->RealNs <= g.Limit * 1e9;
                    }
                    break;
                case Goal::Kind::MinSpeedup:
                case Goal::Kind::Speedup:
                    limit = g.Type == Goal::Kind::Speedup ? "for reference" : "≥ " + Fixed(g.Limit, 2) + " x";
                    if (const auto* m = find(g.Bench), *base = find(g.Baseline); m && base) {
                        const double speedup = base->RealNs / m->RealNs;
                        figure = Fixed(speedup, 2) + " x (" + Time(base->RealNs) + " / " + Time(m->RealNs) + ")";
                        holds = g.Type == Goal::Kind::Speedup || speedup >= g.Limit;
                    }
                    break;
                case Goal::Kind::MaxCounter: {
                    limit = "≤ " + Fixed(g.Limit, 0);
                    double worst = -1;
                    for (const auto& [name, m] : medians) {
                        if (name.rfind(g.Bench, 0) != 0) continue;
                        if (const auto it = m.Counters.find(g.Counter); it != m.Counters.end())
                            worst = std::max(worst, it->second);
                    }
                    if (worst >= 0) {
                        figure = "at most " + Fixed(worst, 1);
                        holds = worst <= g.Limit;
                    }
                    break;
                }
            }
            if (!holds) ++failed;
            const char* verdict = g.Type == Goal::Kind::Speedup ? "—" : holds ? "holds" : "**missed**";
            md << "| " << g.What << " | " << figure << " | " << limit << " | " << verdict << " |\n";
        }
    }

    const std::string table = md.str();
    std::cout << "\n" << table << "\n";
    std::ofstream(Dir + "/summary.md")
        << "# Benchmark summary\n\nMedians of the repetitions, real time. The last column is the time a memset "
           "of our image takes as a share of the peer's: where it exceeds a target ratio, no drawing of that "
           "image can meet the target.\n\n"
        << table;
    std::ofstream(Dir + "/summary.json") << json.str();
    std::cout << "wrote " << Dir << "/summary.md and " << Dir << "/summary.json\n";
    return failed;
}

}  // namespace kdx::bench
