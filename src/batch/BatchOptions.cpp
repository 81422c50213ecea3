#include "batch/BatchOptions.h"

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

}  // namespace

const char* BatchUsage() {
  return "Usage: webaccess-batch [--yes | --answers LIST] [--time-limit SECONDS] [--] [WORD...]\n"
         "Runs one order without a window. The WORDs, joined by single blanks, are the\n"
         "command-line text the window would get: \"CCCCCCCPPPP,USERID,PASSWD\".\n"
         "  --yes                 answer every question Yes\n"
         "  --answers LIST        answer the questions in order from LIST (yes/no, comma-\n"
         "                        separated); then ask on the terminal, or No without one\n"
         "  --time-limit SECONDS  end as if the window were closed once this has passed\n"
         "Exit status: 0 run complete; 1 aborted by the server; 2 ended by a server error\n"
         "code; 3 time limit reached; 4 ended by the answers before any server contact;\n"
         "5 the server wants the user in its page; 6 the run cannot go on; 8 another\n"
         "client is running in this folder; 64 bad usage; 70 a work-file failure.\n"
         "The server is chosen as by the window: WEBACCESS_MAIN_URL and friends.\n";
}

std::optional<BatchOptions> ParseBatchArguments(const std::vector<std::string>& args,
                                                std::string& error) {
  BatchOptions options;
  std::vector<std::string> words;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !arg.starts_with("--")) {
      words.push_back(arg);
      options.wordPositions.push_back(i);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help") {
      options.help = true;
    } else if (arg == "--yes") {
      options.allYes = true;
    } else if (arg == "--answers") {
      if (i + 1 >= args.size()) {
        error = "--answers needs a list such as yes,no";
        return std::nullopt;
      }
      std::vector<bool> answers;
      if (!ParseAnswers(args[++i], answers)) {
        error = "--answers takes yes and no, comma-separated (is \"" + args[i] + "\")";
        return std::nullopt;
      }
      options.answers = std::move(answers);
    } else if (arg == "--time-limit") {
      if (i + 1 >= args.size()) {
        error = "--time-limit needs a number of seconds";
        return std::nullopt;
      }
      const std::string& text = args[++i];
      char* end = nullptr;
      const double seconds = std::strtod(text.c_str(), &end);
      if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(seconds) ||
          seconds <= 0) {
        error = "--time-limit needs a number of seconds above 0 (is \"" + text + "\")";
        return std::nullopt;
      }
      options.timeLimitSeconds = seconds;
    } else {
      error = "unknown option \"" + arg + "\" (put -- before words that begin with --)";
      return std::nullopt;
    }
  }
  if (options.allYes && options.answers) {
    error = "--yes and --answers exclude each other";
    return std::nullopt;
  }
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) options.commandLine += ' ';
    options.commandLine += words[i];
  }
  return options;
}

}  // namespace webaccess::batch
