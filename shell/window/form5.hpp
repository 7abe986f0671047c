// The main window: the activity log above, and a panel below with the picture box, the
// "update" button, the version label, the "No Check Digit" option and the "Exit" button.
// Every method runs on the window's own thread.
#pragma once

#include <memory>
#include <string>

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Editor.H>

namespace vantor::shell {

// A flat button with a dark blue frame that lights up while the pointer is over it.
class FrameButton : public Fl_Button {
 public:
  FrameButton(int x, int y, int w, int h, const char* label);
  void set_icons(Fl_Image* normal, Fl_Image* lit);

 private:
  int handle(int event) override;
  void draw() override;
  bool lit_ = false;
  Fl_Image* normal_icon_ = nullptr;
  Fl_Image* lit_icon_ = nullptr;
};

class Form5 : public Fl_Double_Window {
 public:
  Form5();
  ~Form5() override;

  // Replaces the log by a request's block (kept within a size limit).
  void show_log(const std::string& text);
  void append_line(const std::string& line);
  // Shows a JPEG picture in the picture box, stretched to fill it; bytes that do not
  // decode leave the box as it was.
  void show_picture(const std::string& jpeg);
  void set_busy(bool busy);

  Fl_Text_Editor* Memo1;
  Fl_Group* RzPanel1;
  Fl_Box* Image1;
  FrameButton* RzBitBtn2;  // "update"
  Fl_Box* Label1;          // "V 2025"
  Fl_Check_Button* mycheck;
  FrameButton* RzBitBtn1;  // "Exit"

 private:
  void show_image(Fl_Image& image);

  Fl_Text_Buffer* buffer_;
  std::unique_ptr<Fl_Image> logo_;
  std::unique_ptr<Fl_Image> shown_;
  std::unique_ptr<Fl_Image> exit_icon_;
  std::unique_ptr<Fl_Image> exit_icon_lit_;
};

}  // namespace vantor::shell
