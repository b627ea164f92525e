#include "runtime/pictures/decode_result.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/platform/debug_log.h"

namespace lq::pictures {

const char* DecodeFailureName(DecodeFailure failure) {
  switch (failure) {
    case DecodeFailure::kNone:
      return "none";
    case DecodeFailure::kNotRecognised:
      return "not-recognised";
    case DecodeFailure::kTruncated:
      return "truncated";
    case DecodeFailure::kBadHeader:
      return "bad-header";
    case DecodeFailure::kUnsupportedCompression:
      return "unsupported-compression";
    case DecodeFailure::kUnsupportedBitCount:
      return "unsupported-bit-count";
    case DecodeFailure::kUnsupportedPlanes:
      return "unsupported-planes";
    case DecodeFailure::kTooLarge:
      return "too-large";
    case DecodeFailure::kBadColourTable:
      return "bad-colour-table";
    case DecodeFailure::kBadPixelOffset:
      return "bad-pixel-offset";
    case DecodeFailure::kBadMasks:
      return "bad-masks";
    case DecodeFailure::kBadRunLength:
      return "bad-run-length";
    case DecodeFailure::kNoFrames:
      return "no-frames";
    case DecodeFailure::kJpegLibraryError:
      return "jpeg-library-error";
    case DecodeFailure::kPngLibraryError:
      return "png-library-error";
    case DecodeFailure::kIconNotCreated:
      return "icon-not-created";
    case DecodeFailure::kOutOfMemory:
      return "out-of-memory";
  }
  return "unknown";
}

void ReportDecodeFailure(const char* what, DecodeFailure failure) {
  char line[160];
  std::snprintf(line, sizeof line, "pictures: %s: %s\n", what, DecodeFailureName(failure));
  WriteDebugLine(line);
  if (std::getenv("LQ_PICTURES_LOG") != nullptr) {
    std::fputs(line, stderr);
  }
}

}  // namespace lq::pictures
