#include "batch/BatchOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace webaccess::batch {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool ParseAnswers(const std::string& list, std::vector<bool>& answers) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    const std::string word = Lower(list.substr(start, comma - start));
    if (word == "yes" || word == "y") {
      answers.push_back(true);
    } else if (word == "no" || word == "n") {
      answers.push_back(false);
    } else {
      return false;
    }
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// The options and the words they fill. Words that begin with "-" follow "--".
struct Parser {
  CLI::App app{
      "Runs one order without a window. The WORDs, joined by single blanks, are the\n"
      "command-line text the window would get: \"CCCCCCCPPPP,USERID,PASSWD\".",
      "webaccess-batch"};
  BatchOptions options;
  std::string answerList;
  std::string timeLimit;
  std::vector<std::string> words;
  CLI::Option* answersOption = nullptr;
  CLI::Option* timeLimitOption = nullptr;

  Parser() {
    app.set_help_flag("-h,--help", "print this help and exit");
    app.add_flag("--version", options.version, "print the version and exit");
    auto* yes = app.add_flag("--yes", options.allYes, "answer every question Yes");
    answersOption =
        app.add_option("--answers", answerList,
                       "answer the questions in order from LIST (yes/no, comma-\n"
                       "separated); then ask on the terminal, or No without one")
            ->type_name("LIST")
            ->check(CLI::Validator(
                [](std::string& text) -> std::string {
                  std::vector<bool> parsed;
                  return ParseAnswers(text, parsed)
                             ? std::string()
                             : "takes yes and no, comma-separated (is \"" + text + "\")";
                },
                ""));
    yes->excludes(answersOption);
    timeLimitOption = app.add_option("--time-limit", timeLimit,
                                     "end as if the window were closed once this has passed")
                          ->type_name("SECONDS")
                          ->check(CLI::Validator(
                              [](std::string& text) -> std::string {
                                char* end = nullptr;
                                const double seconds = std::strtod(text.c_str(), &end);
                                if (text.empty() || end != text.c_str() + text.size() ||
                                    !std::isfinite(seconds) || seconds <= 0) {
                                  return "needs a number of seconds above 0 (is \"" + text + "\")";
                                }
                                return {};
                              },
                              ""));
    app.add_option("WORD", words, "the command-line text, word by word");
    app.footer(
        "Exit status: 0 run complete; 1 aborted by the server; 2 ended by a server error\n"
        "code; 3 time limit reached; 4 ended by the answers before any server contact;\n"
        "5 the server wants the user in its page; 6 the run cannot go on; 7 the server's\n"
        "certificate was refused; 8 another client is running in this folder; 9 No to\n"
        "\"TIRED OF WAITING?\"; 64 bad usage; 70 a work-file failure; 128 + N stopped by\n"
        "signal N (SIGINT 130, SIGTERM 143) once a pick-up under way has finished.\n"
        "The server is chosen as by the window: WEBACCESS_MAIN_URL and friends.");
  }
};

// Where the words stand among the arguments, by the same rules the parser
// follows: after "--" everything is a word; before it, "--answers" and
// "--time-limit" take the next argument, and anything else that begins with
// "-" is an option.
std::vector<std::size_t> WordPositions(const std::vector<std::string>& args) {
  std::vector<std::size_t> positions;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !arg.starts_with("-")) {
      positions.push_back(i);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--answers" || arg == "--time-limit") {
      ++i;
    }
  }
  return positions;
}

}  // namespace

std::string BatchUsage() { return Parser().app.help(); }

std::optional<BatchOptions> ParseBatchArguments(const std::vector<std::string>& args,
                                                std::string& error) {
  Parser parser;
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    parser.app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    parser.options.help = true;
    return parser.options;
  } catch (const CLI::ParseError& e) {
    error = e.what();
    return std::nullopt;
  }
  BatchOptions options = std::move(parser.options);
  if (parser.answersOption->count() > 0) {
    std::vector<bool> answers;
    ParseAnswers(parser.answerList, answers);
    options.answers = std::move(answers);
  }
  if (parser.timeLimitOption->count() > 0)
    options.timeLimitSeconds = std::strtod(parser.timeLimit.c_str(), nullptr);
  for (std::size_t i = 0; i < parser.words.size(); ++i) {
    if (i > 0) options.commandLine += ' ';
    options.commandLine += parser.words[i];
  }
  // The positions are used only where they name exactly the words parsed.
  std::vector<std::size_t> positions = WordPositions(args);
  if (positions.size() == parser.words.size() &&
      std::equal(positions.begin(), positions.end(), parser.words.begin(),
                 [&args](std::size_t at, const std::string& word) { return args[at] == word; })) {
    options.wordPositions = std::move(positions);
  }
  return options;
}

}  // namespace webaccess::batch
