// A failed allocation at any point of a run ends it like every failure: one error line,
// exit status 1, and an object file written in place keeps the whole lines written before
// it. Every allocation of this test binary goes through the operator new below, which
// fails the one allocation it is told to.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <streambuf>

#include "hornwall/spline_wall.hpp"
#include "hornwall/thickcorr_wall.hpp"
#include "test_support.hpp"

namespace {

long allocations_left = -1;  // the allocation that fails is the one that finds 0; -1: none

void* allocate(std::size_t size) {
  if (allocations_left >= 0 && allocations_left-- == 0) throw std::bad_alloc();
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace hornwall {
namespace {

// A console output that never allocates: a fixed buffer, as the real console's is.
class FixedOutput : public std::streambuf {
 public:
  FixedOutput() { setp(text_, text_ + sizeof text_); }
  std::string text() const { return std::string(pbase(), pptr()); }

 private:
  char text_[1 << 16];
};

TEST(AllocationFailure, EndsTheRunWithOneLineAndKeepsTheWholeLinesWritten) {
  const struct {
    const Program* program;
    const char* answers;
  } cases[] = {
      {&spline_program, "out.zul\n10\n3\n0\n20\n100\n12 120\n2\n10\n40\n"},
      {&thickcorr_program, "1\nout.zul\n55\n3\n2\n4\n2 4\n96 24\n1\n5 7.4\n20 4\n"},
  };
  for (const auto& c : cases) {
    testing::MemoryFileSystem files;
    files.files["a.txt"] = c.answers;
    const auto complete = testing::run_in_memory(*c.program, "1\na.txt\n", files);
    ASSERT_EQ(complete.status, 0) << complete.err;
    const std::string whole_file = files.files["out.zul"];
    int failures = 0;
    for (long failing = 0;; ++failing) {
      files.files["out.zul"] = "old contents\n";
      std::istringstream in("1\na.txt\n");
      FixedOutput out_buffer;
      FixedOutput err_buffer;
      std::ostream out(&out_buffer);
      std::ostream err(&err_buffer);
      allocations_left = failing;
      const int status = run_program(*c.program, Console{in, out, err}, files, {});
      const bool reached = allocations_left < 0;
      allocations_left = -1;
      if (!reached) {
        EXPECT_EQ(status, 0);  // every allocation of the run succeeded
        EXPECT_EQ(files.files["out.zul"], whole_file);
        break;
      }
      ++failures;
      SCOPED_TRACE("allocation " + std::to_string(failing));
      EXPECT_EQ(status, 1);
      EXPECT_EQ(err_buffer.text(), "severe (41): insufficient virtual memory\n");
      const std::string& file = files.files["out.zul"];
      if (file != "old contents\n") {
        EXPECT_EQ(whole_file.compare(0, file.size(), file), 0);
        EXPECT_TRUE(file.empty() || file.back() == '\n');
      }
    }
    EXPECT_GT(failures, 10);
  }
}

}  // namespace
}  // namespace hornwall
