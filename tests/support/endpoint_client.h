// Where a test finds the local HTTP endpoint that its CTest fixture started
// (tests/support/support.cmake).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lq::test {

class TestEndpoint {
 public:
  // Reads <stateDir>/port; nothing when the endpoint is not running. The directory is given as a
  // Linux path; under Wine it is reached through drive Z:.
  static std::optional<TestEndpoint> FromStateDir(std::string_view stateDir);

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by `path` (which starts with '/').
  std::string Url(std::string_view path) const;

 private:
  explicit TestEndpoint(int port) : port_(port) {}
  int port_;
};

// A Linux path as the running platform names it: unchanged natively, "Z:\..." under Windows.
std::string HostPath(std::string_view linuxPath);

#ifdef LQ_ENDPOINT_STATE_DIR
// The endpoint of the test program's fixture (lq_add_endpoint_test); nothing when not running.
inline std::optional<TestEndpoint> FixtureEndpoint() {
  return TestEndpoint::FromStateDir(LQ_ENDPOINT_STATE_DIR);
}
#endif

}  // namespace lq::test
