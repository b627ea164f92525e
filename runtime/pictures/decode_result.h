// What a decoder gives: the decoded value, or the reason it refused the data. The picture box stays
// silent about failures; the reason is for tests and for the debug log (ReportDecodeFailure).
#pragma once

#include <optional>
#include <utility>

namespace lq::pictures {

enum class DecodeFailure : int {
  kNone = 0,
  kNotRecognised,  // the first bytes name no format this runtime reads
  kTruncated,      // the data end before the picture does
  kBadHeader,      // a header field is out of its range
  kUnsupportedCompression,
  kUnsupportedBitCount,
  kUnsupportedPlanes,
  kTooLarge,        // the picture (or what showing it takes) is over the size limit
  kBadColourTable,  // the colour table does not fit in the data
  kBadPixelOffset,  // the pixel data would start inside the headers or past the end
  kBadMasks,        // bit-field masks that are empty or overlap
  kBadRunLength,    // run-length data that would write outside the picture
  kNoFrames,        // a GIF without one image
  kJpegLibraryError,
  kPngLibraryError,
  kIconNotCreated,  // the system built no icon from the image
  kOutOfMemory,
};

// A short stable name ("truncated", "jpeg-library-error" ...), the same in tests and logs.
const char* DecodeFailureName(DecodeFailure failure);

// Writes "pictures: <what>: <reason>" to the debug log: OutputDebugString on Windows, and standard
// error when the environment variable LQ_PICTURES_LOG is set. Never shown to the user.
void ReportDecodeFailure(const char* what, DecodeFailure failure);

template <typename T>
class [[nodiscard]] Decoded {
 public:
  Decoded(T value) : value_(std::move(value)) {}         // NOLINT(google-explicit-constructor)
  Decoded(DecodeFailure failure) : failure_(failure) {}  // NOLINT(google-explicit-constructor)

  bool has_value() const { return value_.has_value(); }
  explicit operator bool() const { return value_.has_value(); }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  T&& operator*() && { return std::move(*value_); }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  // Drops the value; the failure stays kNone.
  void reset() { value_.reset(); }
  // kNone when there is a value.
  DecodeFailure failure() const { return failure_; }

 private:
  std::optional<T> value_;
  DecodeFailure failure_ = DecodeFailure::kNone;
};

}  // namespace lq::pictures
