// A round badge with a "V", and a power-switch icon, as RGB pixels.
#include "shell/window/logo.hpp"

#include <cmath>
#include <vector>

namespace vantor::shell {
namespace {

// Keeps the pixel buffer alive as long as the image that shows it.
class OwnedRgbImage : public Fl_RGB_Image {
 public:
  OwnedRgbImage(std::vector<unsigned char> pixels, int w, int h)
      : Fl_RGB_Image(nullptr, w, h, 3), pixels_(std::move(pixels)) {
    array = pixels_.data();
  }

 private:
  std::vector<unsigned char> pixels_;
};

void put(std::vector<unsigned char>& pixels, int size, int x, int y, unsigned char r, unsigned char g,
         unsigned char b) {
  const std::size_t at = (static_cast<std::size_t>(y) * size + x) * 3;
  pixels[at] = r;
  pixels[at + 1] = g;
  pixels[at + 2] = b;
}

// Distance from point p to the segment a-b.
double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

}  // namespace

std::unique_ptr<Fl_RGB_Image> make_logo() {
  constexpr int size = 213;
  std::vector<unsigned char> pixels(size * size * 3, 240);
  const double centre = size / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double r = std::hypot(x - centre, y - centre);
      if (r > 100) continue;
      const double shade = 0.6 + 0.4 * (1 - r / 100);
      const bool in_v = segment_distance(x, y, 62, 62, 106, 156) < 12 || segment_distance(x, y, 151, 62, 106, 156) < 12;
      if (in_v) {
        put(pixels, size, x, y, 244, 244, 240);
      } else if (r > 94) {
        put(pixels, size, x, y, 200, 30, 30);
      } else {
        put(pixels, size, x, y, 0, static_cast<unsigned char>(60 * shade),
            static_cast<unsigned char>(116 * shade + 40));
      }
    }
  }
  return std::make_unique<OwnedRgbImage>(std::move(pixels), size, size);
}

std::unique_ptr<Fl_RGB_Image> make_exit_icon(bool lit) {
  constexpr int size = 16;
  std::vector<unsigned char> pixels(size * size * 3);
  for (int i = 0; i < size * size; ++i) {
    pixels[i * 3] = 244, pixels[i * 3 + 1] = 244, pixels[i * 3 + 2] = 240;
  }
  const unsigned char red = lit ? 230 : 160;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double r = std::hypot(x - 7.5, y - 8.5);
      const double angle = std::atan2(x - 7.5, -(y - 8.5));
      const bool ring = r > 4.5 && r < 6.5 && std::fabs(angle) > 0.6;
      const bool bar = x >= 7 && x <= 8 && y >= 1 && y <= 8;
      if (ring || bar) put(pixels, size, x, y, red, 20, 20);
    }
  }
  return std::make_unique<OwnedRgbImage>(std::move(pixels), size, size);
}

}  // namespace vantor::shell
