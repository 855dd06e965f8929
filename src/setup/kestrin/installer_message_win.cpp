#include "setup/kestrin/installer_message.h"

// The three Windows Installer functions, imported from msi.dll by ordinal only (the import
// library is made from msi_ordinals.def), so the library names no installer function.
extern "C" {
MSIHANDLE __stdcall MsiCreateRecord(UINT fields);
UINT __stdcall MsiRecordSetStringA(MSIHANDLE record, UINT field, const char* text);
int __stdcall MsiProcessMessage(MSIHANDLE session, INSTALLMESSAGE type, MSIHANDLE record);
}

namespace hvn {

// A user message with the information icon and an OK button.
constexpr UINT kUserMessageType = 0x03000000u | 0x40u | 0x0u;

void ReportInstallerMessage(MSIHANDLE session, const char* number) {
  // Field 0, the template, stays empty: the installer then looks up the error-table row
  // whose number stands in field 1.
  MSIHANDLE record = ::MsiCreateRecord(2);
  if (record == 0) return;
  ::MsiRecordSetStringA(record, 1, number);
  ::MsiProcessMessage(session, static_cast<INSTALLMESSAGE>(kUserMessageType), record);
  // The record stays open: closing it would take a fourth installer function, and the
  // installer releases what a custom action left open when the action ends.
}

}  // namespace hvn
