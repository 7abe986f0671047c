// libjpeg decoding into an RGB image; errors come back through longjmp.
#include "shell/window/jpeg_picture.hpp"

#include <vector>

#include "encode/jpeg_errors.hpp"

namespace vantor::shell {
namespace {

class PixelImage : public Fl_RGB_Image {
 public:
  PixelImage(std::vector<unsigned char> pixels, int w, int h)
      : Fl_RGB_Image(nullptr, w, h, 3), pixels_(std::move(pixels)) {
    array = pixels_.data();
  }

 private:
  std::vector<unsigned char> pixels_;
};

std::size_t decoded_size(const jpeg_decompress_struct& info) {
  return static_cast<std::size_t>(info.output_width) * info.output_height * 3;
}

// Fills pixels, width and height; false when the bytes do not decode, or when even at
// an eighth of its size the picture would need more than max_bytes.
bool decode(std::string_view bytes, std::size_t max_bytes, std::vector<unsigned char>& pixels, int& width,
            int& height) {
  jpeg_decompress_struct info{};
  encode::JpegErrors errors{};
  encode::install_jpeg_errors(info, errors);
  if (setjmp(errors.on_error) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  // the header alone can claim a picture of gigabytes: scale down before allocating
  info.scale_num = 1;
  info.scale_denom = 1;
  jpeg_calc_output_dimensions(&info);
  while (decoded_size(info) > max_bytes && info.scale_denom < 8) {
    info.scale_denom *= 2;
    jpeg_calc_output_dimensions(&info);
  }
  if (decoded_size(info) > max_bytes) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  pixels.assign(static_cast<std::size_t>(width) * height * 3, 0);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels.data() + static_cast<std::size_t>(info.output_scanline) * width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::unique_ptr<Fl_RGB_Image> decode_jpeg(std::string_view bytes, std::size_t max_bytes) {
  try {
    std::vector<unsigned char> pixels;
    int width = 0;
    int height = 0;
    if (bytes.empty() || !decode(bytes, max_bytes, pixels, width, height) || width <= 0 || height <= 0) return nullptr;
    return std::make_unique<PixelImage>(std::move(pixels), width, height);
  } catch (const std::exception&) {
    return nullptr;  // nothing may reach the window's event loop
  }
}

}  // namespace vantor::shell
