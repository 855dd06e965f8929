// The events a test process reported, read back from Wine's debug output. Wine keeps no event
// log: ReportEventW writes the call (type, event ID) to the fixme+advapi channel and each
// insertion string to the eventlog channel. A test run with hvn_add_test(... WINEDEBUG
// ${HVN_WINEDEBUG_EVENTS}) finds its output in the file wine-run.sh names in HVN_TEST_OUTPUT.
// Windows build only.
#ifndef HVN_TESTS_SUPPORT_REPORTED_EVENTS_WIN_H_
#define HVN_TESTS_SUPPORT_REPORTED_EVENTS_WIN_H_

#include <cstdint>
#include <string>
#include <vector>

namespace hvn::test {

struct ReportedEvent {
  uint16_t type;                      // EVENTLOG_ERROR_TYPE, _WARNING_TYPE, _INFORMATION_TYPE
  uint32_t id;                        // the full event ID, severity bits included
  std::vector<std::wstring> strings;  // as far as Wine shows them (about 290 characters)
};

// The events in `output` (Wine's debug lines), in the order they were reported.
std::vector<ReportedEvent> ParseReportedEvents(const std::string& output);

// "error", "warning" or "information".
const wchar_t* EventTypeName(uint16_t type);

// An event as one line, with the number the Event Viewer shows (the ID's low 16 bits):
// "warning 2002: jdoe | SALES | 127.0.0.1 | 0".
std::vector<std::wstring> Describe(const std::vector<ReportedEvent>& events);

// What this process writes (Wine's debug lines among it) from the moment the object is made.
class ProcessOutput {
 public:
  // Marks the present end of the file HVN_TEST_OUTPUT names.
  ProcessOutput();
  bool IsReadable() const { return readable_; }  // false outside wine-run.sh
  std::string Text() const;
  std::vector<ReportedEvent> Events() const { return ParseReportedEvents(Text()); }

 private:
  std::string path_;
  bool readable_ = false;
  size_t start_ = 0;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_SUPPORT_REPORTED_EVENTS_WIN_H_
