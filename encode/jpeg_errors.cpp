// The error handlers given to libjpeg.
#include "encode/jpeg_errors.hpp"

namespace vantor::encode {
namespace {

[[noreturn]] void on_error(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->on_error, 1); }

void on_message(j_common_ptr) {}

}  // namespace

void install_jpeg_errors(jpeg_decompress_struct& info, JpegErrors& errors) {
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = on_error;
  errors.base.output_message = on_message;
}

}  // namespace vantor::encode
