// Layout and drawing of the main window.
#include "shell/window/form5.hpp"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "shell/window/jpeg_picture.hpp"
#include "shell/window/logo.hpp"

namespace vantor::shell {
namespace {

constexpr int kWidth = 735;
constexpr int kHeight = 444;
constexpr int kPanelHeight = 82;
constexpr std::size_t kMaxLogBytes = 1024 * 1024;  // the log keeps the start of a huge answer

const Fl_Color kFrame = fl_rgb_color(0, 60, 116);
const Fl_Color kFace = fl_rgb_color(244, 244, 240);
const Fl_Color kFaceLit = fl_rgb_color(220, 232, 246);

}  // namespace

FrameButton::FrameButton(int x, int y, int w, int h, const char* label) : Fl_Button(x, y, w, h, label) {
  labelsize(11);
  labelcolor(kFrame);
}

void FrameButton::set_icons(Fl_Image* normal, Fl_Image* lit) {
  normal_icon_ = normal;
  lit_icon_ = lit;
}

int FrameButton::handle(int event) {
  if (event == FL_ENTER || event == FL_LEAVE) {
    lit_ = event == FL_ENTER;
    redraw();
    return 1;
  }
  return Fl_Button::handle(event);
}

void FrameButton::draw() {
  const bool pressed = value() != 0;
  fl_color(active_r() ? kFrame : FL_INACTIVE_COLOR);
  fl_rectf(x(), y(), w(), h());
  fl_color(pressed ? kFrame : lit_ ? kFaceLit : kFace);
  fl_rectf(x() + 2, y() + 2, w() - 4, h() - 4);
  Fl_Image* icon = lit_ ? lit_icon_ : normal_icon_;
  int text_x = x();
  if (icon != nullptr) {
    icon->draw(x() + 10, y() + (h() - icon->h()) / 2);
    text_x += 16;
  }
  fl_font(labelfont(), labelsize());
  fl_color(pressed ? kFace : kFrame);
  fl_draw(label(), text_x, y(), w() - (text_x - x()), h(), FL_ALIGN_CENTER);
}

Form5::Form5() : Fl_Double_Window(kWidth, kHeight, "Vantor API Server") {
  color(FL_BACKGROUND_COLOR);
  position((Fl::w() - kWidth) / 2, (Fl::h() - kHeight) / 2);

  buffer_ = new Fl_Text_Buffer();
  Memo1 = new Fl_Text_Editor(0, 0, kWidth, kHeight - kPanelHeight);
  Memo1->buffer(buffer_);
  Memo1->textfont(FL_HELVETICA);
  Memo1->textsize(11);
  Memo1->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
  Memo1->scrollbar_align(FL_ALIGN_RIGHT);

  const int top = kHeight - kPanelHeight;
  RzPanel1 = new Fl_Group(0, top, kWidth, kPanelHeight);
  RzPanel1->box(FL_THIN_UP_BOX);
  Image1 = new Fl_Box(0, top + 2, 95, 78);
  Image1->box(FL_NO_BOX);
  RzBitBtn2 = new FrameButton(103, top + 8, 161, 33, "update");
  Label1 = new Fl_Box(219, top + 49, 33, 13, "V 2025");
  Label1->labelcolor(FL_RED);
  Label1->labelsize(11);
  mycheck = new Fl_Check_Button(606, top + 6, 129, 17, "No Check Digit");
  mycheck->labelsize(11);
  RzBitBtn1 = new FrameButton(581, top + 34, 140, 36, "Exit");
  exit_icon_ = make_exit_icon(false);
  exit_icon_lit_ = make_exit_icon(true);
  RzBitBtn1->set_icons(exit_icon_.get(), exit_icon_lit_.get());
  RzPanel1->resizable(nullptr);
  RzPanel1->end();

  resizable(Memo1);
  end();

  logo_ = make_logo();
  show_image(*logo_);
}

Form5::~Form5() {
  Memo1->buffer(nullptr);
  delete buffer_;
}

// CR LF pairs (Base64 pictures, HTML pages) end lines as LF alone does.
void Form5::show_log(const std::string& text) {
  std::string lines;
  lines.reserve(std::min(text.size(), kMaxLogBytes) + 64);
  for (std::size_t i = 0; i < text.size() && lines.size() < kMaxLogBytes; ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines.push_back(text[i]);
  }
  if (lines.size() >= kMaxLogBytes) lines += "\n(the rest of this answer is not shown)\n";
  buffer_->text(lines.c_str());
}

void Form5::append_line(const std::string& line) {
  if (static_cast<std::size_t>(buffer_->length()) > kMaxLogBytes) buffer_->text("");
  buffer_->append((line + "\n").c_str());
}

void Form5::show_image(Fl_Image& image) {
  shown_.reset(image.copy(Image1->w(), Image1->h()));
  Image1->image(shown_.get());
  Image1->redraw();
}

void Form5::show_picture(const std::string& jpeg) {
  if (auto picture = decode_jpeg(jpeg)) show_image(*picture);
}

void Form5::set_busy(bool busy) {
  cursor(busy ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT);
  if (busy) {
    RzBitBtn2->deactivate();
  } else {
    RzBitBtn2->activate();
  }
}

}  // namespace vantor::shell
