#include "hornwall/files.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "hornwall/run_error.hpp"
#include "test_support.hpp"

namespace hornwall {
namespace {

class PosixFiles : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return scratch_.path(name); }
  void put(const std::string& name, const std::string& text) const { scratch_.put(name, text); }
  std::string contents(const std::string& name) const { return scratch_.contents(name); }
  std::string error_of(void (*open)(PosixFileSystem&, const std::string&),
                       const std::string& name) const {
    PosixFileSystem files;
    try {
      open(files, path(name));
    } catch (const RunError& failure) {
      return error_line(failure);
    }
    return "";
  }

  testing::ScratchFolder scratch_{"hornwall_files_test_"};
};

TEST_F(PosixFiles, AnExistingObjectFileKeepsItsContentsUntilTheFirstWrite) {
  put("out.zul", "old contents, longer than the new\n");
  PosixFileSystem files;
  {
    auto sink = files.open_object(path("out.zul"));
    sink->close();
  }
  EXPECT_EQ(contents("out.zul"), "old contents, longer than the new\n");
  auto sink = files.open_object(path("out.zul"));
  sink->write("new\n");
  EXPECT_EQ(contents("out.zul"), "new\n");
  sink->write("more\n");
  sink->close();
  EXPECT_EQ(contents("out.zul"), "new\nmore\n");
}

TEST_F(PosixFiles, TheObjectFileMayNotBeTheAnswersFile) {
  put("a.txt", "answers\n");
  std::filesystem::create_symlink(path("a.txt"), path("link.zul"));
  PosixFileSystem files;
  auto input = files.open_input(path("a.txt"));
  for (const char* name : {"a.txt", "link.zul"}) {
    try {
      files.open_object(path(name));
      ADD_FAILURE() << name << " was opened";
    } catch (const RunError& failure) {
      EXPECT_EQ(error_line(failure),
                "severe (30): open failure, unit 43, file " + path(name) + "\n");
    }
  }
  EXPECT_EQ(contents("a.txt"), "answers\n");
}

TEST_F(PosixFiles, OpenFailuresNameTheirUnitAndFile) {
  const auto input = [](PosixFileSystem& files, const std::string& name) {
    files.open_input(name);
  };
  const auto object = [](PosixFileSystem& files, const std::string& name) {
    files.open_object(name);
  };
  EXPECT_EQ(error_of(input, "missing.txt"),
            "severe (29): file not found, unit 50, file " + path("missing.txt") + "\n");
  EXPECT_EQ(error_of(input, ""), "severe (30): open failure, unit 50, file " + path("") + "\n");
  EXPECT_EQ(error_of(object, "no/out.zul"),
            "severe (29): file not found, unit 43, file " + path("no/out.zul") + "\n");
  const std::string with_nul = path("a") + std::string("\0b", 2);
  PosixFileSystem files;
  try {
    files.open_object(with_nul);
    ADD_FAILURE() << "a name with a NUL byte was opened";
  } catch (const RunError& failure) {
    EXPECT_EQ(error_line(failure),
              "severe (43): file name specification error, unit 43, file " + with_nul + "\n");
  }
  EXPECT_EQ(std::filesystem::exists(path("missing.txt")), false);  // nothing is created
}

// Permissions bind only an ordinary user: as root there is nothing to check.
TEST_F(PosixFiles, AReadOnlyObjectFileFailsAtItsFirstWriteAndStaysAsItWas) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  put("out.zul", "kept\n");
  std::filesystem::permissions(path("out.zul"), std::filesystem::perms::owner_read);
  PosixFileSystem files;
  auto sink = files.open_object(path("out.zul"));
  try {
    sink->write("new\n");
    ADD_FAILURE() << "a read-only file was written";
  } catch (const RunError& failure) {
    EXPECT_EQ(error_line(failure),
              "severe (38): error during write, unit 43, file " + path("out.zul") + "\n");
  }
  EXPECT_EQ(contents("out.zul"), "kept\n");
}

}  // namespace
}  // namespace hornwall
