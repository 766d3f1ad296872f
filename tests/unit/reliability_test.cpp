// Faults under limits and hostile conditions: a run ends with one error line, and the
// object file stays as it was, or, written in place, holds exactly the whole lines
// written before the failure.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "hornwall/arithmetic.hpp"
#include "hornwall/files.hpp"
#include "hornwall/spline_wall.hpp"
#include "test_support.hpp"

namespace hornwall {
namespace {

TEST(ToSingle, RoundsBeyondTheSingleRangeAsIeeeDoes) {
  constexpr double max = static_cast<double>(FLT_MAX);
  constexpr double halfway = 0x1.ffffffp+127;  // between FLT_MAX and 2^128
  constexpr float infinity = std::numeric_limits<float>::infinity();
  const struct {
    double value;
    float single;
  } cases[] = {
      {max, FLT_MAX},
      {std::nextafter(max, HUGE_VAL), FLT_MAX},
      {std::nextafter(halfway, 0.0), FLT_MAX},  // just below the halfway point
      {halfway, infinity},                      // a tie goes to the even 2^128
      {std::nextafter(halfway, HUGE_VAL), infinity},
      {3e38 - -3e38, infinity},
      {DBL_MAX, infinity},
      {0.1, 0.1f},
      {1e-300, 0.0f},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(to_single(c.value), c.single) << std::hexfloat << c.value;
    EXPECT_EQ(to_single(-c.value), -c.single) << std::hexfloat << -c.value;
  }
  EXPECT_EQ(to_single(HUGE_VAL), infinity);
  EXPECT_TRUE(std::isnan(to_single(std::nan(""))));
}

class Reliability : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return scratch_.path(name); }
  void put(const std::string& name, const std::string& text) const { scratch_.put(name, text); }
  std::string contents(const std::string& name) const { return scratch_.contents(name); }
  testing::ScratchFolder scratch_{"hornwall_reliability_test_"};
};

// Writes `pieces` to the object file `name` in a child process whose file-size limit is
// `limit` bytes, and returns the error line of the first failure ("" for none).
std::string write_under_limit(const std::string& name, rlim_t limit,
                              const std::vector<std::string>& pieces) {
  int report[2];
  if (::pipe(report) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(report[0]);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit size_limit{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &size_limit);
    std::string line;
    try {
      PosixFileSystem files;
      auto sink = files.open_object(name);
      for (const std::string& piece : pieces) sink->write(piece);
      sink->close();
    } catch (const RunError& failure) {
      line = error_line(failure);
    }
    const ssize_t written = ::write(report[1], line.data(), line.size());
    ::_exit(written == static_cast<ssize_t>(line.size()) ? 0 : 1);
  }
  ::close(report[1]);
  std::string line;
  char buffer[512];
  for (ssize_t count; (count = ::read(report[0], buffer, sizeof buffer)) > 0;) {
    line.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(report[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? line : "child failed";
}

TEST_F(Reliability, AWriteThatFailsPartWayIsCutBackToTheLastWholeLine) {
  const struct {
    const char* what;
    rlim_t limit;
    std::vector<std::string> pieces;
    const char* file;  // after the run
  } cases[] = {
      {"half a line in one write", 10, {"line one\nline two\n"}, "line one\n"},
      {"half a line in a later write",
       20,
       {"first line\n", "second line\nthird\n"},
       "first line\n"},
      {"no whole line: the file was being replaced", 10, {"a long first line\n"}, ""},
      {"a failed first write", 0, {"x\n"}, ""},
      {"ends on a line end", 9, {"line one\n", "two\n"}, "line one\n"},
      {"no limit reached", 100, {"one\n", "two\n"}, "one\ntwo\n"},
  };
  const std::string old = "old contents of the object file\n";
  for (const auto& c : cases) {
    const std::string expected_error =
        c.limit == 100 ? ""
                       : "severe (38): error during write, unit 43, file " + path("out.zul") + "\n";
    // A file that another link shares is written in place.
    put("out.zul", old);
    std::filesystem::create_hard_link(path("out.zul"), path("second.zul"));
    EXPECT_EQ(write_under_limit(path("out.zul"), c.limit, c.pieces), expected_error) << c.what;
    EXPECT_EQ(contents("out.zul"), c.file) << c.what;
    EXPECT_EQ(contents("second.zul"), c.file) << c.what;
    std::filesystem::remove(path("second.zul"));
    // A file of its own is written beside it, and a failed run leaves it as it was.
    put("out.zul", old);
    EXPECT_EQ(write_under_limit(path("out.zul"), c.limit, c.pieces), expected_error) << c.what;
    EXPECT_EQ(contents("out.zul"), c.limit == 100 ? c.file : old) << c.what;
  }
}

TEST_F(Reliability, AFailedWriteWritesNothingMore) {
  PosixFileSystem files;
  auto sink = files.open_object("/dev/full");
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      sink->write("line\n");
      ADD_FAILURE() << "wrote to a full device";
    } catch (const RunError& failure) {
      EXPECT_EQ(error_line(failure), "severe (38): error during write, unit 43, file /dev/full\n");
    }
  }
}

// What open_object reports for `name` ("" when it opens).
std::string open_error(PosixFileSystem& files, const std::string& name,
                       std::unique_ptr<ObjectSink>* kept = nullptr) {
  try {
    auto sink = files.open_object(name);
    if (kept != nullptr) *kept = std::move(sink);
  } catch (const RunError& failure) {
    return error_line(failure);
  }
  return "";
}

TEST_F(Reliability, AnObjectFileHeldByAnotherRunIsLeftToIt) {
  put("out.zul", "the other run's objects\n");
  const std::string refused = "severe (30): open failure, unit 43, file " + path("out.zul") + "\n";
  PosixFileSystem files;
  {
    std::unique_ptr<ObjectSink> first;
    ASSERT_EQ(open_error(files, path("out.zul"), &first), "");
    EXPECT_EQ(open_error(files, path("out.zul")), refused);
    first->write("first\n");
    EXPECT_EQ(open_error(files, path("out.zul")), refused);
    first->close();
    EXPECT_EQ(open_error(files, path("out.zul")), "");  // the lock ends with the run
  }
  // Devices are not locked: parallel runs may share them.
  std::unique_ptr<ObjectSink> first;
  ASSERT_EQ(open_error(files, "/dev/null", &first), "");
  EXPECT_EQ(open_error(files, "/dev/null"), "");
}

// A name that held no file is held too: the first run creates it empty to lock it, and
// removes it again when it ends without keeping its objects.
TEST_F(Reliability, ANewObjectFileHeldByAnotherRunIsLeftToIt) {
  const std::string refused = "severe (30): open failure, unit 43, file " + path("new.zul") + "\n";
  PosixFileSystem files;
  {
    std::unique_ptr<ObjectSink> first;
    ASSERT_EQ(open_error(files, path("new.zul"), &first), "");
    EXPECT_EQ(open_error(files, path("new.zul")), refused);
    first->write("first\n");
    EXPECT_EQ(open_error(files, path("new.zul")), refused);
  }
  EXPECT_FALSE(std::filesystem::exists(path("new.zul")));
  {
    std::unique_ptr<ObjectSink> first;
    ASSERT_EQ(open_error(files, path("new.zul"), &first), "");
    first->write("first\n");
    first->close();
    // the file the name now leads to is free for the next run
    std::unique_ptr<ObjectSink> next;
    ASSERT_EQ(open_error(files, path("new.zul"), &next), "");
    EXPECT_EQ(open_error(files, path("new.zul")), refused);
  }
  EXPECT_EQ(contents("new.zul"), "first\n");
}

TEST_F(Reliability, TheObjectFileMayNotBeTheFileThatConsoleAnswersComeFrom) {
  put("typed.answers", "0\ntyped.answers\n");
  put("other.zul", "");
  const int console = ::open(path("typed.answers").c_str(), O_RDONLY | O_CLOEXEC);
  PosixFileSystem files(console);
  EXPECT_EQ(open_error(files, path("typed.answers")),
            "severe (30): open failure, unit 43, file " + path("typed.answers") + "\n");
  EXPECT_EQ(open_error(files, path("other.zul")), "");
  EXPECT_EQ(contents("typed.answers"), "0\ntyped.answers\n");
  ::close(console);
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  PosixFileSystem piped(pipe_ends[0]);  // a pipe is no file to overwrite
  EXPECT_EQ(open_error(piped, path("typed.answers")), "");
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
}

// Files in memory whose answers file fails to read after its first `good` bytes.
class FailingReadFiles : public testing::MemoryFileSystem {
 public:
  explicit FailingReadFiles(std::size_t good) : good_(good) {}
  std::unique_ptr<std::istream> open_input(const std::string& name) override {
    MemoryFileSystem::open_input(name);
    auto stream = std::make_unique<Stream>(files[name].substr(0, good_));
    return stream;
  }

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(std::string text) : text_(std::move(text)) {
      setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

   protected:
    int_type underflow() override { throw std::ios_base::failure("EIO"); }

   private:
    std::string text_;
  };
  class Stream : public std::istream {
   public:
    explicit Stream(std::string text) : std::istream(nullptr), buffer_(std::move(text)) {
      rdbuf(&buffer_);
    }

   private:
    Buffer buffer_;
  };
  std::size_t good_;
};

TEST(ReadFailure, AReadErrorOfTheAnswersFileIsNoEndOfFile) {
  const std::string answers = "out.zul\n10\n3\n0\n20\n100\n1 5\n2\n10\n40\n";
  testing::MemoryFileSystem complete;
  complete.files["a.txt"] = answers;
  testing::run_in_memory(spline_program, "1\na.txt\n", complete);
  const std::string& whole_file = complete.files["out.zul"];
  for (const std::size_t good : {std::size_t{0}, std::size_t{12}, answers.size() - 2}) {
    FailingReadFiles files(good);
    files.files["a.txt"] = answers;
    files.files["out.zul"] = "old\n";
    const auto run = testing::run_in_memory(spline_program, "1\na.txt\n", files);
    EXPECT_EQ(run.status, 1) << good;
    EXPECT_EQ(run.err, "severe (39): error during read, unit 50, file a.txt\n") << good;
    const std::string& file = files.files["out.zul"];
    if (good < 20) {
      EXPECT_EQ(file, "old\n") << good;
    } else {  // the blocks written before the last answers
      EXPECT_EQ(file, whole_file.substr(0, file.size()));
      EXPECT_EQ(file.size() > 100 && file.back() == '\n', true);
    }
  }
}

}  // namespace
}  // namespace hornwall
