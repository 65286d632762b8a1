// bare_inotify_reader.h: the least a program can do to see writes in a directory: one inotify
// watch and a thread blocked in reading it. The reference our directory watch is measured against.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "app/unique_fd.h"

namespace quillbrook::bench {

class BareInotifyReader {
 public:
  // Called on the reader's thread for every modification in the directory, with the file's name
  // and the moment the read returned.
  using OnWrite =
      std::function<void(const std::string& name, std::chrono::steady_clock::time_point seen)>;

  explicit BareInotifyReader(OnWrite onWrite) : onWrite_(std::move(onWrite)) {}
  ~BareInotifyReader() { Stop(); }
  BareInotifyReader(const BareInotifyReader&) = delete;
  BareInotifyReader& operator=(const BareInotifyReader&) = delete;

  // Watches directory for IN_MODIFY from the moment it returns true.
  bool Start(const std::string& directory);
  void Stop();

 private:
  void Read();

  OnWrite onWrite_;
  UniqueFd inotify_;
  UniqueFd wake_;
  std::thread reader_;
};

}  // namespace quillbrook::bench
