// sample_summary.cpp: what the benches make of repeated measurements.
#include "bench/sample_summary.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>

namespace quillbrook::bench {

namespace {

double Percentile(const std::vector<double>& sorted, double fraction) {
  const double rank = fraction * static_cast<double>(sorted.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(rank));
  const std::size_t above = std::min(below + 1, sorted.size() - 1);
  return sorted[below] + (sorted[above] - sorted[below]) * (rank - static_cast<double>(below));
}

double MicrosecondsOf(const std::function<bool()>& call, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  ok = call();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::micro>(end - start).count();
}

}  // namespace

std::optional<SampleSummary> Summarize(std::vector<double> samples) {
  if (samples.empty()) {
    return std::nullopt;
  }
  std::sort(samples.begin(), samples.end());
  return SampleSummary{Percentile(samples, 0.5), Percentile(samples, 0.95)};
}

std::string FormatSummary(const SampleSummary& summary) {
  char text[96];
  std::snprintf(text, sizeof text, "median=%.1f p95=%.1f", summary.median, summary.p95);
  return text;
}

bool PrintFigure(std::string_view name, const std::vector<double>& ours,
                 std::string_view referenceName, const std::vector<double>& reference,
                 std::string_view extra) {
  const std::optional<SampleSummary> oursSummary = Summarize(ours);
  const std::optional<SampleSummary> referenceSummary = Summarize(reference);
  if (!oursSummary || !referenceSummary) {
    return false;
  }
  std::cout << name << ' ' << FormatSummary(*oursSummary) << ' ' << referenceName << ' '
            << FormatSummary(*referenceSummary);
  if (!extra.empty()) {
    std::cout << ' ' << extra;
  }
  std::cout << std::endl;
  return static_cast<bool>(std::cout);
}

std::optional<PairedSamples> MeasureInterleaved(int rounds, const std::function<bool()>& ours,
                                                const std::function<bool()>& reference) {
  PairedSamples samples;
  samples.ours.reserve(static_cast<std::size_t>(std::max(rounds, 0)));
  samples.reference.reserve(static_cast<std::size_t>(std::max(rounds, 0)));
  for (int round = 0; round < rounds; ++round) {
    bool ok = false;
    samples.ours.push_back(MicrosecondsOf(ours, ok));
    if (!ok) {
      return std::nullopt;
    }
    samples.reference.push_back(MicrosecondsOf(reference, ok));
    if (!ok) {
      return std::nullopt;
    }
  }
  return samples;
}

}  // namespace quillbrook::bench
