// The folder lock at the operating-system seam: taken, refused while another
// process holds it, and failing when its file cannot be opened.
#include "os/FolderLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "support/Harness.h"

namespace webaccess::os {
namespace {

using testing::FileExists;
using testing::ReadFile;

// Runs `body` while a child process holds the folder's lock.
void WhileAnotherProcessHoldsIt(const std::function<void(pid_t)>& body) {
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
  body(child);
  ::close(done[1]);
  ::close(ready[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
}

TEST(FolderLock, IsTakenOnceAndRefusedToAnotherProcessWithoutAChange) {
  struct Case {
    const char* name;
    std::function<void(const std::function<void(pid_t)>&)> around;
    FolderLock::State state;
    bool holderKnown;
  };
  const Case cases[] = {
      {.name = "a free folder",
       .around = [](const std::function<void(pid_t)>& body) { body(0); },
       .state = FolderLock::State::Held,
       .holderKnown = false},
      {.name = "a folder another process holds",
       .around = WhileAnotherProcessHoldsIt,
       .state = FolderLock::State::HeldByOther,
       .holderKnown = true},
  };
  for (const Case& c : cases) {
    testing::ScratchDirectory directory;
    c.around([&](pid_t other) {
      const FolderLock lock = FolderLock::Take();
      EXPECT_EQ(lock.state(), c.state) << c.name;
      EXPECT_EQ(lock.holder(), c.holderKnown ? other : 0) << c.name;
      EXPECT_EQ(ReadFile(kFolderLockFile), "") << c.name;
    });
    // Released with its holder: the folder is free again.
    EXPECT_EQ(FolderLock::Take().state(), FolderLock::State::Held) << c.name;
    EXPECT_TRUE(FileExists(kFolderLockFile)) << c.name;
  }
}

TEST(FolderLock, FailsNamingTheFileWhenItCannotBeOpened) {
  testing::ScratchDirectory directory;
  std::filesystem::create_directory(kFolderLockFile);
  const FolderLock lock = FolderLock::Take();
  EXPECT_EQ(lock.state(), FolderLock::State::Failed);
  EXPECT_NE(lock.error().find(kFolderLockFile), std::string::npos) << lock.error();
}

}  // namespace
}  // namespace webaccess::os
