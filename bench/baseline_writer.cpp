// The yardstick of make bench: writes COUNT bytes of text to a new file FILE in 64 KiB
// write calls, the least that any program writing those bytes must spend. With --synced,
// as a program must that keeps a file safe on the disk: to FILE.new, synced, renamed to
// FILE, and the folder synced.
//
//   hornwall_bench_baseline FILE COUNT [--synced]

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t block_size = 64 * 1024;

bool write_all(int fd, const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = ::write(fd, bytes, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool synced = argc == 4 && std::string_view(argv[3]) == "--synced";
  if (argc != 3 && !synced) {
    std::fputs("usage: hornwall_bench_baseline FILE COUNT [--synced]\n", stderr);
    return 2;
  }
  const std::string_view count_text = argv[2];
  std::uint64_t count = 0;
  const auto parsed =
      std::from_chars(count_text.data(), count_text.data() + count_text.size(), count);
  if (parsed.ec != std::errc{} || parsed.ptr != count_text.data() + count_text.size()) {
    std::fprintf(stderr, "hornwall_bench_baseline: not a byte count: %s\n", argv[2]);
    return 2;
  }
  // Text lines like the object file's, so that the file system sees the same kind of data.
  constexpr std::string_view line = "        \"-REF(ZI)-  1.2345E+00\"     2.5400E+01\n";
  std::vector<char> block(block_size);
  for (std::size_t i = 0; i < block_size; ++i) block[i] = line[i % line.size()];

  const std::string name = argv[1];
  const std::string written = synced ? name + ".new" : name;
  const int fd = ::open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    std::fprintf(stderr, "hornwall_bench_baseline: %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  bool ok = true;
  while (ok && count > 0) {
    const std::size_t size = count < block_size ? static_cast<std::size_t>(count) : block_size;
    ok = write_all(fd, block.data(), size);
    count -= size;
  }
  if (synced && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && synced) {
    ok = ::rename(written.c_str(), name.c_str()) == 0;
    const std::size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
    const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd < 0 || ::fsync(folder_fd) != 0) ok = false;
    if (folder_fd >= 0) ::close(folder_fd);
  }
  if (!ok) {
    std::fprintf(stderr, "hornwall_bench_baseline: %s: write failed\n", argv[1]);
    return 1;
  }
  return 0;
}
