// hex_latency_bench.cpp: the time from a write of the HEX file to HexChanged, beside a bare
// inotify reader on the same directory that sees the same writes.
//
// HexChanged is raised as in the program: the directory watch's worker hands its batch to the Qt
// event loop of the main thread through QtMainThread, and the HEX watch's reaction runs there. A
// separate thread writes the file the way a compiler does (truncate, write, close) and takes the
// time just before; each side's figure is its first sight of that write. Before the next write
// both sides must have seen a marker file written after it, so nothing of one write is counted in
// the next.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/unique_fd.h"
#include "bench/bare_inotify_reader.h"
#include "bench/sample_summary.h"
#include "tests/support/temp_dir.h"
#include "ui/qt_main_thread.h"
#include "watch/directory_watcher.h"
#include "watch/hex_watch.h"
#include "watch/path_split.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWrites = 200;
constexpr std::chrono::seconds kPatience{10};
constexpr std::string_view kHexName = "blink.hex";

// What each side has seen of the current write. Written by the main thread (ours) and the reader
// thread (reference), waited on by the writing thread.
class Sightings {
 public:
  struct Round {
    std::optional<Clock::time_point> hexChanged;
    std::optional<Clock::time_point> referenceSaw;
    int hexChangedCount = 0;
    bool oursSawMarker = false;
    bool referenceSawMarker = false;
  };

  void Begin(std::string marker) {
    const std::lock_guard lock(mutex_);
    round_ = Round{};
    marker_ = std::move(marker);
  }
  void HexChanged(Clock::time_point when) {
    Update([&] {
      ++round_.hexChangedCount;
      if (!round_.hexChanged) {
        round_.hexChanged = when;
      }
    });
  }
  void OursSaw(const std::string& name) {
    Update([&] { round_.oursSawMarker = round_.oursSawMarker || name == marker_; });
  }
  void ReferenceSaw(const std::string& name, Clock::time_point when) {
    Update([&] {
      if (name == kHexName && !round_.referenceSaw) {
        round_.referenceSaw = when;
      }
      round_.referenceSawMarker = round_.referenceSawMarker || name == marker_;
    });
  }
  // The round as it stands once `done` holds; nullopt when it did not within the patience.
  template <typename Done>
  std::optional<Round> WaitUntil(Done done) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, kPatience, [&] { return done(round_); })) {
      return std::nullopt;
    }
    return round_;
  }

 private:
  template <typename Change>
  void Update(Change change) {
    {
      const std::lock_guard lock(mutex_);
      change();
    }
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  Round round_;
  std::string marker_;
};

// A compiler's way of writing its output: truncate the old file, write, close.
bool WriteFile(const std::string& path, std::string_view content) {
  quillbrook::UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  return file.valid() &&
         ::write(file.get(), content.data(), content.size()) ==
             static_cast<ssize_t>(content.size()) &&
         file.Close();
}

std::string HexContent() {
  std::string content;
  for (int line = 0; line < 64; ++line) {
    content += ":100000000C9435000C945D000C945D000C945D0024\n";
  }
  return content + ":00000001FF\n";
}

struct Latencies {
  std::vector<double> ours;
  std::vector<double> reference;
  int hexChangedRaised = 0;
};

double MicrosecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::micro>(to - from).count();
}

// The writing thread's part. Nullopt when a write failed or a side missed one.
std::optional<Latencies> WriteAndWatch(const std::string& directory, Sightings& sightings) {
  const std::string hexPath = directory + std::string(kHexName);
  const std::string content = HexContent();
  Latencies latencies;
  for (int write = 0; write < kWrites; ++write) {
    const std::string marker = "settled-" + std::to_string(write);
    sightings.Begin(marker);
    const Clock::time_point written = Clock::now();
    if (!WriteFile(hexPath, content)) {
      std::cerr << "hex_latency_bench: cannot write " << hexPath << '\n';
      return std::nullopt;
    }
    // The marker is written only once both sides have seen the HEX file, so that it cannot
    // compete with them for the processor while they are being timed.
    const auto seen = sightings.WaitUntil([](const Sightings::Round& round) {
      return round.hexChanged.has_value() && round.referenceSaw.has_value();
    });
    if (!seen || !WriteFile(directory + marker, "m")) {
      std::cerr << "hex_latency_bench: write " << write << " was not seen by "
                << (!seen ? "both sides" : "the marker") << '\n';
      return std::nullopt;
    }
    const auto settled = sightings.WaitUntil([](const Sightings::Round& round) {
      return round.oursSawMarker && round.referenceSawMarker;
    });
    if (!settled) {
      std::cerr << "hex_latency_bench: the marker after write " << write << " was not seen\n";
      return std::nullopt;
    }
    latencies.ours.push_back(MicrosecondsBetween(written, *settled->hexChanged));
    latencies.reference.push_back(MicrosecondsBetween(written, *settled->referenceSaw));
    latencies.hexChangedRaised += settled->hexChangedCount;
  }
  return latencies;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const quillbrook::testing::TempDir root;
  const std::string directory = root.path().string() + "/";

  Sightings sightings;
  quillbrook::QtMainThread mainThread;
  quillbrook::HexWatch hexWatch(
      [&](quillbrook::DirectoryWatcher::ChangeHandler onChange) {
        // Tapped only to learn when the marker has been handed over; the HEX watch sees every
        // record as it would without the tap.
        return quillbrook::CreateDirectoryWatcher(
            mainThread, [&, onChange = std::move(onChange)](int action, const std::string& path) {
              onChange(action, path);
              sightings.OursSaw(quillbrook::SplitPath(path).name);
            });
      },
      [&] { sightings.HexChanged(Clock::now()); });
  quillbrook::bench::BareInotifyReader reference(
      [&](const std::string& name, Clock::time_point seen) { sightings.ReferenceSaw(name, seen); });
  if (!hexWatch.RestartHexWatch(directory + std::string(kHexName)) || !reference.Start(directory)) {
    std::cerr << "hex_latency_bench: cannot watch " << directory << '\n';
    return 1;
  }

  std::optional<Latencies> latencies;
  std::thread writer([&] {
    latencies = WriteAndWatch(directory, sightings);
    QMetaObject::invokeMethod(
        &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
  });
  QCoreApplication::exec();
  writer.join();
  hexWatch.Stop();
  reference.Stop();
  if (!latencies) {
    return 1;
  }

  std::vector<double> extra;
  for (std::size_t i = 0; i < latencies->ours.size(); ++i) {
    extra.push_back(latencies->ours[i] - latencies->reference[i]);
  }
  std::cout << "writes: " << kWrites << ", HexChanged raised: " << latencies->hexChangedRaised
            << " (a write may be reported more than once), time per write beyond the reference: "
            << quillbrook::bench::FormatSummary(*quillbrook::bench::Summarize(extra)) << " us\n";
  return quillbrook::bench::PrintFigure("hex_change_latency_us", latencies->ours,
                                        "reference_inotify", latencies->reference)
             ? 0
             : 1;
}
