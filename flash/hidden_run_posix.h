// hidden_run_posix.h: one avrdude run without log: its process, its pipes and its output reader.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "flash/pipe_posix.h"

namespace quillbrook {

// A program started with its standard streams on pipes, in a process group of its own, watched by
// a reader thread. The reader blocks in poll() on the error output, the standard output, the
// process's exit and a wake-up; it hands every chunk of error output to the handler, throws the
// standard output away and reaps the process as soon as it exits. It ends by itself once both
// pipes are at end-of-file and the process is reaped, so an idle run costs no thread and no CPU.
// The pipes and the reader belong to this run alone, so nothing of one run can reach the next.
class PosixHiddenRun {
 public:
  using ErrorOutputHandler = std::function<void(std::string chunk)>;

  static constexpr std::size_t kChunkSize = 1024;

  // Starts argv (argv[0] a full path). The handler runs on the reader thread. Null when the pipes,
  // the process or the reader could not be created; nothing is left running then.
  static std::unique_ptr<PosixHiddenRun> Start(const std::vector<std::string>& argv,
                                               ErrorOutputHandler onErrorOutput);

  // Ends the run: kills the process group unless the process was reaped already, wakes and joins
  // the reader, reaps the process and closes the pipes. Once it returns, no handler call of this
  // run is running or will follow. The handler must therefore not wait for this thread.
  ~PosixHiddenRun();

  PosixHiddenRun(const PosixHiddenRun&) = delete;
  PosixHiddenRun& operator=(const PosixHiddenRun&) = delete;

 private:
  PosixHiddenRun(pid_t pid, ErrorOutputHandler onErrorOutput);

  void ReadOutput();
  void Kill();
  void Reap();

  const pid_t pid_;
  const ErrorOutputHandler onErrorOutput_;
  // Our end of the child's standard input: kept open and never written, so avrdude never sees
  // end of input, as when nobody types into its console.
  UniqueFd standardInput_;
  UniqueFd standardOutput_;
  UniqueFd errorOutput_;
  UniqueFd exitNotice_;  // pidfd: readable once the process has exited
  UniqueFd wake_;        // eventfd that tells the reader to stop

  // Once the process is reaped its pid may be given to another process, which must never be
  // signalled: reaping and killing exclude each other.
  std::mutex reapMutex_;
  bool reaped_ = false;  // guarded by reapMutex_

  std::atomic<bool> ending_{false};
  std::thread reader_;
};

}  // namespace quillbrook
