// JPEG through libjpeg with the standard error manager; its fatal errors come back here through
// longjmp. Only plain C objects live in the frame that calls setjmp: everything with a destructor
// belongs to the caller.
#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <new>
#include <vector>

#include "runtime/pictures/decoders.h"

namespace lq::pictures {
namespace {

struct ErrorManager {
  jpeg_error_mgr standard;
  std::jmp_buf jump;
};

[[noreturn]] void ReturnToDecoder(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Nothing is printed; the data running out before the picture ends counts as an error.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) {
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) {
      ReturnToDecoder(cinfo);
    }
    cinfo->err->num_warnings++;
  }
}

void OutputNothing(j_common_ptr) {}

struct Output {
  PixelBuffer pixels;
  std::vector<JSAMPROW> rows;
  std::vector<std::uint8_t> cmyk_row;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;
};

// CMYK as Adobe applications write it (inverted) or as stored plainly, to blue, green, red.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::int32_t width, bool inverted) {
  for (std::int32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    }
    bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
  }
}

DecodeFailure Decompress(jpeg_decompress_struct* cinfo, Bytes data, Output* out) {
  jpeg_mem_src(cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(cinfo, TRUE);
  if (!PictureFits(cinfo->image_width, cinfo->image_height, 24)) {
    return DecodeFailure::kTooLarge;
  }
  bool cmyk = false;
  switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      cinfo->out_color_space = JCS_EXT_BGR;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo->out_color_space = JCS_CMYK;
      cmyk = true;
      break;
    default:
      return DecodeFailure::kJpegLibraryError;
  }
  // The library's own buffers (whole coefficient arrays for progressive pictures) get what the
  // budget leaves beside the rows; asking for more is one of its errors.
  cinfo->mem->max_memory_to_use =
      static_cast<long>(kMaxPictureBytes - kPictureBytesReserve -
                        std::int64_t{DibStride(cinfo->image_width, 24)} * cinfo->image_height);
  jpeg_start_decompress(cinfo);
  if (!PictureFits(cinfo->output_width, cinfo->output_height, 24)) {
    return DecodeFailure::kTooLarge;
  }
  out->width = static_cast<std::int32_t>(cinfo->output_width);
  out->height = static_cast<std::int32_t>(cinfo->output_height);
  out->stride = DibStride(out->width, 24);
  out->pixels.resize(static_cast<std::size_t>(out->stride) * out->height);  // left unwritten
  // Bottom row first: scanline y goes to row height - 1 - y. Only the padding is not decoded into.
  const std::size_t row_bytes = static_cast<std::size_t>(out->width) * 3;
  out->rows.resize(out->height);
  for (std::int32_t y = 0; y < out->height; ++y) {
    out->rows[y] = out->pixels.data() + static_cast<std::size_t>(out->height - 1 - y) * out->stride;
    std::fill(out->rows[y] + row_bytes, out->rows[y] + out->stride, 0);
  }
  if (cmyk) {
    out->cmyk_row.resize(static_cast<std::size_t>(out->width) * 4);
    JSAMPROW row = out->cmyk_row.data();
    const bool inverted = cinfo->saw_Adobe_marker;
    while (cinfo->output_scanline < cinfo->output_height) {
      const auto y = cinfo->output_scanline;
      if (jpeg_read_scanlines(cinfo, &row, 1) != 1) {
        return DecodeFailure::kTruncated;
      }
      CmykRowToBgr(row, out->rows[y], out->width, inverted);
    }
  } else {
    while (cinfo->output_scanline < cinfo->output_height) {
      const auto y = cinfo->output_scanline;
      if (jpeg_read_scanlines(cinfo, out->rows.data() + y, cinfo->output_height - y) == 0) {
        return DecodeFailure::kTruncated;
      }
    }
  }
  jpeg_finish_decompress(cinfo);
  return DecodeFailure::kNone;
}

DecodeFailure DecodeInto(Bytes data, Output* out) {
  jpeg_decompress_struct cinfo{};
  ErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = ReturnToDecoder;
  errors.standard.emit_message = EmitMessage;
  errors.standard.output_message = OutputNothing;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return DecodeFailure::kJpegLibraryError;
  }
  jpeg_create_decompress(&cinfo);
  DecodeFailure failure;
  try {
    failure = Decompress(&cinfo, data, out);
  } catch (const std::bad_alloc&) {  // the rows: the decompressor is destroyed all the same
    failure = DecodeFailure::kOutOfMemory;
  }
  jpeg_destroy_decompress(&cinfo);
  return failure;
}

}  // namespace

Decoded<Picture> DecodeJpeg(Bytes data) {
  if (data.empty()) {
    return DecodeFailure::kTruncated;
  }
  Output out;
  if (const DecodeFailure failure = DecodeInto(data, &out); failure != DecodeFailure::kNone) {
    return failure;
  }
  Picture picture;
  picture.kind = PictureKind::kJpeg;
  picture.width = out.width;
  picture.height = out.height;
  picture.layout = PixelLayout::kBgr24BottomUp;
  picture.stride = out.stride;
  picture.pixels = std::move(out.pixels);
  return picture;
}

}  // namespace lq::pictures
