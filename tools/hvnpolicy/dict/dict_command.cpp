// hvnpolicy dict build | verify: dictionaries the dictionary rule searches correctly.
#include "dict/dict_command.h"

#include <cstdio>

#include "base/command_line.h"
#include "base/terminal.h"
#include "dict/dictionary_builder.h"
#include "dict/dictionary_verifier.h"
#include "dict/progress_bar.h"

namespace hvn::tool {
namespace {

const char kUsage[] =
    "usage: hvnpolicy dict build WORDLIST DICTIONARY [--utf16]\n"
    "       hvnpolicy dict verify DICTIONARY\n"
    "  build: upper-cases, sorts and de-duplicates a word list (one word a line, UTF-8,\n"
    "         ANSI or UTF-16) into a dictionary (ANSI, or UTF-16LE with --utf16).\n"
    "  verify: reports every line that breaks the dictionary's order or form; exit status\n"
    "         0 when the dictionary rule searches the file correctly, 1 when not.\n";

int Usage(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "hvnpolicy dict: %s\n", message.c_str());
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

class BuildOutput : public DictionaryBuildObserver {
 public:
  void LeftOut(uint64_t line, const std::string& reason) override {
    bar_.Finish();
    std::fprintf(stderr, "line %llu: %s: left out\n", static_cast<unsigned long long>(line),
                 reason.c_str());
  }
  void Progress(const char* phase, uint64_t done, uint64_t total) override {
    bar_.Show(phase, done, total);
  }
  void Finish() { bar_.Finish(); }

 private:
  ProgressBar bar_;
};

class VerifyOutput : public DictionaryVerifyObserver {
 public:
  void Problem(uint64_t line, bool error, const std::string& text) override {
    bar_.Finish();
    if (line == 0)
      std::printf("%s: %s\n", error ? "error" : "warning", text.c_str());
    else
      std::printf("line %llu: %s: %s\n", static_cast<unsigned long long>(line),
                  error ? "error" : "warning", text.c_str());
  }
  void Progress(uint64_t done, uint64_t total) override { bar_.Show("verify", done, total); }
  void Finish() { bar_.Finish(); }

 private:
  ProgressBar bar_;
};

int Build(const Arguments& parsed) {
  if (parsed.operands.size() != 3) return Usage("build needs WORDLIST and DICTIONARY");
  DictionaryBuildOptions options;
  if (parsed.Has("--utf16")) options.output = DictionaryEncoding::kUtf16;
  BuildOutput output;
  DictionaryBuildReport report;
  std::string error;
  bool built =
      BuildDictionary(parsed.operands[1], parsed.operands[2], options, output, report, error);
  output.Finish();
  if (!built) {
    std::fprintf(stderr, "hvnpolicy dict build: %s\n", error.c_str());
    return kExitUsage;
  }
  std::printf(
      "%s: %llu entries (%s) from %llu lines: %llu repeats dropped, %llu blank lines skipped, "
      "%llu lines left out%s\n",
      parsed.operands[2].c_str(), static_cast<unsigned long long>(report.entries),
      options.output == DictionaryEncoding::kUtf16 ? "UTF-16LE" : "ANSI",
      static_cast<unsigned long long>(report.lines),
      static_cast<unsigned long long>(report.duplicates),
      static_cast<unsigned long long>(report.blank_lines),
      static_cast<unsigned long long>(report.left_out),
      report.runs == 0 ? "" : (", sorted in " + std::to_string(report.runs) + " runs").c_str());
  return kExitAccepted;
}

int Verify(const Arguments& parsed) {
  if (parsed.operands.size() != 2) return Usage("verify needs DICTIONARY");
  VerifyOutput output;
  DictionaryVerifyReport report;
  std::string error;
  bool read = VerifyDictionary(parsed.operands[1], output, report, error);
  output.Finish();
  if (!read) {
    std::fprintf(stderr, "hvnpolicy dict verify: %s\n", error.c_str());
    return kExitUsage;
  }
  std::printf("%s: %s, %llu entries, %llu errors, %llu warnings: %s\n", parsed.operands[1].c_str(),
              report.encoding == DictionaryEncoding::kUtf16 ? "UTF-16LE" : "ANSI",
              static_cast<unsigned long long>(report.entries),
              static_cast<unsigned long long>(report.errors),
              static_cast<unsigned long long>(report.warnings),
              report.errors == 0 ? "the dictionary rule searches it correctly"
                                 : "the dictionary rule may miss entries of it");
  return report.errors == 0 ? kExitAccepted : kExitRefused;
}

}  // namespace

int RunDict(const std::vector<std::string>& args) {
  Arguments parsed;
  std::string error;
  if (!ParseArguments(args, {}, {"--utf16"}, parsed, error)) return Usage(error);
  if (PrintHelp(parsed, kUsage)) return kExitAccepted;
  if (parsed.operands.empty()) return Usage("");
  if (parsed.operands[0] == "build") return Build(parsed);
  if (parsed.Has("--utf16")) return Usage("--utf16 is an option of build");
  if (parsed.operands[0] == "verify") return Verify(parsed);
  return Usage("unknown dict command " + parsed.operands[0]);
}

}  // namespace hvn::tool
