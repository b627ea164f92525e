#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <thread>

#include "tests/errors/child_process.h"

extern char** environ;

namespace lq::test {
namespace {

std::string HelperPath() {
  char self[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
  std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  return path.substr(0, path.rfind('/') + 1) + "errors_fatal_child";
}

}  // namespace

FatalChild::FatalChild(const std::vector<std::string>& args, const std::string& stderrFile) {
  const std::string path = HelperPath();
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The sanitized child must see a failed allocation as a null result, as an unsanitized one does.
  std::vector<std::string> env_strings{"ASAN_OPTIONS=allocator_may_return_null=1"};
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "ASAN_OPTIONS=", 13) != 0) env_strings.emplace_back(*e);
  }
  std::vector<char*> envp;
  for (auto& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!stderrFile.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  pid_t pid = 0;
  started_ = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
  posix_spawn_file_actions_destroy(&actions);
  id_ = static_cast<unsigned long>(pid);
}

FatalChild::~FatalChild() {
  if (started_ && !reaped_) {
    kill(static_cast<pid_t>(id_), SIGKILL);
    waitpid(static_cast<pid_t>(id_), nullptr, 0);
  }
}

std::optional<std::uint32_t> FatalChild::Wait(int milliseconds) {
  for (int waited = 0;; waited += 5) {
    int status = 0;
    const pid_t done = waitpid(static_cast<pid_t>(id_), &status, WNOHANG);
    if (done == static_cast<pid_t>(id_)) {
      reaped_ = true;
      if (WIFEXITED(status)) return static_cast<std::uint32_t>(WEXITSTATUS(status));
      return 0x80000000u | static_cast<std::uint32_t>(WTERMSIG(status));
    }
    if (waited >= milliseconds) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::uint32_t MinusOneExitStatus() { return 255; }

}  // namespace lq::test
