// Every fuzz target over its corpus (fuzz/corpus/<target>) and over the
// inputs that once broke the code (fuzz/regressions/<target>).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "FuzzSupport.h"
#include "FuzzTargets.h"

namespace webaccess::fuzz {
namespace {

namespace fs = std::filesystem;

const fs::path kInputs = WEBACCESS_FUZZ_INPUTS;

std::vector<fs::path> FilesIn(const fs::path& directory) {
  std::vector<fs::path> files;
  if (!fs::is_directory(directory)) return files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Runs the target over one input; a broken rule or an escaping exception
// fails the test and names the file.
void Replay(const FuzzTarget& target, const fs::path& file) {
  SCOPED_TRACE(file.string());
  const std::string bytes = ReadFile(file.string());
  try {
    target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  } catch (const InvariantBroken& broken) {
    ADD_FAILURE() << "invariant broken: " << broken.what();
  } catch (const std::exception& error) {
    ADD_FAILURE() << "exception: " << error.what();
  }
}

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {
 protected:
  ScratchDirectory scratch_;
};

TEST_P(FuzzReplay, CorpusKeepsEveryRule) {
  const std::vector<fs::path> corpus = FilesIn(kInputs / "corpus" / GetParam().name);
  // A corpus that went missing would let this test pass on nothing.
  ASSERT_GE(corpus.size(), 3u) << "corpus of " << GetParam().name << " not found under " << kInputs;
  for (const fs::path& file : corpus) Replay(GetParam(), file);
}

TEST_P(FuzzReplay, FormerFindingsStayFixed) {
  const fs::path folder = kInputs / "regressions" / GetParam().name;
  if (!fs::exists(folder)) {
    GTEST_SKIP() << "no input has broken " << GetParam().name << " yet; one that does is kept in "
                 << folder;
  }
  const std::vector<fs::path> findings = FilesIn(folder);
  ASSERT_FALSE(findings.empty()) << folder << " holds no input";
  for (const fs::path& file : findings) Replay(GetParam(), file);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         ::testing::ValuesIn(AllTargets().begin(), AllTargets().end()),
                         [](const ::testing::TestParamInfo<FuzzTarget>& target) {
                           return std::string(target.param.name);
                         });

}  // namespace
}  // namespace webaccess::fuzz
