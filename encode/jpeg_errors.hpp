// libjpeg reports errors by calling a function that must not return: ours jumps back to
// the caller's setjmp, and warnings are not printed.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace vantor::encode {

struct JpegErrors {
  jpeg_error_mgr base;
  std::jmp_buf on_error;
};

// Points info at errors; the caller then sets its jump point with setjmp(errors.on_error).
void install_jpeg_errors(jpeg_decompress_struct& info, JpegErrors& errors);

}  // namespace vantor::encode
