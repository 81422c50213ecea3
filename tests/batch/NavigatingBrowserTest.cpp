#include "platform/batch/NavigatingBrowser.h"

#include <gtest/gtest.h>

#include <map>

#include "Fakes.h"

namespace webaccess::platform::batch {
namespace {

using webaccess::testing::VirtualClock;

// Answers each wire URL from a table at the next poll; unknown URLs fail.
class TableHttp : public HttpClient {
 public:
  std::uint64_t Get(const std::string& url, Done done) override {
    sent.push_back(url);
    pending_[next_] = {url, std::move(done)};
    return next_++;
  }
  void Cancel(std::uint64_t id) override {
    pending_.erase(id);
    ++cancelled;
  }
  void Poll() override {
    auto now = std::move(pending_);
    pending_.clear();
    for (auto& [id, request] : now) {
      const auto it = table.find(request.first);
      HttpAnswer answer;
      if (it == table.end()) {
        answer.error = "Could not connect";
      } else {
        answer = it->second;
      }
      request.second(answer);
    }
  }
  bool Busy() const override { return !pending_.empty(); }
  void Wait(int) override {}

  std::map<std::string, HttpAnswer> table;
  std::vector<std::string> sent;
  int cancelled = 0;

 private:
  std::uint64_t next_ = 1;
  std::map<std::uint64_t, std::pair<std::string, Done>> pending_;
};

HttpAnswer RedirectTo(const std::string& location) { return {true, {}, 302, location}; }
HttpAnswer PageOf(long status) { return {true, {}, status, {}}; }

class BrowserTest : public ::testing::Test {
 protected:
  BrowserTest() {
    loop_.SetSource(&http_);
    browser_.SetHandlers([this](const std::string& url) { completed_.push_back(url); },
                         [this](const std::string& url, const std::string& why) {
                           failures_.push_back(url + " : " + why);
                         },
                         [this](const std::string& why) { refusals_.push_back(why); });
  }
  void Settle() {
    for (int i = 0; i < 50 && !loop_.Idle(); ++i) loop_.Turn(0);
  }

  VirtualClock clock_;
  EventLoop loop_{clock_};
  TableHttp http_;
  NavigatingBrowser browser_{http_, loop_, 3};
  std::vector<std::string> completed_;
  std::vector<std::string> failures_;
  std::vector<std::string> refusals_;
};

TEST_F(BrowserTest, ReportsTheLastLocationAsTheServerWroteIt) {
  const std::string reply = "http://s/Zq3/Reply.asp?ACTION=MSG&REPLY=7|SERVER%20IS%20BUSY";
  http_.table["http://s/Zq3/V7Message.asp?ACTION="] = RedirectTo(reply);
  http_.table["http://s/Zq3/Reply.asp?ACTION=MSG&REPLY=7%7CSERVER%20IS%20BUSY"] = PageOf(200);
  browser_.Navigate("http://s/Zq3/V7Message.asp?ACTION=");
  EXPECT_TRUE(completed_.empty()) << "never completes inside Navigate";
  Settle();
  EXPECT_EQ(completed_, std::vector<std::string>{reply});
  EXPECT_TRUE(failures_.empty());
}

TEST_F(BrowserTest, EscapesOnlyOnTheWire) {
  const std::string url = "http://s/Zq3/V7Main.asp?ACTION=REQ&TheRecord=143015!A B|C%26";
  http_.table["http://s/Zq3/V7Main.asp?ACTION=REQ&TheRecord=143015!A%20B%7CC%26"] = PageOf(200);
  browser_.Navigate(url);
  Settle();
  EXPECT_EQ(completed_, std::vector<std::string>{url});
}

TEST_F(BrowserTest, AnErrorPageCompletesAndThenFailsUnlessANewerNavigationStarted) {
  http_.table["http://s/Zq3/V7Count.asp?ACTION="] = PageOf(500);
  browser_.Navigate("http://s/Zq3/V7Count.asp?ACTION=");
  Settle();
  EXPECT_EQ(completed_, std::vector<std::string>{"http://s/Zq3/V7Count.asp?ACTION="});
  EXPECT_EQ(failures_,
            std::vector<std::string>{"http://s/Zq3/V7Count.asp?ACTION= : HTTP status 500"});

  http_.table["http://s/next"] = PageOf(200);
  browser_.Navigate("http://s/Zq3/V7Count.asp?ACTION=");
  http_.Poll();  // the error page's completion and failure are pending
  browser_.Navigate("http://s/next");
  Settle();
  EXPECT_EQ(failures_.size(), 1u);
}

TEST_F(BrowserTest, ANavigationWithoutAnAnswerCompletesNothing) {
  http_.table["http://s/a"] = RedirectTo("http://s/gone");
  browser_.Navigate("http://s/a");
  Settle();
  EXPECT_TRUE(completed_.empty());
  EXPECT_EQ(failures_, std::vector<std::string>{"http://s/a : Could not connect"});
  EXPECT_TRUE(loop_.Idle());
}

TEST_F(BrowserTest, GivesUpAfterTooManyRedirects) {
  http_.table["http://s/loop"] = RedirectTo("/loop");
  browser_.Navigate("http://s/loop");
  Settle();
  EXPECT_TRUE(completed_.empty());
  EXPECT_EQ(http_.sent.size(), 4u) << "the first request and three redirects";
  EXPECT_EQ(failures_, std::vector<std::string>{"http://s/loop : more than 3 redirects"});
}

TEST_F(BrowserTest, ANewNavigationAbandonsTheOneUnderWay) {
  http_.table["http://s/one"] = PageOf(200);
  http_.table["http://s/two"] = PageOf(200);
  browser_.Navigate("http://s/one");
  browser_.Navigate("http://s/two");
  Settle();
  EXPECT_EQ(http_.cancelled, 1);
  EXPECT_EQ(completed_, std::vector<std::string>{"http://s/two"});
}

TEST_F(BrowserTest, EachCompletionReadsItsOwnLocation) {
  http_.table["http://s/one"] = PageOf(200);
  http_.table["http://s/two"] = PageOf(200);
  browser_.Navigate("http://s/one");
  http_.Poll();  // completed, its event pending
  browser_.Navigate("http://s/two");
  http_.Poll();
  Settle();
  EXPECT_EQ(completed_, (std::vector<std::string>{"http://s/one", "http://s/two"}));
}

TEST_F(BrowserTest, QuitLeavesTheNavigationAndLaterOnesGoing) {
  http_.table["http://s/one"] = PageOf(200);
  http_.table["http://s/two"] = PageOf(200);
  browser_.Navigate("http://s/one");
  browser_.Quit();
  Settle();
  browser_.Navigate("http://s/two");
  Settle();
  EXPECT_EQ(completed_, (std::vector<std::string>{"http://s/one", "http://s/two"}));
  EXPECT_EQ(http_.sent.size(), 2u);
}

}  // namespace
}  // namespace webaccess::platform::batch
