#include "support/reported_events_win.h"

#include <cstdlib>
#include <map>

#include "support/process_files.h"

namespace hvn::test {
namespace {

constexpr char kCallMarker[] = ":fixme:advapi:ReportEventW (";
constexpr char kStringMarker[] = ":eventlog:ReportEventW L\"";

// Wine's form of a wide string, from after its opening quote to the closing one: a backslash
// before n, r, t, a quote or a backslash, and before 4 hex digits for any other character
// outside printable ASCII.
std::wstring DecodeDebugString(const std::string& text, size_t at) {
  std::wstring decoded;
  for (; at < text.size() && text[at] != '"'; ++at) {
    char c = text[at];
    if (c == '\\' && at + 1 < text.size()) {
      c = text[++at];
      if (c == 'n' || c == 'r' || c == 't') {
        c = c == 'n' ? '\n' : c == 'r' ? '\r' : '\t';
      } else if (c != '"' && c != '\\') {
        decoded += static_cast<wchar_t>(std::strtoul(text.substr(at, 4).c_str(), nullptr, 16));
        at += 3;
        continue;
      }
    }
    decoded += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }
  return decoded;
}

}  // namespace

std::vector<ReportedEvent> ParseReportedEvents(const std::string& output) {
  std::vector<ReportedEvent> events;
  std::map<std::string, size_t> last_of_thread;  // Wine's thread id: its last event
  for (size_t start = 0, end; start < output.size(); start = end + 1) {
    end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    const std::string thread = line.substr(0, line.find(':'));
    if (size_t at = line.find(kCallMarker); at != std::string::npos) {
      // (handle,type,category,id,...)
      const size_t type_at = line.find(',', at) + 1;
      const size_t id_at = line.find(',', line.find(',', type_at) + 1) + 1;
      last_of_thread[thread] = events.size();
      events.push_back({static_cast<uint16_t>(std::strtoul(&line[type_at], nullptr, 16)),
                        static_cast<uint32_t>(std::strtoul(&line[id_at], nullptr, 16)),
                        {}});
    } else if (size_t at = line.find(kStringMarker);
               at != std::string::npos && last_of_thread.count(thread) != 0) {
      events[last_of_thread[thread]].strings.push_back(
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

std::vector<std::wstring> Describe(const std::vector<ReportedEvent>& events) {
  std::vector<std::wstring> lines;
  for (const ReportedEvent& event : events) {
    std::wstring line = EventTypeName(event.type) + (L" " + std::to_wstring(event.id & 0xFFFF));
    for (size_t i = 0; i < event.strings.size(); ++i)
      line += (i == 0 ? L": " : L" | ") + event.strings[i];
    lines.push_back(line);
  }
  return lines;
}

ProcessOutput::ProcessOutput() {
  const char* path = std::getenv("HVN_TEST_OUTPUT");
  if (path == nullptr) return;
  path_ = path;
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  start_ = ::GetFileSize(file, nullptr);
  ::CloseHandle(file);
  readable_ = true;
}

std::string ProcessOutput::Text() const {
  const std::string text = readable_ ? ReadFileText(path_) : "";
  return text.size() > start_ ? text.substr(start_) : "";
}

}  // namespace hvn::test
