#include "setup/dravin/installer_texts.h"

namespace hvn::dravin {

void WriteBanner(ConsoleWriter& out) {
  out.Write(
      "Halvern Client 3.5\n"
      "Copyright (C) Norvex. All rights reserved.\n"
      "\n"
      "Dravin V3.5 - Halvern Client installer\n"
      "\n");
}

void WriteUsage(ConsoleWriter& out) {
  out.Write(
      "Syntax:   Dravin INSTALL    [ConfigFilename.cfg] [/Q]\n"
      "          Dravin INSTALLWEB [ConfigFilename.cfg] [/Q]\n"
      "          Dravin UNINSTALL  [/Q]\n"
      "\n"
      "Examples: Dravin INSTALL HVNClnt.cfg\n"
      "          Dravin INSTALL HVNClnt.cfg /Q    (quiet mode)\n"
      "          Dravin INSTALLWEB HVNClnt.cfg    (configures HVN/Web client)\n"
      "          Dravin UNINSTALL\n"
      "\n"
      "*** Note: Configuration will fail if HVN client files cannot be located\n"
      "\n");
}

void WriteParseFailure(const CommandLine& command_line, ConsoleWriter& out) {
  WriteBanner(out);
  WriteUsage(out);
  switch (command_line.message) {
    case ParseMessage::kNone:
      return;
    case ParseMessage::kInvalidNumberOfParameters:
      out.Write("Invalid number of parameters.\a");
      break;
    case ParseMessage::kInvalidMode:
      out.Write("Invalid mode: ");
      out.Write(command_line.message_argument);
      out.Write("\a");
      break;
    case ParseMessage::kFileDoesNotExist:
      out.Write("File does not exist: ");
      out.Write(command_line.message_argument);
      out.Write("\a");
      break;
  }
  out.Write("\n");
}

void WriteAbort(ConsoleWriter& out, const char* text, const char* detail) {
  out.Write(text);
  if (detail != nullptr) out.Write(detail);
  out.Write(kAbortText);
}

}  // namespace hvn::dravin
