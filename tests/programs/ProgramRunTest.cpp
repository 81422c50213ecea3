#include "programs/ProgramRunTest.h"

#include <unistd.h>

#include <algorithm>

#include "support/ScratchFiles.h"

namespace webaccess::programs {

namespace fs = std::filesystem;

void ProgramRunTest::SetUp() {
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(name.begin(), name.end(), '/', '-');
  const fs::path scratch =
      fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  dir_ = scratch / (prefix_ + "-" + std::to_string(::getpid()) + "-" + name);
  fs::remove_all(dir_);
  fs::create_directories(dir_);
}

void ProgramRunTest::TearDown() {
  sim_.reset();
  if (!HasFailure()) fs::remove_all(dir_);
}

void ProgramRunTest::StartSim(const std::vector<std::string>& args) {
  sim_ = std::make_unique<SimProcess>(WEBACCESS_SIM_PATH, dir_, args);
  ASSERT_FALSE(sim_->BaseUrl().empty()) << sim_->Errors();
}

std::map<std::string, std::string> ProgramRunTest::Environment() const {
  return {{"WEBACCESS_MAIN_URL", sim_ ? sim_->BaseUrl() : "http://127.0.0.1:9/"},
          {"WEBACCESS_WAIT_MS", "20"}};
}

BatchResult ProgramRunTest::RunBatch(const std::vector<std::string>& args,
                                     const std::map<std::string, std::string>& environment) const {
  return programs::RunBatch(WEBACCESS_BATCH_PATH, dir_, args, environment);
}

bool ProgramRunTest::ServerLogged(const std::string& part, std::chrono::milliseconds limit) const {
  return PollUntil([&] { return File("requests.log").find(part) != std::string::npos; }, limit);
}

std::string ProgramRunTest::File(const std::string& name) const {
  return testing::ReadFile(dir_ / name);
}

}  // namespace webaccess::programs
