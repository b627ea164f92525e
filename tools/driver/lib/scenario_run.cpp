#include <cstdio>
#include <cstdlib>
#include <optional>

#include "tools/driver/lib/controls.h"
#include "tools/driver/lib/message_boxes.h"
#include "tools/driver/lib/pixels.h"
#include "tools/driver/lib/round_trip.h"
#include "tools/driver/lib/scenario.h"
#include "tools/driver/lib/target_process.h"
#include "tools/driver/lib/wide.h"

namespace lq::driver {

namespace {

// A failed step: the reason, without the location (the runner adds it).
struct Failure {
  std::string reason;
};

std::string Quoted(const std::wstring& text) {
  std::string quoted(1, '"');
  quoted += WideToUtf8(text);
  quoted += '"';
  return quoted;
}

std::optional<long long> ParseNumber(std::string_view s) {
  if (s.empty()) return std::nullopt;
  const std::string text(s);
  char* end = nullptr;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const long long v = std::strtoll(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
  if (end == nullptr || *end != '\0') return std::nullopt;
  return v;
}

// Substitutes ${NAME}; false with `missing` set for an unknown name.
bool Substitute(std::string_view line, const std::map<std::string, std::string>& vars,
                std::string* out, std::string* missing) {
  out->clear();
  for (std::size_t i = 0; i < line.size();) {
    if (line.compare(i, 2, "${") == 0) {
      const std::size_t close = line.find('}', i + 2);
      if (close != std::string_view::npos) {
        const std::string name(line.substr(i + 2, close - i - 2));
        const auto it = vars.find(name);
        if (it == vars.end()) {
          *missing = name;
          return false;
        }
        *out += it->second;
        i = close + 1;
        continue;
      }
    }
    *out += line[i++];
  }
  return true;
}

std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string q = "\"";
  for (char c : arg) {
    if (c == '"') q += '\\';
    q += c;
  }
  return q + "\"";
}

class Runner {
 public:
  explicit Runner(const ScenarioOptions& options)
      : options_(options), timeout_(options.default_timeout_ms) {}

  void Run(const Step& step);

 private:
  const std::string& Arg(const Step& s, std::size_t i) {
    if (i >= s.args.size()) throw Failure{"missing argument " + std::to_string(i + 1)};
    return s.args[i];
  }
  long long Number(const Step& s, std::size_t i) {
    auto n = ParseNumber(Arg(s, i));
    if (!n) throw Failure{"not a number: " + s.args[i]};
    return *n;
  }
  DWORD Timeout(const Step& s) {
    auto it = s.options.find("timeout");
    if (it == s.options.end()) return timeout_;
    auto n = ParseNumber(it->second);
    if (!n || *n < 0) throw Failure{"bad timeout " + it->second};
    return static_cast<DWORD>(*n);
  }
  TargetProcess& Process() {
    if (!process_) throw Failure{"no program: start or attach first"};
    return *process_;
  }
  HWND Window() {
    if (!window_ || !IsWindow(window_)) throw Failure{"no current window: use wait-window first"};
    return window_;
  }
  // A control by id, or the current window for "window".
  HWND Target(const Step& s, std::size_t i) {
    const std::string& id = Arg(s, i);
    if (id == "window") return Window();
    auto n = ParseNumber(id);
    if (!n) throw Failure{"not a unit id: " + id};
    std::vector<HWND> tops = Process().TopLevelWindows();
    if (window_) tops.insert(tops.begin(), window_);
    HWND control = FindControl(tops, static_cast<std::uint32_t>(*n));
    if (!control) throw Failure{"no control with id " + id + " in the program's windows"};
    return control;
  }
  // Polls `check` until it gives no failure or the time is up; the last failure is reported.
  template <class Check>
  void WaitFor(DWORD timeoutMs, Check check) {
    const DWORD start = GetTickCount();
    for (;;) {
      std::optional<std::string> failure = check();
      if (!failure) return;
      if (GetTickCount() - start >= timeoutMs) {
        throw Failure{*failure + " (after " + std::to_string(timeoutMs) + " ms)"};
      }
      Sleep(25);
    }
  }
  std::wstring TextOf(HWND w) {
    auto text = ReadText(w);
    if (!text) throw Failure{"the window did not answer WM_GETTEXT"};
    return *text;
  }
  MessageBoxView Box() {
    if (box_.box && IsWindow(box_.box) && IsWindowVisible(box_.box)) return box_;
    auto boxes = OpenMessageBoxes(Process());
    if (boxes.empty()) throw Failure{"no message box is open"};
    return boxes.front();
  }
  void Press(std::string_view name) {
    auto id = MessageBoxButtonId(name);
    if (!id) throw Failure{"unknown button " + std::string(name)};
    const MessageBoxView box = Box();
    if (!PressMessageBoxButton(box.box, *id)) {
      throw Failure{"the message box " + Quoted(box.text) + " has no " + std::string(name) +
                    " button"};
    }
    box_ = {};
  }
  Pixels Capture(HWND w) {
    auto p = CaptureClient(w);
    if (!p) throw Failure{"could not read the pixels (hidden or empty window?)"};
    return *p;
  }

  void WaitWindow(const Step& s);
  void ExpectMessageBox(const Step& s);
  void ExpectPixel(const Step& s);

  const ScenarioOptions& options_;
  DWORD timeout_;
  std::optional<TargetProcess> process_;
  HWND window_ = nullptr;
  MessageBoxView box_;
};

void Runner::WaitWindow(const Step& s) {
  const auto opt = [&](const char* name) -> std::optional<std::string> {
    auto it = s.options.find(name);
    return it == s.options.end() ? std::nullopt : std::optional(it->second);
  };
  const auto title = opt("title"), cls = opt("class"), control = opt("control");
  const bool hiddenToo = opt("visible") == std::optional<std::string>("no");
  std::optional<long long> controlId;
  if (control && !(controlId = ParseNumber(*control))) throw Failure{"bad control id"};
  WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
    for (HWND w : Process().TopLevelWindows()) {
      if (!hiddenToo && !IsWindowVisible(w)) continue;
      if (cls && WideToUtf8(ClassOf(w)) != *cls) continue;
      if (title && WideToUtf8(ReadText(w).value_or(L"")) != *title) continue;
      if (controlId && !FindControl({w}, static_cast<std::uint32_t>(*controlId))) continue;
      window_ = w;
      return std::nullopt;
    }
    return "no such window of the program";
  });
}

void Runner::ExpectMessageBox(const Step& s) {
  std::optional<std::string> text, caption;
  if (!s.args.empty()) text = s.args[0];
  if (s.args.size() >= 3 && s.args[1] == "caption") caption = s.args[2];
  if (auto it = s.options.find("caption"); it != s.options.end()) caption = it->second;
  WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
    const auto boxes = OpenMessageBoxes(Process());
    if (boxes.empty()) return std::string("no message box appeared");
    std::string seen;
    for (const auto& b : boxes) {
      const bool textOk = !text || WideToUtf8(b.text) == *text;
      const bool captionOk = !caption || WideToUtf8(b.caption) == *caption;
      if (textOk && captionOk) {
        box_ = b;
        return std::nullopt;
      }
      seen += (seen.empty() ? "" : ", ") + Quoted(b.text) + " caption " + Quoted(b.caption);
    }
    return "message boxes open: " + seen;
  });
}

void Runner::ExpectPixel(const Step& s) {
  HWND w = Target(s, 0);
  const long long x = Number(s, 1), y = Number(s, 2);
  const std::string& colour = Arg(s, 3);
  auto want = ParseNumber(colour.size() == 7 && colour[0] == '#' ? "0x" + colour.substr(1) : "");
  if (!want) throw Failure{"colour must be #rrggbb"};
  long long tolerance = 0;
  if (auto it = s.options.find("tolerance"); it != s.options.end()) {
    tolerance = ParseNumber(it->second).value_or(0);
  }
  WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
    const Pixels p = Capture(w);
    if (x < 0 || y < 0 || x >= p.width || y >= p.height) {
      return "point outside the " + std::to_string(p.width) + "x" + std::to_string(p.height) +
             " area";
    }
    const std::uint32_t got = p.At(static_cast<int>(x), static_cast<int>(y));
    for (int shift : {0, 8, 16}) {
      const long long a = (got >> shift) & 0xFF, b = (*want >> shift) & 0xFF;
      if (a - b > tolerance || b - a > tolerance) {
        char hex[16];
        std::snprintf(hex, sizeof(hex), "#%06x", static_cast<unsigned>(got));
        return "pixel is " + std::string(hex);
      }
    }
    return std::nullopt;
  });
}

void Runner::Run(const Step& s) {
  const std::string& c = s.command;
  if (c == "start") {
    std::wstring cwd;
    if (auto it = s.options.find("cwd"); it != s.options.end()) cwd = Utf8ToWide(it->second);
    std::string args;
    for (std::size_t i = 1; i < s.args.size(); ++i) {
      if (i > 1) args += ' ';
      args += QuoteArgument(s.args[i]);
    }
    std::string error;
    process_.reset();
    process_ = TargetProcess::Start(Utf8ToWide(Arg(s, 0)), Utf8ToWide(args), cwd, &error);
    if (!process_) throw Failure{error};
    window_ = nullptr;
  } else if (c == "attach") {
    std::string error;
    process_ = TargetProcess::Attach(static_cast<DWORD>(Number(s, 0)), &error);
    if (!process_) throw Failure{error};
    window_ = nullptr;
  } else if (c == "wait-window") {
    WaitWindow(s);
  } else if (c == "expect-title") {
    HWND w = Window();
    const std::string& want = Arg(s, 0);
    WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
      const std::wstring got = TextOf(w);
      if (WideToUtf8(got) == want) return std::nullopt;
      return "title is " + Quoted(got);
    });
  } else if (c == "click") {
    HWND w = Target(s, 0);
    WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
      if (!ShownToUser(w)) return std::string("the control is hidden");
      if (!Usable(w)) return std::string("the control or its window is disabled");
      return std::nullopt;
    });
    Click(w);
  } else if (c == "set-text") {
    if (!WriteText(Target(s, 0), Utf8ToWide(Arg(s, 1)))) throw Failure{"WM_SETTEXT failed"};
  } else if (c == "expect-text" || c == "expect-text-contains") {
    HWND w = Target(s, 0);
    const std::string& want = Arg(s, 1);
    const bool whole = c == "expect-text";
    WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
      const std::wstring got = TextOf(w);
      const std::string utf8 = WideToUtf8(got);
      if (whole ? utf8 == want : utf8.find(want) != std::string::npos) return std::nullopt;
      return "expected \"" + want + "\", the text is " + Quoted(got);
    });
  } else if (c == "expect-enabled" || c == "expect-disabled") {
    HWND w = Target(s, 0);
    const bool want = c == "expect-enabled";
    WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
      if ((IsWindowEnabled(w) != FALSE) == want) return std::nullopt;
      return std::string(want ? "disabled" : "enabled");
    });
  } else if (c == "expect-visible" || c == "expect-hidden") {
    HWND w = Target(s, 0);
    const bool want = c == "expect-visible";
    WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
      if (ShownToUser(w) == want) return std::nullopt;
      return std::string(want ? "hidden" : "visible");
    });
  } else if (c == "select-tab") {
    std::string how;
    if (!SelectTab(Process(), Target(s, 0), static_cast<int>(Number(s, 1)), &how)) {
      throw Failure{how};
    }
    if (options_.log) options_.log("  (" + how + ")");
  } else if (c == "expect-tab") {
    HWND w = Target(s, 0);
    const long long want = Number(s, 1);
    WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
      const int got = SelectedTab(w);
      if (got == want) return std::nullopt;
      return "page " + std::to_string(got) + " is selected";
    });
  } else if (c == "expect-messagebox") {
    ExpectMessageBox(s);
  } else if (c == "round-trip") {
    if (!RoundTrip(s.args.empty() ? Window() : Target(s, 0), Timeout(s))) {
      throw Failure{"the program did not take its messages"};
    }
  } else if (c == "expect-no-messagebox") {
    WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
      const auto boxes = OpenMessageBoxes(Process());
      if (boxes.empty()) return std::nullopt;
      return "message box " + Quoted(boxes.front().text) + " is open";
    });
  } else if (c.rfind("press-", 0) == 0) {
    Press(std::string_view(c).substr(6));
  } else if (c == "press") {
    Press(Arg(s, 0));
  } else if (c == "tray") {
    if (!PostTrayAction(Window(), static_cast<int>(Number(s, 0)))) {
      throw Failure{"tray actions are 1, 2 and 3"};
    }
  } else if (c == "close") {
    CloseAsUser(Window());
  } else if (c == "expect-pixel") {
    ExpectPixel(s);
  } else if (c == "expect-not-blank") {
    HWND w = Target(s, 0);
    WaitFor(Timeout(s), [&]() -> std::optional<std::string> {
      if (Capture(w).DistinctColours() > 1) return std::nullopt;
      return std::string("the area is one colour");
    });
  } else if (c == "save-picture") {
    if (!SaveBmp(Capture(Target(s, 0)), WindowsPath(Utf8ToWide(Arg(s, 1))))) {
      throw Failure{"could not write " + s.args[1]};
    }
  } else if (c == "sleep") {
    Sleep(static_cast<DWORD>(Number(s, 0)));
  } else if (c == "timeout") {
    timeout_ = static_cast<DWORD>(Number(s, 0));
  } else if (c == "expect-exit") {
    const long long want = Number(s, 0);
    auto code = Process().WaitExit(Timeout(s));
    if (!code) throw Failure{"the program is still running"};
    if (static_cast<std::int32_t>(*code) != static_cast<std::int32_t>(want)) {
      throw Failure{"exit code " + std::to_string(static_cast<std::int32_t>(*code))};
    }
  } else if (c == "kill") {
    if (!Process().Terminate()) throw Failure{"not a running program that this scenario started"};
  } else if (c == "echo") {
    if (options_.log) options_.log(s.args.empty() ? std::string() : s.args[0]);
  } else {
    throw Failure{"unknown step " + c};
  }
}

}  // namespace

ScenarioResult RunScenario(std::string_view text, const ScenarioOptions& options) {
  Runner runner(options);
  std::map<std::string, std::string> vars = options.variables;
  ScenarioResult result;
  int lineNumber = 0;
  auto fail = [&](const std::string& line, const std::string& reason) {
    result.failed_line = lineNumber;
    result.message =
        options.source_name + ":" + std::to_string(lineNumber) + ": " + line + ": " + reason;
    return result;
  };
  for (std::size_t pos = 0; pos <= text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (lineNumber == 1 && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    const std::size_t first = raw.find_first_not_of(" \t");
    if (first == std::string_view::npos || raw[first] == '#') continue;
    std::string line, missing, error;
    if (!Substitute(raw.substr(first), vars, &line, &missing)) {
      return fail(std::string(raw.substr(first)), "unknown variable ${" + missing + "}");
    }
    Step step;
    if (!ParseStep(line, lineNumber, &step, &error)) return fail(line, error);
    if (step.command == "set") {
      if (step.args.size() < 2) return fail(line, "set needs a name and a value");
      vars[step.args[0]] = step.args[1];
      continue;
    }
    if (options.log)
      options.log(options.source_name + ":" + std::to_string(lineNumber) + ": " + line);
    try {
      runner.Run(step);
    } catch (const Failure& f) {
      return fail(line, f.reason);
    }
  }
  result.passed = true;
  return result;
}

ScenarioResult RunScenarioFile(const std::wstring& path, ScenarioOptions options) {
  const std::wstring windowsPath = WindowsPath(path);
  FILE* f = _wfopen(windowsPath.c_str(), L"rb");
  if (!f) {
    ScenarioResult r;
    r.message = "cannot read the scenario " + WideToUtf8(path);
    return r;
  }
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof(buffer), f)) > 0;) text.append(buffer, n);
  fclose(f);
  const auto slash = windowsPath.find_last_of(L"\\/");
  options.variables.emplace(
      "SCENARIO_DIR",
      WideToUtf8(slash == std::wstring::npos ? std::wstring(L".") : windowsPath.substr(0, slash)));
  if (options.source_name == ScenarioOptions{}.source_name) {
    options.source_name =
        WideToUtf8(slash == std::wstring::npos ? path : windowsPath.substr(slash + 1));
  }
  return RunScenario(text, options);
}

}  // namespace lq::driver
