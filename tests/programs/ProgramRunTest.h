#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "programs/SimProcess.h"

namespace webaccess::programs {

// The set-up of the tests that run whole programs: a fresh working directory
// per test (kept when the test fails), webaccess-sim and webaccess-batch
// started in it.
class ProgramRunTest : public ::testing::Test {
 protected:
  // `prefix` begins the working directory's name.
  explicit ProgramRunTest(std::string prefix) : prefix_(std::move(prefix)) {}
  void SetUp() override;
  void TearDown() override;

  // Starts a server; a server started after an earlier one logs to the same
  // file, after the earlier one's lines.
  void StartSim(const std::vector<std::string>& args = {});
  // The batch client's environment against the running server (without
  // one, a port nobody listens on) and a poll interval of 20 ms.
  std::map<std::string, std::string> Environment() const;
  // webaccess-batch in the working directory.
  BatchResult RunBatch(const std::vector<std::string>& args,
                       const std::map<std::string, std::string>& environment) const;

  std::string File(const std::string& name) const;
  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }
  // The requests the servers of this test have logged, in order.
  std::vector<std::string> Requests() const { return sim_->Requests(); }
  // Whether, within `limit`, the servers of this test log a request that
  // holds `part`.
  bool ServerLogged(const std::string& part, std::chrono::milliseconds limit) const;

  std::filesystem::path dir_;
  std::unique_ptr<SimProcess> sim_;

 private:
  std::string prefix_;
};

}  // namespace webaccess::programs
