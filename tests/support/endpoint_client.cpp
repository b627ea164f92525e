#include "tests/support/endpoint_client.h"

#include <fstream>

namespace lq::test {

std::string HostPath(std::string_view linuxPath) {
#ifdef _WIN32
  std::string path = "Z:";
  for (char c : linuxPath) path += c == '/' ? '\\' : c;
  return path;
#else
  return std::string(linuxPath);
#endif
}

std::optional<TestEndpoint> TestEndpoint::FromStateDir(std::string_view stateDir) {
  std::ifstream in(HostPath(std::string(stateDir) + "/port"));
  int port = 0;
  if (!(in >> port) || port <= 0 || port > 65535) return std::nullopt;
  return TestEndpoint(port);
}

std::string TestEndpoint::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

}  // namespace lq::test
