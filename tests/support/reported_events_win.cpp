#include "support/reported_events_win.h"

#include <cstdlib>
#include <map>

#include "support/process_files.h"

namespace hvn::test {
namespace {

constexpr char kCallMarker[] = ":fixme:advapi:ReportEventW (";
constexpr char kStringMarker[] = ":eventlog:ReportEventW L\"";

// Wine's form of a wide string after its opening quote: \n \r \t \" \\ and \XXXX (4 hex digits)
// for any other character outside printable ASCII; it ends at the closing quote.
std::wstring DecodeDebugString(const std::string& text, size_t start) {
  std::wstring decoded;
  for (size_t i = start; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      decoded += static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
      continue;
    }
    const char next = text[++i];
    if (next == 'n') {
      decoded += L'\n';
    } else if (next == 'r') {
      decoded += L'\r';
    } else if (next == 't') {
      decoded += L'\t';
    } else if (next == '"' || next == '\\') {
      decoded += static_cast<wchar_t>(next);
    } else {
      decoded += static_cast<wchar_t>(std::strtoul(text.substr(i, 4).c_str(), nullptr, 16));
      i += 3;
    }
  }
  return decoded;
}

}  // namespace

std::vector<ReportedEvent> ParseReportedEvents(const std::string& output) {
  std::vector<ReportedEvent> events;
  std::map<std::string, size_t> last_of_thread;  // Wine's thread id -> its last event
  size_t line_start = 0;
  while (line_start < output.size()) {
    size_t line_end = output.find('\n', line_start);
    if (line_end == std::string::npos) line_end = output.size();
    const std::string line = output.substr(line_start, line_end - line_start);
    line_start = line_end + 1;
    const std::string thread = line.substr(0, line.find(':'));
    size_t at = line.find(kCallMarker);
    if (at != std::string::npos) {
      // (handle,type,category,id,...)
      const size_t type_at = line.find(',', at) + 1;
      const size_t id_at = line.find(',', line.find(',', type_at) + 1) + 1;
      ReportedEvent event;
      event.type = static_cast<uint16_t>(std::strtoul(line.c_str() + type_at, nullptr, 16));
      event.id = static_cast<uint32_t>(std::strtoul(line.c_str() + id_at, nullptr, 16));
      last_of_thread[thread] = events.size();
      events.push_back(event);
      continue;
    }
    at = line.find(kStringMarker);
    auto owner = last_of_thread.find(thread);
    if (at != std::string::npos && owner != last_of_thread.end()) {
      events[owner->second].strings.push_back(
          DecodeDebugString(line, at + sizeof(kStringMarker) - 1));
    }
  }
  return events;
}

const wchar_t* EventTypeName(uint16_t type) {
  return type == EVENTLOG_ERROR_TYPE     ? L"error"
         : type == EVENTLOG_WARNING_TYPE ? L"warning"
                                         : L"information";
}

std::wstring Describe(const ReportedEvent& event) {
  std::wstring text =
      std::wstring(EventTypeName(event.type)) + L" " + std::to_wstring(event.id & 0xFFFF) + L":";
  for (size_t i = 0; i < event.strings.size(); ++i)
    text += (i == 0 ? L" " : L" | ") + event.strings[i];
  return text;
}

std::vector<std::wstring> Describe(const std::vector<ReportedEvent>& events) {
  std::vector<std::wstring> lines;
  for (const ReportedEvent& event : events) lines.push_back(Describe(event));
  return lines;
}

ProcessOutput::ProcessOutput(const std::string& path) : path_(path) {
  if (path_.empty()) {
    const char* named = std::getenv("HVN_TEST_OUTPUT");
    if (named != nullptr) path_ = named;
  }
  HANDLE file = ::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  start_ = ::GetFileSize(file, nullptr);
  ::CloseHandle(file);
  readable_ = true;
}

std::string ProcessOutput::Text() const {
  if (!readable_) return "";
  std::string text = ReadFileText(path_);
  return text.size() > start_ ? text.substr(start_) : "";
}

}  // namespace hvn::test
