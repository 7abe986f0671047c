// JPEG header check through libjpeg(-turbo); its errors come back through longjmp.
#include "encode/jpeg_check.hpp"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace vantor::encode {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf on_error;
};

[[noreturn]] void on_error(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->on_error, 1);
}

void on_message(j_common_ptr) {}  // warnings are not ours to print

}  // namespace

bool has_jpeg_headers(std::string_view bytes) noexcept {
  if (bytes.size() < 4) return false;
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = on_error;
  errors.base.output_message = on_message;
  if (setjmp(errors.on_error) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  const bool ok = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
  jpeg_destroy_decompress(&info);
  return ok;
}

}  // namespace vantor::encode
