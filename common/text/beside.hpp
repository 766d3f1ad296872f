#pragma once

#include <sys/stat.h>

#include <string>

// The POSIX pieces that the answers file and the outputs share. Inside hornwall_text only.
namespace hornwall {

// Opens `name` with `flags` (close-on-exec, 0666 less the umask for a new file), again
// after an interruption; returns the descriptor, or -1 with errno set. A name holding a NUL
// byte names no file (ENAMETOOLONG).
int open_descriptor(const std::string& name, int flags);

// The status of `fd`; all zero (no regular file) when it has none.
struct stat file_status(int fd);

// Whether `path` still names the file of `status`.
bool still_named(const std::string& path, const struct stat& status);

// Whether `error_number` says that access was denied (or the medium is read-only).
bool is_permission_failure(int error_number);

}  // namespace hornwall
