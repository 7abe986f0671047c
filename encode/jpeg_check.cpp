// JPEG header check through libjpeg(-turbo); its errors come back through longjmp.
#include "encode/jpeg_check.hpp"

#include "encode/jpeg_errors.hpp"

namespace vantor::encode {

bool has_jpeg_headers(std::string_view bytes) noexcept {
  if (bytes.size() < 4) return false;
  jpeg_decompress_struct info{};
  JpegErrors errors{};
  install_jpeg_errors(info, errors);
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
