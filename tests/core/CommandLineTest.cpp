#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace webaccess::app {
namespace {

struct Fields {
  std::string company, password, user, userPassword;
};

Fields Take(std::string_view commandLine) {
  app::Credentials g;
  TakeCredentials(commandLine, g);
  return {g.CompanyNumber.Value(), g.CompanyPassword.Value(), g.UserId.Value(),
          g.UserPassword.Value()};
}

TEST(FixedField, NeverStoredHoldsNulsAndStoringPadsOrCuts) {
  FixedField<4> field;
  EXPECT_EQ(field.Value(), std::string(4, '\0'));
  field.Store("ab");
  EXPECT_EQ(field.Value(), "ab  ");
  field.Store("abcdef");
  EXPECT_EQ(field.Value(), "abcd");
}

TEST(Credentials, EmptyCommandLineBlanksAllButTheCompanyPassword) {
  app::Credentials g;
  TakeCredentials("", g);
  EXPECT_EQ(g.CompanyNumber.Value(), "       ");
  EXPECT_EQ(g.UserId.Value(), "      ");
  EXPECT_EQ(g.UserPassword.Value(), "      ");
  EXPECT_EQ(g.CompanyPassword.Value(), std::string(4, '\0'));
}

TEST(Credentials, FullSegmentsFillTheFieldsExactly) {
  const Fields c = Take("1234567PASS,ABC123,PW12");
  EXPECT_EQ(c.company, "1234567");
  EXPECT_EQ(c.password, "PASS");
  EXPECT_EQ(c.user, "ABC123");
  EXPECT_EQ(c.userPassword, "PW12  ");
}

TEST(Credentials, ACommaInTheSixthPlaceOfTheUserPasswordIsDropped) {
  EXPECT_EQ(Take("1234567PASS,ABC123,PW123,").userPassword, "PW123 ");
  EXPECT_EQ(Take("1234567PASS,ABC123,PW12,").userPassword, "PW12, ");
  EXPECT_EQ(Take("1234567PASS,ABC123,PW1234,").userPassword, "PW1234");
}

TEST(Credentials, FieldsAreCutByPositionNotByCommas) {
  const Fields shortFirst = Take("12345,ABC123,PW");
  EXPECT_EQ(shortFirst.company, "12345,A");
  EXPECT_EQ(shortFirst.password, "BC12");
  EXPECT_EQ(shortFirst.user, "ABC123");
  EXPECT_EQ(shortFirst.userPassword, "PW    ");

  const Fields noComma = Take("ABCDEFGHIJ");
  EXPECT_EQ(noComma.user, "ABCDEF");
  EXPECT_EQ(noComma.userPassword, "ABCDEF");

  EXPECT_EQ(Take("1234567PASS,ABCDEFGH,PW").user, "ABCDEF");
}

TEST(Credentials, ArgumentsAreJoinedBySingleBlanks) {
  const char* argv[] = {"webaccess", "1234567PASS,ABC", "123,PW"};
  EXPECT_EQ(JoinArguments(3, argv), "1234567PASS,ABC 123,PW");
  EXPECT_EQ(JoinArguments(1, argv), "");
}

struct HiddenCase {
  std::vector<std::string> args;  // the words of the command-line text
  std::vector<std::string> shown;
};

TEST(Credentials, ThePasswordCharactersAreOverwrittenInTheArgumentsAsTheyAreTaken) {
  const HiddenCase cases[] = {
      {.args = {"1234567PASS,ABC123,PW1234"}, .shown = {"1234567xxxx,ABC123,xxxxxx"}},
      {.args = {"1234567PASS,ABC123,PW12"}, .shown = {"1234567xxxx,ABC123,xxxx"}},
      // A password may be cut by a blank between two arguments; the blank stays.
      {.args = {"1234567PA", "S,ABC123,P", "W"}, .shown = {"1234567xx", "x,ABC123,x", "x"}},
      // What the cut by position takes, whatever the commas say.
      {.args = {"12345,ABC123,PW"}, .shown = {"12345,Axxxx3,xx"}},
      {.args = {"ABCDEFGHIJKL"}, .shown = {"xxxxxxGxxxxL"}},
      {.args = {}, .shown = {}},
  };
  for (const HiddenCase& c : cases) {
    std::vector<std::string> storage = c.args;
    std::vector<char*> words;
    for (std::string& arg : storage) words.push_back(arg.data());
    HidePasswords(words);
    EXPECT_EQ(storage, c.shown) << ::testing::PrintToString(c.args);
  }
}

}  // namespace
}  // namespace webaccess::app
