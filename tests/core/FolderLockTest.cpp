// The folder lock at the operating-system seam: taken, refused while it is
// held, taken again once it is free whoever made its file, and failing when
// its file cannot be opened.
#include "os/FolderLock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/Harness.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace webaccess::os {
namespace {

using testing::FileExists;
using testing::ReadFile;

// Runs the body while the lock is in some state, with the process id that
// the lock should name as its holder (0: none, or not known here).
using Around = std::function<void(const std::function<void(long holder)>& body)>;

void FreeFolder(const std::function<void(long)>& body) { body(0); }

// This process holds the lock already, through a lock of its own.
void HeldHere(const std::function<void(long)>& body) {
  const FolderLock first = FolderLock::Take();
  ASSERT_EQ(first.state(), FolderLock::State::Held);
#ifdef _WIN32
  body(0);
#else
  body(static_cast<long>(::getpid()));
#endif
}

#ifndef _WIN32
// Runs `body` while a child process holds the folder's lock.
void HeldByAnotherProcess(const std::function<void(long)>& body) {
  int ready[2];
  int done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    ::close(done[1]);
    const FolderLock lock = FolderLock::Take();
    const char state = lock.state() == FolderLock::State::Held ? 'H' : 'x';
    if (::write(ready[1], &state, 1) != 1) ::_exit(1);
    char ignored = 0;
    if (::read(done[0], &ignored, 1) < 0) ::_exit(1);  // until the parent closes its end
    ::_exit(0);
  }
  ::close(ready[1]);
  ::close(done[0]);
  char state = 0;
  ASSERT_EQ(::read(ready[0], &state, 1), 1);
  ASSERT_EQ(state, 'H');
  body(static_cast<long>(child));
  ::close(done[1]);
  ::close(ready[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
}

// A lock file that root made with the usual umask (0644), taken by a client
// that runs as another user, who may only read it.
void AnotherUsersLockFile(const std::function<void(long)>& body) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make a file that another user can only read";
  testing::WriteFile(kFolderLockFile, "");
  ::chmod(kFolderLockFile, 0644);
  ::chmod(".", 0755);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    const FolderLock lock = FolderLock::Take();
    ::_exit(lock.state() == FolderLock::State::Held ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the other user could not take the lock";
  body(0);  // and the folder is free again
}
#endif

struct LockCase {
  const char* name;
  Around around;
  FolderLock::State state;
};

void PrintTo(const LockCase& c, std::ostream* out) { *out << c.name; }

class FolderLockTest : public ::testing::TestWithParam<LockCase> {};

TEST_P(FolderLockTest, IsTakenOnlyWhenNoLiveProcessHoldsIt) {
  const LockCase& c = GetParam();
  testing::ScratchDirectory directory;
  c.around([&](long holder) {
    const FolderLock lock = FolderLock::Take();
    EXPECT_EQ(lock.state(), c.state) << lock.error();
    EXPECT_EQ(lock.holder(), holder);
    EXPECT_EQ(ReadFile(kFolderLockFile), "");
  });
  // Released with its holder: the folder is free again.
  EXPECT_EQ(FolderLock::Take().state(), FolderLock::State::Held);
  EXPECT_TRUE(FileExists(kFolderLockFile));
}

const LockCase kCases[] = {
    {"AFreeFolder", FreeFolder, FolderLock::State::Held},
    {"HeldByThisProcess", HeldHere, FolderLock::State::HeldByOther},
#ifndef _WIN32
    {"HeldByAnotherProcess", HeldByAnotherProcess, FolderLock::State::HeldByOther},
    {"AnotherUsersLockFile", AnotherUsersLockFile, FolderLock::State::Held},
#endif
};

INSTANTIATE_TEST_SUITE_P(States, FolderLockTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(FolderLock, FailsNamingTheFileWhenItCannotBeOpened) {
  testing::ScratchDirectory directory;
  std::filesystem::create_directory(kFolderLockFile);
  const FolderLock lock = FolderLock::Take();
  EXPECT_EQ(lock.state(), FolderLock::State::Failed);
  EXPECT_NE(lock.error().find(kFolderLockFile), std::string::npos) << lock.error();
}

}  // namespace
}  // namespace webaccess::os
