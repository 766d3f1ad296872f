#pragma once

#include <sys/types.h>

#include <cstddef>

// The calls by which an output is made, written, synced and given its name: the real POSIX
// calls, kept in one table so that a test can make any one of them fail as the system would.
namespace hornwall {

struct SystemCalls {
  // openat(folder, name, flags, mode), for the hidden file an output is written to.
  int (*open_in)(int folder, const char* name, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* bytes, std::size_t count);
  int (*change_mode)(int fd, mode_t mode);
  int (*change_owner)(int fd, uid_t owner, gid_t group);
  // fsetxattr(fd, name, value, size, 0).
  int (*set_attribute)(int fd, const char* name, const void* value, std::size_t size);
  int (*sync)(int fd);
  // renameat(folder, from, folder, to).
  int (*rename_in)(int folder, const char* from, const char* to);
};

// The table every output goes through; the real calls unless a test has replaced one.
SystemCalls& system_calls();

}  // namespace hornwall
