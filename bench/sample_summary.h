// sample_summary.h: what the benches make of repeated measurements: median and 95th percentile,
// taken in rounds that alternate between our code and its reference.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook::bench {

struct SampleSummary {
  double median = 0;
  double p95 = 0;
};

// Percentiles by linear interpolation between the closest ranks, the way the Python drivers take
// them, so that every figure of a run means the same. Nullopt for no samples.
std::optional<SampleSummary> Summarize(std::vector<double> samples);

// "median=<m> p95=<p>" with one decimal.
std::string FormatSummary(const SampleSummary& summary);

// The bench's figure: "<name> median=… p95=… <referenceName> median=… p95=…", printed last on its
// own line. False, and nothing printed, when either side has no samples.
bool PrintFigure(std::string_view name, const std::vector<double>& ours,
                 std::string_view referenceName, const std::vector<double>& reference,
                 std::string_view extra = {});

struct PairedSamples {
  std::vector<double> ours;
  std::vector<double> reference;
};

// Runs `rounds` rounds, each timing one call of ours and then one of reference, in microseconds
// of the steady clock, so that drift of the machine (other load, frequency changes) falls on both
// alike. A call returns false when what it measured did not happen as it should: the run then
// stops and the result is nullopt, because a figure of a failed operation means nothing.
std::optional<PairedSamples> MeasureInterleaved(int rounds, const std::function<bool()>& ours,
                                                const std::function<bool()>& reference);

}  // namespace quillbrook::bench
