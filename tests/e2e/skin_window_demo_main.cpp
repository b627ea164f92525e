// skin_window_demo_content <folder>: the demo content of every catalogue URL (tools/demo), written
// by the Windows build for the skin window's end-to-end tests.
#include <cstdio>

#include "tools/demo/demo_content.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const lq::demo::DemoContentResult result = lq::demo::GenerateDemoContent(argv[1]);
  if (!result.ok) {
    std::fprintf(stderr, "%s\n", result.error.c_str());
    return 1;
  }
  std::printf("%d previews and %d packages written to %s\n", result.previews, result.packages,
              argv[1]);
  return 0;
}
