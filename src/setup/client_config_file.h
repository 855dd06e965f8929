// The client configuration file ("HVNCLNT.CFG") that the installers import: which policy
// servers answer for which domain, and the port, time-out and retry count of the query.
// Portable: the parser works on the file's bytes and is built and tested in both builds.
//
// Format: lines of a key, a space and a value, read as a text file in the ANSI code page
// (CR LF arrives as LF, a Ctrl-Z ends the file), each of at most 1022 characters before its
// line end. A "#" starts a comment anywhere in a line, a TAB counts as a space, keys ignore
// ASCII letter case. "DOM <domain> <servers>" adds one server list entry per line, in file
// order; "HVS_Port", "Timeout" and "Retries" set their text, a later line replacing an earlier
// one; other keys are ignored.
#ifndef HVN_SETUP_CLIENT_CONFIG_FILE_H_
#define HVN_SETUP_CLIENT_CONFIG_FILE_H_

#include <cstddef>
#include <cstdint>

namespace hvn {

// The result of installer operations: 0 for success, 1603 (ERROR_INSTALL_FAILURE) otherwise.
constexpr uint32_t kSetupFailure = 1603;

constexpr size_t kConfigServerListSize = 4096;  // bytes, the final empty string included
constexpr size_t kConfigTextSize = 256;         // 255 characters and the terminator
constexpr size_t kConfigLineLength = 1022;      // characters a line holds before its line end

// What one read of a configuration file found. All zero before the file is read.
struct ClientConfigFile {
  // Multi-string: one entry "<domain> <servers>" per "DOM" line, in file order, each ended by
  // NUL, the list ended by an empty string.
  char ServerList[kConfigServerListSize];
  // Bytes used by the entries, each counted with its NUL (0: no entry).
  uint32_t ServerListLength;
  char PortText[kConfigTextSize];     // value of the "HVS_Port" line; empty when absent
  char TimeoutText[kConfigTextSize];  // value of the "Timeout" line; empty when absent
  char RetriesText[kConfigTextSize];  // value of the "Retries" line; empty when absent
};

// Why a read was refused, for callers that tell the administrator more than the result code.
enum class ConfigFileProblem : uint32_t {
  kNone,            // read to its end
  kCannotRead,      // the file cannot be opened, or a read failed
  kServerListFull,  // the "DOM" entries do not fit the 4096-byte server list
  kValueTooLong,    // a "HVS_Port", "Timeout" or "Retries" value of more than 255 characters
  kLineTooLong,     // a line of more than 1022 characters (a comment line too)
};

struct ConfigFileStatus {
  ConfigFileProblem problem = ConfigFileProblem::kNone;
  uint32_t line = 0;  // the physical line (from 1) that was refused; 0 when none
};

// Parses the bytes of a configuration file as ReadClientConfigFile does. Returns 0, or 1603
// when the file is refused (a line, the server list or a value would not fit); a refused file
// leaves `config` all zero, so nothing cut short can ever be written. `status` (optional) says
// why. A file without any "DOM" line reads successfully with ServerListLength 0: the caller
// checks.
uint32_t ParseClientConfigText(const char* data, size_t size, ClientConfigFile& config,
                               ConfigFileStatus* status = nullptr);

// Reads the configuration file at `path` (an ANSI path), opened as the C runtime opens a text
// file: while others read or write it too. Returns 0 once the file was read to its end; 1603
// when it cannot be read or is refused as ParseClientConfigText says.
uint32_t ReadClientConfigFile(const char* path, ClientConfigFile& config,
                              ConfigFileStatus* status = nullptr);

// The number a value text stands for: leading white space skipped, an optional sign, then
// decimal digits up to the first non-digit; no digits give 0. The result is the 32-bit two's
// complement of the signed number (so "-1" gives 0xFFFFFFFF); digits beyond the 32-bit range
// wrap around modulo 2^32.
uint32_t ConfigTextToNumber(const char* text);

}  // namespace hvn

#endif  // HVN_SETUP_CLIENT_CONFIG_FILE_H_
