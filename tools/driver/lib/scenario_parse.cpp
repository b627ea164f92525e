#include <cctype>

#include "tools/driver/lib/scenario.h"

namespace lq::driver {

namespace {

bool IsOptionName(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!(std::islower(static_cast<unsigned char>(c)) || c == '-' || c == '_')) return false;
  }
  return true;
}

}  // namespace

bool ParseStep(std::string_view line, int lineNumber, Step* step, std::string* error) {
  *step = Step{};
  step->line = lineNumber;
  step->text = std::string(line);
  std::vector<std::string> tokens;
  std::vector<bool> optionToken;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string token;
    bool quotedYet = false;
    std::size_t optionEquals = std::string::npos;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
      if (line[i] == '"') {
        ++i;
        bool closed = false;
        while (i < line.size()) {
          char c = line[i++];
          if (c == '"') {
            closed = true;
            break;
          }
          if (c == '\\' && i < line.size()) {
            const char e = line[i++];
            c = e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
          }
          token += c;
        }
        if (!closed) {
          *error = "unclosed quote";
          return false;
        }
        quotedYet = true;
      } else {
        if (line[i] == '=' && !quotedYet && optionEquals == std::string::npos) {
          optionEquals = token.size();
        }
        token += line[i++];
      }
    }
    const bool option = optionEquals != std::string::npos &&
                        IsOptionName(std::string_view(token).substr(0, optionEquals));
    if (option) {
      step->options[token.substr(0, optionEquals)] = token.substr(optionEquals + 1);
    } else {
      tokens.push_back(std::move(token));
    }
    optionToken.push_back(option);
  }
  if (tokens.empty() || optionToken.front()) {
    *error = "a step starts with its command";
    return false;
  }
  step->command = tokens.front();
  step->args.assign(tokens.begin() + 1, tokens.end());
  return true;
}

}  // namespace lq::driver
