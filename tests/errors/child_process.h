// Runs the helper program errors_fatal_child, which lies beside the test program, as a child
// process, so a test can see how a fatal error really ends a process.
#pragma once

#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace lq::test {

class FatalChild {
 public:
  // Starts the helper with these arguments; its stderr goes to `stderrFile` when one is named.
  explicit FatalChild(const std::vector<std::string>& args, const std::string& stderrFile = "");
  ~FatalChild();  // ends the child if it still runs
  FatalChild(const FatalChild&) = delete;
  FatalChild& operator=(const FatalChild&) = delete;

  bool started() const { return started_; }
  unsigned long id() const { return id_; }

  // The exit status once the child has ended, nullopt if it still runs after that many
  // milliseconds.
  std::optional<std::uint32_t> Wait(int milliseconds);

 private:
  bool started_ = false;
  unsigned long id_ = 0;
  void* handle_ = nullptr;  // the process handle on Windows
  bool reaped_ = false;
};

// The status that a process ending with exit code -1 leaves to its parent: 0xFFFFFFFF from
// GetExitCodeProcess on Windows, 255 from waitpid elsewhere.
std::uint32_t MinusOneExitStatus();

// Reads a whole file; empty if it does not exist.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace lq::test
