// lq_demo_content <output directory>: writes a preview picture and a package for every URL of the
// skin catalogue, for a local download endpoint to serve.
#include <cstdio>
#include <ctime>

#include "tools/demo/demo_content.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
    return 2;
  }
  // <chrono> does not compile with the GBK execution character set; timespec_get does.
  std::timespec start{};
  std::timespec_get(&start, TIME_UTC);
  const lq::demo::DemoContentResult result = lq::demo::GenerateDemoContent(argv[1]);
  std::timespec end{};
  std::timespec_get(&end, TIME_UTC);
  const long long ms =
      (end.tv_sec - start.tv_sec) * 1000LL + (end.tv_nsec - start.tv_nsec) / 1000000;
  if (!result.ok) {
    std::fprintf(stderr, "%s\n", result.error.c_str());
    return 1;
  }
  std::printf("%d previews and %d packages written to %s in %lld ms\n", result.previews,
              result.packages, argv[1], static_cast<long long>(ms));
  return 0;
}
