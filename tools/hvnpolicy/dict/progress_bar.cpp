#include "dict/progress_bar.h"

#include <cstdio>

#include "base/terminal.h"

namespace hvn::tool {

ProgressBar::ProgressBar() : terminal_(IsTerminal(stderr)) {}

ProgressBar::~ProgressBar() {
  Finish();
}

void ProgressBar::Show(const char* phase, uint64_t done, uint64_t total) {
  if (!terminal_) return;
  int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
  if (percent > 100) percent = 100;
  if (percent == last_percent_ && last_phase_ == phase) return;
  last_percent_ = percent;
  last_phase_ = phase;
  char bar[41];
  for (int i = 0; i < 40; ++i) bar[i] = i < percent * 40 / 100 ? '#' : '.';
  bar[40] = '\0';
  std::fprintf(stderr, "\r%-8s [%s] %3d%%", phase, bar, percent);
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::Finish() {
  if (!drawn_) return;
  std::fputs("\n", stderr);
  drawn_ = false;
  last_percent_ = -1;
}

}  // namespace hvn::tool
