// The built-in pictures of the window: the logo shown until a picture arrives, and the
// small icon of the "Exit" button. Both are drawn in code, no files needed.
#pragma once

#include <memory>

#include <FL/Fl_RGB_Image.H>

namespace vantor::shell {

// 213 x 213 pixels.
std::unique_ptr<Fl_RGB_Image> make_logo();
// 16 x 16 pixels; lit (pointer over the button) or not.
std::unique_ptr<Fl_RGB_Image> make_exit_icon(bool lit);

}  // namespace vantor::shell
