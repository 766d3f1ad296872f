#include "hornwall/interruption.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

namespace hornwall {
namespace {

// One marked file. The handler reads a place only while `active` says that it is whole.
struct Mark {
  std::atomic<bool> active{false};
  int folder = -1;
  bool only_if_empty = false;
  dev_t device = 0;
  ino_t inode = 0;
  char name[4096] = {};  // a path is at most 4095 bytes
};
static_assert(std::atomic<bool>::is_always_lock_free);

// A run marks at most a few files at once: the viewer's three outputs and the object file
// with the empty file that holds its new name.
std::array<Mark, 16> marks;

constexpr std::array interruptions = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

void remove_marked() {
  for (Mark& mark : marks) {
    if (!mark.active.load(std::memory_order_acquire)) continue;
    if (mark.only_if_empty) {
      struct stat status {};
      if (::fstatat(mark.folder, mark.name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
          status.st_size != 0 || status.st_dev != mark.device || status.st_ino != mark.inode) {
        continue;
      }
    }
    ::unlinkat(mark.folder, mark.name, 0);
  }
}

// Only calls that a signal handler may make: fstatat, unlinkat, sigaction, raise.
void on_interruption(int signal_number, siginfo_t* info, void*) {
  // The kernel sends SIGPIPE for a write to a pipe without a reader as if the process had
  // sent it itself; that write then fails with EPIPE and the run reports it.
  if (signal_number == SIGPIPE && info != nullptr && info->si_code == SI_USER &&
      info->si_pid == ::getpid()) {
    return;
  }
  const int saved_errno = errno;
  remove_marked();
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigemptyset(&action.sa_mask);
  ::sigaction(signal_number, &action, nullptr);
  sigset_t unblocked;
  ::sigemptyset(&unblocked);
  ::sigaddset(&unblocked, signal_number);
  ::sigprocmask(SIG_UNBLOCK, &unblocked, nullptr);
  ::raise(signal_number);
  errno = saved_errno;
}

sigset_t interruption_set() {
  sigset_t set;
  ::sigemptyset(&set);
  for (const int signal_number : interruptions) ::sigaddset(&set, signal_number);
  return set;
}

}  // namespace

InterruptionsHeld::InterruptionsHeld() {
  const sigset_t held = interruption_set();
  ::sigprocmask(SIG_BLOCK, &held, &previous_);
}

InterruptionsHeld::~InterruptionsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

void remove_marked_files_when_interrupted() {
  for (const int signal_number : interruptions) {
    struct sigaction previous {};
    if (::sigaction(signal_number, nullptr, &previous) != 0) continue;
    if (previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_sigaction = on_interruption;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    ::sigfillset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
  }
}

MarkedFile::MarkedFile(int folder, std::string_view name, bool only_if_empty, dev_t device,
                       ino_t inode) {
  if (name.size() >= sizeof Mark::name) return;
  for (std::size_t i = 0; i < marks.size(); ++i) {
    Mark& mark = marks[i];
    if (mark.active.load(std::memory_order_relaxed)) continue;
    mark.folder = folder;
    mark.only_if_empty = only_if_empty;
    mark.device = device;
    mark.inode = inode;
    std::memcpy(mark.name, name.data(), name.size());
    mark.name[name.size()] = '\0';
    mark.active.store(true, std::memory_order_release);
    slot_ = static_cast<int>(i);
    return;
  }
}

MarkedFile::MarkedFile(MarkedFile&& other) noexcept : slot_(std::exchange(other.slot_, -1)) {}

MarkedFile& MarkedFile::operator=(MarkedFile&& other) noexcept {
  if (this != &other) {
    clear();
    slot_ = std::exchange(other.slot_, -1);
  }
  return *this;
}

void MarkedFile::clear() noexcept {
  if (slot_ < 0) return;
  marks[static_cast<std::size_t>(slot_)].active.store(false, std::memory_order_release);
  slot_ = -1;
}

}  // namespace hornwall
