// Scenarios: plain step lists that drive the program as a user would. One step per line, UTF-8;
// '#' starts a comment line; ${NAME} is replaced by a variable. The steps are listed in
// tools/driver/README.md.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lq::driver {

struct Step {
  int line = 0;
  std::string text;                            // the line as written (after substitution)
  std::string command;                         // e.g. "expect-text"
  std::vector<std::string> args;               // positional arguments, quotes removed
  std::map<std::string, std::string> options;  // name=value arguments
};

// Splits one line into a step; false with `error` set when the line is malformed.
bool ParseStep(std::string_view line, int lineNumber, Step* step, std::string* error);

struct ScenarioOptions {
  std::string source_name = "scenario";  // named in failure messages
  std::map<std::string, std::string> variables;
  unsigned default_timeout_ms = 10000;
  std::function<void(const std::string&)> log;  // each step as it runs, when set
};

struct ScenarioResult {
  bool passed = false;
  int failed_line = 0;  // 0 when passed
  std::string message;  // "<source>:<line>: <step>: <reason>" on failure
};

ScenarioResult RunScenario(std::string_view text, const ScenarioOptions& options);
// Reads the file (UTF-8) and runs it; SCENARIO_DIR is set to the file's directory.
ScenarioResult RunScenarioFile(const std::wstring& path, ScenarioOptions options);

}  // namespace lq::driver
