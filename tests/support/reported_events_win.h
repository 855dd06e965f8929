// The events a test process reported, read back from Wine's debug output. Wine keeps no event
// log: ReportEventW writes the call (with its type and event ID) to the fixme+advapi channel and
// each insertion string to the eventlog channel (err for errors, warn for warnings, trace for
// the others). A test run with hvn_add_test(... WINEDEBUG ${HVN_WINEDEBUG_EVENTS}) finds its
// output in the file wine-run.sh names in HVN_TEST_OUTPUT. Windows build only.
#ifndef HVN_TESTS_SUPPORT_REPORTED_EVENTS_WIN_H_
#define HVN_TESTS_SUPPORT_REPORTED_EVENTS_WIN_H_

#include <cstdint>
#include <string>
#include <vector>

namespace hvn::test {

struct ReportedEvent {
  uint16_t type;  // EVENTLOG_ERROR_TYPE, EVENTLOG_WARNING_TYPE, EVENTLOG_INFORMATION_TYPE
  uint32_t id;    // the full event ID (severity bits included)
  std::vector<std::wstring> strings;  // insertion strings, as far as Wine shows them (~290)
};

// The events in `output` (Wine debug lines), in the order they were reported.
std::vector<ReportedEvent> ParseReportedEvents(const std::string& output);

// "error", "warning" or "information".
const wchar_t* EventTypeName(uint16_t type);

// An event as one line, the number as the Event Viewer shows it (the ID's low 16 bits):
// "warning 2002: jdoe | SALES | 127.0.0.1 | 0".
std::wstring Describe(const ReportedEvent& event);
std::vector<std::wstring> Describe(const std::vector<ReportedEvent>& events);

// The output this process writes from the moment the object is made: Wine's debug lines and
// whatever else went to standard output and error.
class ProcessOutput {
 public:
  // Marks the present end of the file named by HVN_TEST_OUTPUT (`path` when given).
  explicit ProcessOutput(const std::string& path = "");
  // False when there is no output file to read (run outside wine-run.sh).
  bool IsReadable() const { return readable_; }
  // Everything written since the mark.
  std::string Text() const;
  std::vector<ReportedEvent> Events() const { return ParseReportedEvents(Text()); }

 private:
  std::string path_;
  bool readable_ = false;
  size_t start_ = 0;
};

}  // namespace hvn::test

#endif  // HVN_TESTS_SUPPORT_REPORTED_EVENTS_WIN_H_
