#include "Reliability.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace webaccess::reliability {
namespace fs = std::filesystem;

namespace {

// "RESPONSE 12" gives 12; anything else 0.
int ResponseNumber(const std::string& line, const std::string& prefix) {
  if (!line.starts_with(prefix) || line.size() == prefix.size()) return 0;
  const std::string digits = line.substr(prefix.size());
  if (!std::all_of(digits.begin(), digits.end(), ::isdigit) || digits.size() > 9) return 0;
  return std::stoi(digits);
}

}  // namespace

ResponseFile ReadResponses(const std::string& text) {
  ResponseFile file;
  std::string rest;
  const std::vector<std::string> lines = testing::SplitLines(text, testing::LineEnds::CrLf, &rest);
  file.torn = !rest.empty();
  for (std::size_t i = 0; i < lines.size();) {
    const int number = ResponseNumber(lines[i], "RESPONSE ");
    if (number > 0 && i + 2 < lines.size() &&
        ResponseNumber(lines[i + 2], "END OF RESPONSE ") == number) {
      file.responses.push_back({number, lines[i + 1]});
      i += 3;
    } else if (number > 0 && i + 2 >= lines.size()) {
      file.torn = true;  // the file ends inside this response
      break;
    } else {
      file.stray.push_back(lines[i++]);
    }
  }
  return file;
}

void ExpectWholeOutput(const RunOutput& output, bool crashed) {
  const ResponseFile& file = output.parsed;
  EXPECT_TRUE(file.stray.empty()) << "lines outside any response, the first: " << file.stray[0];
  if (!crashed) {
    EXPECT_FALSE(file.torn) << "RESPONSE.QDK ends inside a response";
  }
  std::set<int> numbers;
  for (const Response& response : file.responses) {
    EXPECT_TRUE(numbers.insert(response.number).second)
        << "response " << response.number << " twice in one run";
  }
  std::string rest;
  const std::vector<std::string> audit =
      testing::SplitLines(output.audit, testing::LineEnds::CrLf, &rest);
  if (!crashed) {
    EXPECT_EQ(rest, "") << "AUDIT.QDK ends inside a line";
    EXPECT_EQ(audit.size(), file.responses.size()) << "one audit line per response";
  }
  for (std::size_t i = 0; i < std::min(audit.size(), file.responses.size()); ++i) {
    EXPECT_TRUE(testing::IsAuditStamp(audit[i].substr(0, 16))) << audit[i];
    EXPECT_EQ(audit[i].substr(std::min<std::size_t>(16, audit[i].size())),
              testing::AuditTail("ABC123", file.responses[i].record))
        << "audit line " << i + 1 << " against response " << file.responses[i].number;
  }
}

std::vector<Logged> Classify(const std::vector<std::string>& targets) {
  std::vector<Logged> log;
  std::map<std::string, int> seen;
  for (const std::string& target : targets) {
    const std::string path = target.substr(0, target.find('?'));
    std::string page;
    if (path.starts_with("/Zq3/_ffffs/")) {
      page = "File";
    } else {
      page = path.substr(path.rfind('/') + 1);
      if (page.ends_with(".asp")) page.resize(page.size() - 4);
    }
    log.push_back({page, ++seen[page], target});
  }
  return log;
}

std::set<std::pair<std::string, int>> FaultedSteps(const std::vector<std::string>& simArgs) {
  static const std::set<std::string> kFaults{"--drop-at", "--status500-at", "--short-body-at",
                                             "--redirect-loop-at"};
  std::set<std::pair<std::string, int>> steps;
  for (std::size_t i = 0; i + 1 < simArgs.size(); ++i) {
    if (!kFaults.contains(simArgs[i])) continue;
    const std::string& step = simArgs[i + 1];
    const std::size_t colon = step.find(':');
    steps.emplace(step.substr(0, colon),
                  colon == std::string::npos ? 1 : std::stoi(step.substr(colon + 1)));
  }
  return steps;
}

void ExpectDeletesFollowWholeDownloads(const std::vector<Logged>& log,
                                       const std::set<std::pair<std::string, int>>& faulted) {
  const Logged* download = nullptr;
  const Logged* previous = nullptr;
  for (const Logged& entry : log) {
    // A request logged twice in a row was sent again by the transport on a
    // fresh connection: it is one delete request.
    const bool again = previous != nullptr && previous->target == entry.target;
    previous = &entry;
    if (entry.page == "File") download = &entry;
    if (entry.page != "V7Delete" || again) continue;
    if (download == nullptr) {
      ADD_FAILURE() << "delete request " << entry.occurrence << " without a download before it";
    } else {
      EXPECT_FALSE(faulted.contains({"File", download->occurrence}))
          << "delete request " << entry.occurrence << " after download " << download->occurrence
          << ", which the server did not answer in full";
    }
    download = nullptr;
  }
}

std::size_t Count(const std::vector<Logged>& log, const std::string& part) {
  return static_cast<std::size_t>(std::count_if(log.begin(), log.end(), [&](const Logged& l) {
    return l.target.find(part) != std::string::npos;
  }));
}

void ReliabilityTest::WriteInquiry(int records, std::size_t length) {
  records_.clear();
  std::ofstream out(dir_ / "INQUIRY.QDK", std::ios::binary);
  for (int n = 1; n <= records; ++n) {
    records_.push_back(testing::InquiryRecord(n, length));
    out << records_.back() << "\r\n";
  }
}

BatchResult ReliabilityTest::Run(const std::string& timeLimit, std::vector<std::string> args) {
  std::vector<std::string> all{"--time-limit", timeLimit, "--yes"};
  all.insert(all.end(), args.begin(), args.end());
  all.push_back(kCredentials);
  BatchResult result = RunBatch(all, Environment());
  ExpectNoSecrets({result.out, result.err});
  return result;
}

std::unique_ptr<Child> ReliabilityTest::Start(std::map<std::string, std::string> extraEnvironment,
                                              Child::Options options,
                                              const std::string& timeLimit) {
  options.name = "batch";
  options.environment = Environment();
  options.environment.merge(extraEnvironment);
  return std::make_unique<Child>(dir_,
                                 std::vector<std::string>{WEBACCESS_BATCH_PATH, "--time-limit",
                                                          timeLimit, "--yes", kCredentials},
                                 options);
}

RunOutput ReliabilityTest::Collect() const {
  RunOutput output{File("RESPONSE.QDK"), File("AUDIT.QDK"), {}};
  output.parsed = ReadResponses(output.response);
  return output;
}

void ReliabilityTest::ExpectNoSecrets(const std::vector<std::string>& texts) const {
  std::vector<std::pair<std::string, std::string>> places;
  for (const char* name : {"TRACE.QDK", "MESSAGE.QDK", "AUDIT.QDK", "RESPONSE.QDK", "RESPONSE.BAK",
                           "DOWN.TXT", "batch.out", "batch.err"}) {
    places.emplace_back(name, File(name));
  }
  for (const std::string& text : texts) places.emplace_back("printed", text);
  for (const auto& [place, text] : places) {
    for (const char* secret : {kCompanyPassword, kUserPassword}) {
      EXPECT_EQ(text.find(secret), std::string::npos) << secret << " in " << place << ":\n" << text;
    }
  }
}

std::vector<std::string> ReliabilityTest::Requests(std::size_t from) const {
  std::vector<std::string> lines;
  std::istringstream in(File("requests.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  lines.erase(lines.begin(),
              lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())));
  return lines;
}

}  // namespace webaccess::reliability
