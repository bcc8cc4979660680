#include "log_view_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <chrono>

namespace platform {

namespace {

// The window's units were twips; at the usual 96 dpi a pixel is 15 of them.
const int kTwips = 15;
const int kBarHeight = 14;

// CR LF and a lone CR both end a line in the window.
std::string lf_Lines(const std::string& s) {
  std::string out;
  out.reserve(s.size() + 1);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
      out += '\n';
    } else {
      out += s[i];
    }
  }
  return out;
}

eKey stronger(eKey a, eKey b) { return a == eKey::esc || b == eKey::esc ? eKey::esc : a != eKey::none ? a : b; }

}  // namespace

// The strip: a child window, so it stays drawn over the text below it.
class cBarWindow : public Fl_Window {
public:
  cBarWindow(cFltkLogView::cImpl& owner) : Fl_Window(0, 0, 16, kBarHeight), owner_(owner) { end(); }
  std::array<bool, 16> red{};
  int cell = 1;
  void draw() override;
  int handle(int e) override;

private:
  cFltkLogView::cImpl& owner_;
};

class cLogText : public Fl_Text_Display {
public:
  cLogText(int x, int y, int w, int h, cFltkLogView::cImpl& owner) : Fl_Text_Display(x, y, w, h), owner_(owner) {}
  int handle(int e) override;
  int top_Line() const { return mTopLineNum; }

private:
  cFltkLogView::cImpl& owner_;
};

class cLogWindow : public Fl_Window {
public:
  cLogWindow(int w, int h, const char* caption, cFltkLogView::cImpl& owner)
      : Fl_Window(w, h, caption), owner_(owner) {}
  int handle(int e) override;

private:
  cFltkLogView::cImpl& owner_;
};

struct cFltkLogView::cImpl {
  std::string caption;
  std::unique_ptr<Fl_Text_Buffer> buffer;
  cLogWindow* win = nullptr;
  cLogText* text = nullptr;
  cBarWindow* bar = nullptr;
  eKey pending = eKey::none;

  void post(eKey k) { pending = stronger(pending, k); }
  eKey take() {
    eKey k = pending;
    pending = eKey::none;
    return k;
  }
  // The strip gets a band of its own above the text while it shows.
  void text_Below(int top) {
    text->resize(0, top, win->w() - 50 / kTwips, win->h() - top - 50 / kTwips);
    text->show_insert_position();
    win->redraw();
  }
  // A key typed while the strip shows stops the countdown, as a click does.
  bool key_Pressed() {
    if (Fl::event_key() == FL_Escape) {
      post(eKey::esc);
      return true;
    }
    if (bar->visible()) {
      post(eKey::other);
      return true;
    }
    return false;
  }
};

void cBarWindow::draw() {
  fl_color(FL_GRAY);
  fl_rectf(0, 0, w(), h());
  for (int i = 0; i < 16; ++i) {
    fl_color(red[static_cast<size_t>(i)] ? fl_rgb_color(255, 0, 0) : FL_BLACK);
    fl_rectf(i * cell + 1, 1, cell - 2, h() - 2);
  }
}

int cBarWindow::handle(int e) {
  if (e == FL_PUSH) {
    owner_.post(eKey::other);
    return 1;
  }
  if (e == FL_KEYBOARD && owner_.key_Pressed()) return 1;
  return Fl_Window::handle(e);
}

int cLogText::handle(int e) {
  if (e == FL_KEYBOARD && owner_.key_Pressed()) return 1;
  if (e == FL_DRAG && (Fl::event_state() & FL_BUTTON1)) owner_.win->label("drag");
  return Fl_Text_Display::handle(e);
}

int cLogWindow::handle(int e) {
  if ((e == FL_KEYBOARD || e == FL_SHORTCUT) && owner_.key_Pressed()) return 1;
  return Fl_Window::handle(e);
}

cFltkLogView::cFltkLogView(const std::string& caption) : p_(std::make_unique<cImpl>()) {
  p_->caption = caption;
  p_->buffer = std::make_unique<Fl_Text_Buffer>();
  const int w = 640, h = 420;
  p_->win = new cLogWindow(w, h, p_->caption.c_str(), *p_);
  p_->win->xclass("brisk-suite");
  // The text fills the window less 50 twips in each direction.
  p_->text = new cLogText(0, 0, w - 50 / kTwips, h - 50 / kTwips, *p_);
  p_->text->buffer(p_->buffer.get());
  p_->text->textfont(FL_HELVETICA);
  p_->text->textsize(14);
  p_->bar = new cBarWindow(*p_);
  p_->bar->hide();
  p_->win->end();
  p_->win->resizable(p_->text);
  // The close button asks FormInfo whether the window may close.
  p_->win->callback([](Fl_Widget*, void* impl) { static_cast<cImpl*>(impl)->post(eKey::esc); }, p_.get());
  p_->win->show();
  Fl::focus(p_->text);
  Fl::check();
}

cFltkLogView::~cFltkLogView() {
  p_->win->hide();
  p_->text->buffer(nullptr);
  delete p_->win;
  Fl::check();
}

void cFltkLogView::show_Line(const std::string& line) {
  p_->buffer->append((lf_Lines(line) + "\n").c_str());
  p_->text->insert_position(p_->buffer->length());
  p_->text->show_insert_position();
}

void cFltkLogView::clear_Text() { p_->buffer->text(""); }

void cFltkLogView::bring_Front(bool caretAtEnd) {
  int x, y, w, h;
  Fl::screen_work_area(x, y, w, h, p_->win->x(), p_->win->y());
  p_->win->resize(x, y, w, h);
  p_->win->show();  // raises a window that is already shown
  Fl::focus(p_->text);
  if (caretAtEnd) {
    p_->text->insert_position(p_->buffer->length());
    p_->text->show_insert_position();
  } else {
    p_->text->insert_position(0);
    p_->text->scroll(1, 0);
  }
  Fl::check();
}

void cFltkLogView::draw_Bar(const std::array<bool, 16>& red) {
  cBarWindow& bar = *p_->bar;
  if (!bar.visible()) {
    // Placed 2200 twips from the left and 70 from the top; the cell width is
    // (window width - 3000 twips) / 16 cut to a multiple of 4 twips, and the
    // strip is 15 cells wide.
    const int twipsW = p_->win->w() * kTwips;
    const int cellTwips = ((twipsW - 3000) / 16) & ~3;
    bar.cell = std::max(2, cellTwips / kTwips);
    bar.resize(2200 / kTwips, 70 / kTwips, 15 * bar.cell, kBarHeight);
    bar.show();
    p_->text_Below(bar.y() + bar.h() + 2);
  }
  bar.red = red;
  bar.redraw();
  Fl::check();
}

void cFltkLogView::hide_Bar() {
  p_->bar->hide();
  p_->text_Below(0);
  Fl::focus(p_->text);
}

eKey cFltkLogView::wait_Key(int ms) {
  using clock = std::chrono::steady_clock;
  const auto deadline = clock::now() + std::chrono::milliseconds(ms);
  Fl::check();
  while (p_->pending == eKey::none) {
    const double left = std::chrono::duration<double>(deadline - clock::now()).count();
    if (left <= 0) break;
    Fl::wait(left);
  }
  return p_->take();
}

eKey cFltkLogView::pump_Events() {
  Fl::check();
  return p_->take();
}

Fl_Window* cFltkLogView::window() const { return p_->win; }

std::string cFltkLogView::text() const {
  char* t = p_->buffer->text();
  std::string s = t;
  free(t);
  return s;
}

bool cFltkLogView::bar_Shown() const { return p_->bar->visible() != 0; }
int cFltkLogView::bar_Cell() const { return p_->bar->cell; }
int cFltkLogView::bar_Left() const { return p_->bar->x(); }
int cFltkLogView::bar_Top() const { return p_->bar->y(); }
int cFltkLogView::top_Line() const { return p_->text->top_Line(); }

}  // namespace platform
