#include "hornwall/files.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

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

  std::string listing() const { return scratch_.listing(); }
  void clear() const { scratch_.clear(); }
  // The status of file `name`, links followed.
  struct stat status_of(const std::string& name) const {
    struct stat status {};
    ::stat(path(name).c_str(), &status);
    return status;
  }

  testing::ScratchFolder scratch_{"hornwall_files_test_"};
};

TEST_F(PosixFiles, AnExistingObjectFileKeepsItsContentsUntilTheRunEndsWell) {
  put("out.zul", "old contents, longer than the new\n");
  PosixFileSystem files;
  {
    auto sink = files.open_object(path("out.zul"));
    sink->close();
  }
  EXPECT_EQ(contents("out.zul"), "old contents, longer than the new\n");
  auto sink = files.open_object(path("out.zul"));
  sink->write("new\n");
  EXPECT_EQ(contents("out.zul"), "old contents, longer than the new\n");
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
    // The NUL byte is shown, as every byte a terminal could take for a control.
    EXPECT_EQ(error_line(failure), "severe (43): file name specification error, unit 43, file " +
                                       path("a") + "\\x00b\n");
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

// What a run leaves under the object file's name: the new file after a close, the old
// one (or none) without it, unless the file has to be written in place.
TEST_F(PosixFiles, TheObjectFileIsReplacedByCloseAndLeftAsItWasWithout) {
  enum class Before { nothing, file, link, two_links, dangling_link };
  const struct {
    const char* what;
    Before before;
    bool closed;
    const char* after;  // the folder afterwards (see listing)
  } cases[] = {
      {"a new name, closed", Before::nothing, true, "out.zul[new\n]"},
      {"a new name, not closed", Before::nothing, false, ""},
      {"a file, closed", Before::file, true, "out.zul[new\n]"},
      {"a file, not closed", Before::file, false, "out.zul[old\n]"},
      // a link is followed: its target is replaced, and the link stays
      {"a link, closed", Before::link, true, "out.zul->target.zul target.zul[new\n]"},
      {"a link, not closed", Before::link, false, "out.zul->target.zul target.zul[old\n]"},
      // in place: the other link keeps seeing the same file
      {"two links, closed", Before::two_links, true, "out.zul[new\n] second.zul[new\n]"},
      {"two links, not closed", Before::two_links, false, "out.zul[new\n] second.zul[new\n]"},
      {"a dangling link, closed", Before::dangling_link, true,
       "out.zul->target.zul target.zul[new\n]"},
      // the link's target is made beside as any new name, and goes again without a close
      {"a dangling link, not closed", Before::dangling_link, false, "out.zul->target.zul"},
  };
  for (const auto& c : cases) {
    clear();
    switch (c.before) {
      case Before::nothing: break;
      case Before::file: put("out.zul", "old\n"); break;
      case Before::link:
        put("target.zul", "old\n");
        std::filesystem::create_symlink("target.zul", path("out.zul"));
        break;
      case Before::two_links:
        put("out.zul", "old\n");
        std::filesystem::create_hard_link(path("out.zul"), path("second.zul"));
        break;
      case Before::dangling_link:
        std::filesystem::create_symlink("target.zul", path("out.zul"));
        break;
    }
    PosixFileSystem files;
    {
      auto sink = files.open_object(path("out.zul"));
      sink->write("new\n");
      if (c.closed) sink->close();
    }
    EXPECT_EQ(listing(), c.after) << c.what;
  }
}

TEST_F(PosixFiles, TheNewObjectFileKeepsTheOldOnesPermissionsOwnerAndGroup) {
  const struct {
    const char* what;
    int before;  // the old file's permission bits; -1 for no file
    mode_t mask;
    int after;
  } cases[] = {
      {"an old file", 0640, 022, 0640},
      {"a file others may write", 0666, 022, 0666},
      {"an executable file", 0750, 077, 0750},
      {"a new file", -1, 022, 0644},
      {"a new file, another umask", -1, 027, 0640},
  };
  for (const auto& c : cases) {
    clear();
    if (c.before >= 0) {
      put("out.zul", "old\n");
      ::chmod(path("out.zul").c_str(), static_cast<mode_t>(c.before));
    }
    const mode_t mask = ::umask(c.mask);
    PosixFileSystem files;
    auto sink = files.open_object(path("out.zul"));
    ::umask(mask);
    sink->write("new\n");
    sink->close();
    EXPECT_EQ(status_of("out.zul").st_mode & 07777, static_cast<mode_t>(c.after)) << c.what;
    EXPECT_EQ(listing(), "out.zul[new\n]") << c.what;
  }
  if (::geteuid() != 0) return;  // only root can give a file to another user
  clear();
  put("out.zul", "old\n");
  const uid_t nobody = 65534;
  ASSERT_EQ(::chown(path("out.zul").c_str(), nobody, nobody), 0);
  PosixFileSystem files;
  auto sink = files.open_object(path("out.zul"));
  sink->write("new\n");
  sink->close();
  EXPECT_EQ(status_of("out.zul").st_uid, nobody);
  EXPECT_EQ(status_of("out.zul").st_gid, nobody);
  EXPECT_EQ(contents("out.zul"), "new\n");
}

// Permissions bind only an ordinary user: as root there is nothing to check.
TEST_F(PosixFiles, AnObjectFileInAFolderWithoutWritePermissionIsWrittenInPlace) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  put("out.zul", "old\n");
  const ino_t inode = status_of("out.zul").st_ino;
  std::filesystem::permissions(
      scratch_.folder(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  PosixFileSystem files;
  {
    auto sink = files.open_object(path("out.zul"));
    sink->write("new\n");  // not closed: a file written in place keeps its lines
  }
  std::filesystem::permissions(scratch_.folder(), std::filesystem::perms::owner_all);
  EXPECT_EQ(listing(), "out.zul[new\n]");
  EXPECT_EQ(status_of("out.zul").st_ino, inode);
}

TEST_F(PosixFiles, ARenameThatFailsIsAWriteErrorAndLeavesNoNewFile) {
  put("out.zul", "old\n");
  PosixFileSystem files;
  auto sink = files.open_object(path("out.zul"));
  sink->write("new\n");
  // Meanwhile the name has become a folder, which no file can be renamed over.
  std::filesystem::remove(path("out.zul"));
  std::filesystem::create_directory(path("out.zul"));
  put("out.zul/inside", "");
  try {
    sink->close();
    ADD_FAILURE() << "a file was renamed over a folder";
  } catch (const RunError& failure) {
    EXPECT_EQ(error_line(failure),
              "severe (38): error during write, unit 43, file " + path("out.zul") + "\n");
  }
  sink.reset();
  EXPECT_EQ(listing(), "out.zul/");
}

}  // namespace
}  // namespace hornwall
