#include "base/command_line.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace hvn::tool {

bool ParseArguments(const std::vector<std::string>& args,
                    const std::vector<std::string>& with_value,
                    const std::vector<std::string>& flags, Arguments& parsed, std::string& error,
                    const std::vector<std::string>& repeatable) {
  parsed = Arguments();
  auto listed = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      parsed.operands.push_back(arg);
      continue;
    }
    if (listed(repeatable, arg)) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      parsed.lists[arg].push_back(args[++i]);
      continue;
    }
    if (parsed.Has(arg)) {
      error = arg + " is given twice";
      return false;
    }
    if (listed(flags, arg) || arg == "--help") {
      parsed.options[arg] = "";
    } else if (listed(with_value, arg)) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      parsed.options[arg] = args[++i];
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

bool PrintHelp(const Arguments& parsed, const char* usage) {
  if (!parsed.Has("--help")) return false;
  std::fputs(usage, stdout);
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) return false;
  bytes.clear();
  char block[65536];
  size_t got;
  while ((got = std::fread(block, 1, sizeof(block), file.get())) > 0) bytes.append(block, got);
  return std::ferror(file.get()) == 0;
}

}  // namespace hvn::tool
