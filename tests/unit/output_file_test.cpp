// How every program writes a file: the object file and the tools' outputs are one kind of
// output, written beside their name and renamed, in place only where nothing else can
// work, and never lost to a failure of the calls that make, write, sync or name them.
#include "hornwall/output_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "hornwall/files.hpp"
#include "hornwall/run_error.hpp"
#include "hornwall/system_calls.hpp"
#include "test_support.hpp"

namespace hornwall {
namespace {

// The errno that a failing call gives, and what the recording calls saw.
int injected_error = 0;
std::vector<std::string> call_log;

// Puts the real calls back when a test ends.
class CallsReplaced {
 public:
  CallsReplaced() : saved_(system_calls()) {}
  ~CallsReplaced() { system_calls() = saved_; }
  CallsReplaced(const CallsReplaced&) = delete;
  CallsReplaced& operator=(const CallsReplaced&) = delete;

 private:
  SystemCalls saved_;
};

// One call of the table made to fail with `injected_error`.
enum class Failing { make_hidden, write, change_mode, sync, rename };

void make_fail(Failing call) {
  SystemCalls& calls = system_calls();
  switch (call) {
    case Failing::make_hidden:
      calls.open_in = [](int, const char*, int, mode_t) { return errno = injected_error, -1; };
      break;
    case Failing::write:
      calls.write = [](int, const void*, std::size_t) -> ssize_t {
        return errno = injected_error, -1;
      };
      break;
    case Failing::change_mode:
      calls.change_mode = [](int, mode_t) { return errno = injected_error, -1; };
      break;
    case Failing::sync: calls.sync = [](int) { return errno = injected_error, -1; }; break;
    case Failing::rename:
      calls.rename_in = [](int, const char*, const char*) { return errno = injected_error, -1; };
      break;
  }
}

class OutputFiles : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return scratch_.path(name); }
  void put(const std::string& name, const std::string& text) const { scratch_.put(name, text); }
  std::string contents(const std::string& name) const { return scratch_.contents(name); }
  std::string listing() const { return scratch_.listing(); }
  void clear() const { scratch_.clear(); }
  ino_t inode(const std::string& name) const {
    struct stat status {};
    ::stat(path(name).c_str(), &status);
    return status.st_ino;
  }

  testing::ScratchFolder scratch_{"hornwall_output_test_"};
};

// A failure of any call that makes, prepares, writes, syncs or names the new file ends the
// run with its error and leaves the old file, or no file, as it was; no hidden file stays.
TEST_F(OutputFiles, AFailingCallLeavesTheOldFileAndNothingElse) {
  const struct {
    const char* what;
    Failing call;
    int error;
    const char* error_line;  // the generator's, for out.zul
    const char* reason;      // a tool's
  } cases[] = {
      {"no room for the hidden file", Failing::make_hidden, ENOSPC,
       "severe (30): open failure, unit 43, file ", "No space left on device"},
      {"no descriptor left for the hidden file", Failing::make_hidden, EMFILE,
       "severe (30): open failure, unit 43, file ", "Too many open files"},
      {"the hidden file's mode cannot be set", Failing::change_mode, EPERM,
       "severe (9): permission to access file denied, unit 43, file ", "Operation not permitted"},
      {"a full disk", Failing::write, ENOSPC, "severe (38): error during write, unit 43, file ",
       "No space left on device"},
      {"the sync fails", Failing::sync, EIO, "severe (38): error during write, unit 43, file ",
       "Input/output error"},
      {"the rename fails", Failing::rename, EXDEV,
       "severe (38): error during write, unit 43, file ", "Invalid cross-device link"},
  };
  for (const auto& c : cases) {
    for (const bool existed : {true, false}) {
      const std::string what = std::string(c.what) + (existed ? ", an old file" : ", a new name");
      const std::string before = existed ? "out.zul[old\n]" : "";
      // The generators' object file.
      clear();
      if (existed) put("out.zul", "old\n");
      std::string line;
      {
        CallsReplaced replaced;
        injected_error = c.error;
        make_fail(c.call);
        try {
          PosixFileSystem files;
          auto sink = files.open_object(path("out.zul"));
          sink->write("new\n");
          sink->close();
        } catch (const RunError& failure) {
          line = error_line(failure);
        }
      }
      EXPECT_EQ(line, c.error_line + path("out.zul") + "\n") << what;
      EXPECT_EQ(listing(), before) << what;
      // A tool's output.
      clear();
      if (existed) put("out.zul", "old\n");
      std::string reason;
      {
        CallsReplaced replaced;
        make_fail(c.call);
        OutputFile file;
        if (const auto refusal = file.open(path("out.zul"))) {
          reason = refusal->reason();
        } else {
          file << "new\n";
          if (const Result<void> done = file.commit(); !done.ok()) reason = done.reason();
        }
      }
      EXPECT_EQ(reason, c.reason) << what;
      EXPECT_EQ(listing(), before) << what;
    }
  }
}

// The new file reaches the disk before it takes the name, and its name after.
TEST_F(OutputFiles, TheFileIsSyncedBeforeTheRenameAndTheFolderAfter) {
  put("out.svg", "old\n");
  call_log.clear();
  {
    CallsReplaced replaced;
    system_calls().sync = [](int fd) {
      struct stat status {};
      ::fstat(fd, &status);
      call_log.push_back(S_ISDIR(status.st_mode) ? "sync folder" : "sync file");
      return ::fsync(fd);
    };
    system_calls().rename_in = [](int folder, const char* from, const char* to) {
      call_log.push_back("rename");
      return ::renameat(folder, from, folder, to);
    };
    OutputFile file;
    ASSERT_FALSE(file.open(path("out.svg")));
    file << "new\n";
    ASSERT_TRUE(file.commit().ok());
  }
  EXPECT_EQ(call_log, (std::vector<std::string>{"sync file", "rename", "sync folder"}));
  EXPECT_EQ(listing(), "out.svg[new\n]");
}

// A name too long for ".NAME.XXXXXX" gets a hidden name cut short, in the same folder.
TEST_F(OutputFiles, ANameTooLongForTheHiddenNameIsStillWrittenBeside) {
  for (const std::size_t length : {std::size_t{247}, std::size_t{248}, std::size_t{255}}) {
    clear();
    const std::string name = std::string(length - 4, 'n') + ".svg";
    put(name, "old\n");
    const ino_t before = inode(name);
    OutputFile file;
    ASSERT_FALSE(file.open(path(name))) << length;
    file << "new\n";
    std::vector<std::string> hidden;
    for (const auto& entry : std::filesystem::directory_iterator(scratch_.folder())) {
      const std::string entry_name = entry.path().filename().string();
      if (entry_name.starts_with('.')) hidden.push_back(entry_name);
    }
    ASSERT_EQ(hidden.size(), 1u) << length;
    EXPECT_LE(hidden[0].size(), 255u) << length;
    EXPECT_FALSE(file.in_place()) << length;
    ASSERT_TRUE(file.commit().ok()) << length;
    EXPECT_EQ(listing(), name + "[new\n]") << length;
    EXPECT_NE(inode(name), before) << length;
  }
}

// What a tool's output does with the kinds of file it may meet; the same as the object
// file, but that the object file is opened for reading where writing is denied.
TEST_F(OutputFiles, ToolsTreatTheirOutputsAsTheObjectFileIsTreated) {
  // A write-protected file is refused and stays; root is not bound by permissions.
  if (::geteuid() != 0) {
    put("kept.svg", "kept\n");
    std::filesystem::permissions(path("kept.svg"), std::filesystem::perms::owner_read);
    OutputFile file;
    const auto refusal = file.open(path("kept.svg"));
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->reason(), "Permission denied");
    EXPECT_EQ(contents("kept.svg"), "kept\n");
  }
  // A file with a second link is written in place: both names see the new file.
  put("shared.svg", "old\n");
  std::filesystem::create_hard_link(path("shared.svg"), path("other.svg"));
  {
    OutputFile file;
    ASSERT_FALSE(file.open(path("shared.svg")));
    EXPECT_TRUE(file.in_place());
    file << "new\n";
    ASSERT_TRUE(file.commit().ok());
  }
  EXPECT_EQ(contents("other.svg"), "new\n");
  EXPECT_EQ(inode("other.svg"), inode("shared.svg"));
  // A file of 0640 stays 0640, one of 0604 stays 0604.
  for (const mode_t mode : {0640u, 0604u}) {
    put("mode.svg", "old\n");
    ::chmod(path("mode.svg").c_str(), mode);
    OutputFile file;
    ASSERT_FALSE(file.open(path("mode.svg")));
    file << "new\n";
    ASSERT_TRUE(file.commit().ok());
    struct stat status {};
    ::stat(path("mode.svg").c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, mode);
  }
}

// As root, whose new files would be root's: the replaced file keeps its owner and group, or,
// where they cannot be given, is written in place.
TEST_F(OutputFiles, AReplacedFileKeepsItsOwnerOrIsWrittenInPlace) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root makes a file that another user owns";
  for (const bool owner_given : {true, false}) {
    put("owned.svg", "old\n");
    ASSERT_EQ(::chown(path("owned.svg").c_str(), 65534, 65534), 0);
    const ino_t before = inode("owned.svg");
    {
      CallsReplaced replaced;
      if (!owner_given) {
        system_calls().change_owner = [](int, uid_t, gid_t) { return errno = EPERM, -1; };
      }
      OutputFile file;
      ASSERT_FALSE(file.open(path("owned.svg")));
      file << "new\n";
      ASSERT_TRUE(file.commit().ok());
    }
    struct stat status {};
    ::stat(path("owned.svg").c_str(), &status);
    EXPECT_EQ(status.st_uid, 65534u) << owner_given;
    EXPECT_EQ(status.st_gid, 65534u) << owner_given;
    EXPECT_EQ(inode("owned.svg") == before, !owner_given) << "written in place";
    EXPECT_EQ(contents("owned.svg"), "new\n");
  }
}

// The old file's extended attributes (an ACL is one) go to the new file; where one cannot
// be given, the old file is written in place and keeps them all.
TEST_F(OutputFiles, ExtendedAttributesAreKeptOrTheFileIsWrittenInPlace) {
  put("probe", "");
  if (::setxattr(path("probe").c_str(), "user.probe", "1", 1, 0) != 0) {
    GTEST_SKIP() << "the file system keeps no user attributes";
  }
  for (const bool attribute_given : {true, false}) {
    for (const bool object_file : {true, false}) {
      put("out.zul", "old\n");
      ASSERT_EQ(::setxattr(path("out.zul").c_str(), "user.note", "kept", 4, 0), 0);
      const ino_t before = inode("out.zul");
      {
        CallsReplaced replaced;
        if (!attribute_given) {
          system_calls().set_attribute = [](int, const char*, const void*, std::size_t) {
            return errno = ENOTSUP, -1;
          };
        }
        if (object_file) {
          PosixFileSystem files;
          auto sink = files.open_object(path("out.zul"));
          sink->write("new\n");
          sink->close();
        } else {
          OutputFile file;
          ASSERT_FALSE(file.open(path("out.zul")));
          file << "new\n";
          ASSERT_TRUE(file.commit().ok());
        }
      }
      char value[16] = {};
      const ssize_t size = ::getxattr(path("out.zul").c_str(), "user.note", value, sizeof value);
      EXPECT_EQ(std::string(value, size > 0 ? static_cast<std::size_t>(size) : 0), "kept");
      EXPECT_EQ(inode("out.zul") == before, !attribute_given) << "written in place";
      EXPECT_EQ(contents("out.zul"), "new\n");
    }
  }
}

}  // namespace
}  // namespace hornwall
