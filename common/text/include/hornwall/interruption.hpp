#pragma once

#include <signal.h>
#include <sys/types.h>

#include <string_view>

// A run that a signal ends leaves no file of its own behind: the hidden files it writes
// its outputs to, and a file it created under an output's name and never wrote, are
// removed before the signal ends it.
namespace hornwall {

// Makes SIGINT, SIGTERM, SIGHUP and SIGPIPE remove every file the run has marked (see
// MarkedFile) and then end the process by the same signal, so that its exit status is the
// signal's usual one. A signal that the process was started with ignored stays ignored.
// A SIGPIPE that the process's own write to a closed pipe raises is not an interruption:
// the write fails with EPIPE, which the run reports as the failed write it is.
// Called once by each main, before any output is opened.
void remove_marked_files_when_interrupted();

// Holds off the interruptions for as long as it lives, so that a file made and marked in
// its time cannot be left unmarked between the two; an interruption meanwhile comes when it
// ends.
class InterruptionsHeld {
 public:
  InterruptionsHeld();
  ~InterruptionsHeld();
  InterruptionsHeld(const InterruptionsHeld&) = delete;
  InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

 private:
  sigset_t previous_;
};

// A file that an interrupted run removes: `name` in the folder open as `folder` (AT_FDCWD:
// `name` is a path from the current folder), for as long as the mark lives. With `only_if_empty`,
// only while it is still the file of `device` and `inode` and empty (a file the run created to hold
// a new name). When every place for marks is taken, the file is not marked.
class MarkedFile {
 public:
  MarkedFile() = default;
  MarkedFile(int folder, std::string_view name, bool only_if_empty = false, dev_t device = 0,
             ino_t inode = 0);
  ~MarkedFile() { clear(); }
  MarkedFile(MarkedFile&& other) noexcept;
  MarkedFile& operator=(MarkedFile&& other) noexcept;
  MarkedFile(const MarkedFile&) = delete;
  MarkedFile& operator=(const MarkedFile&) = delete;

  // Removes the mark, not the file.
  void clear() noexcept;

 private:
  int slot_ = -1;
};

}  // namespace hornwall
