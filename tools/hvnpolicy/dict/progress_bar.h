// A progress bar on standard error, drawn only when that is a terminal (never into a log).
#ifndef HVN_TOOLS_HVNPOLICY_DICT_PROGRESS_BAR_H_
#define HVN_TOOLS_HVNPOLICY_DICT_PROGRESS_BAR_H_

#include <cstdint>
#include <string>

namespace hvn::tool {

class ProgressBar {
 public:
  ProgressBar();
  // Ends the bar's line if one was drawn.
  ~ProgressBar();
  // Shows `phase` at `done` of `total`; redraws only when the percentage changes.
  void Show(const char* phase, uint64_t done, uint64_t total);
  // Ends the bar's line, so other output starts on a line of its own.
  void Finish();

 private:
  bool terminal_;
  bool drawn_ = false;
  int last_percent_ = -1;
  std::string last_phase_;
};

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_DICT_PROGRESS_BAR_H_
