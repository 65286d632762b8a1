// process_spawn_posix.cpp: posix_spawn with our descriptors kept to ourselves.
#include "flash/process_spawn_posix.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quillbrook {

namespace {

int AddStandardStreams(posix_spawn_file_actions_t* actions, const SpawnOptions& options) {
  const int sources[] = {options.standardInput, options.standardOutput, options.standardError};
  for (int target = STDIN_FILENO; target <= STDERR_FILENO; ++target) {
    if (sources[target] < 0) {
      continue;
    }
    if (const int error = ::posix_spawn_file_actions_adddup2(actions, sources[target], target)) {
      return error;
    }
  }
  // Whatever else is open here (other parts' descriptors, the other ends of these pipes) would
  // keep pipes from reaching end-of-file and leak into avrdude.
  return ::posix_spawn_file_actions_addclosefrom_np(actions, STDERR_FILENO + 1);
}

int SetAttributes(posix_spawnattr_t* attributes, bool ownProcessGroup) {
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (ownProcessGroup) {
    flags |= POSIX_SPAWN_SETPGROUP;
    if (const int error = ::posix_spawnattr_setpgroup(attributes, 0)) {
      return error;
    }
  }
  sigset_t noSignals;
  sigemptyset(&noSignals);
  if (const int error = ::posix_spawnattr_setsigmask(attributes, &noSignals)) {
    return error;
  }
  sigset_t defaultSignals;
  sigemptyset(&defaultSignals);
  sigaddset(&defaultSignals, SIGPIPE);
  if (const int error = ::posix_spawnattr_setsigdefault(attributes, &defaultSignals)) {
    return error;
  }
  return ::posix_spawnattr_setflags(attributes, flags);
}

}  // namespace

SpawnResult SpawnProgram(const std::vector<std::string>& argv, const SpawnOptions& options) {
  if (argv.empty()) {
    return {-1, EINVAL};
  }
  std::vector<char*> arguments;
  arguments.reserve(argv.size() + 1);
  for (const std::string& argument : argv) {
    arguments.push_back(const_cast<char*>(argument.c_str()));
  }
  arguments.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (const int error = ::posix_spawn_file_actions_init(&actions)) {
    return {-1, error};
  }
  posix_spawnattr_t attributes;
  if (const int error = ::posix_spawnattr_init(&attributes)) {
    ::posix_spawn_file_actions_destroy(&actions);
    return {-1, error};
  }
  pid_t pid = -1;
  int error = AddStandardStreams(&actions, options);
  if (error == 0) {
    error = SetAttributes(&attributes, options.ownProcessGroup);
  }
  if (error == 0) {
    // posix_spawn, not posix_spawnp: the path was resolved by our own lookup, which never looks
    // in the current directory.
    error = ::posix_spawn(&pid, arguments[0], &actions, &attributes, arguments.data(), environ);
  }
  ::posix_spawnattr_destroy(&attributes);
  ::posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    return {-1, error};
  }
  return {pid, 0};
}

bool ReapChild(pid_t pid) {
  while (true) {
    const pid_t reaped = ::waitpid(pid, nullptr, 0);
    if (reaped == pid) {
      return true;
    }
    if (reaped < 0 && errno == EINTR) {
      continue;
    }
    return false;
  }
}

}  // namespace quillbrook
