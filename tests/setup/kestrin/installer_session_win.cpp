#include "setup/kestrin/installer_session_win.h"

#include "platform/unique_resource.h"
#include "platform/win.h"
// The record handler arrived with Windows Installer 3.1.
#define _WIN32_MSI 310
// clang-format off
#include <wtypes.h>
#include <msi.h>
#include <msiquery.h>
// clang-format on

namespace hvn::test {
namespace {

const char* const kActions[] = {"ActivateServer",          "DeactivateServer",
                                "ActivateClient",          "DeactivateClient",
                                "ClientRecursiveLoadTest", "ClientDeactivateTest"};

const char* const kTables[] = {
    "CREATE TABLE `Property` (`Property` CHAR(72) NOT NULL, `Value` LONGCHAR NOT NULL "
    "PRIMARY KEY `Property`)",
    "CREATE TABLE `Binary` (`Name` CHAR(72) NOT NULL, `Data` OBJECT NOT NULL PRIMARY KEY `Name`)",
    "CREATE TABLE `CustomAction` (`Action` CHAR(72) NOT NULL, `Type` SHORT NOT NULL, "
    "`Source` CHAR(72), `Target` CHAR(255) PRIMARY KEY `Action`)",
    "CREATE TABLE `Error` (`Error` SHORT NOT NULL, `Message` LONGCHAR LOCALIZABLE "
    "PRIMARY KEY `Error`)",
    "INSERT INTO `Property` (`Property`, `Value`) VALUES "
    "('ProductCode', '{6E3F2A51-4C0B-4D8E-9A35-0B1C2D3E4F50}')",
    "INSERT INTO `Property` (`Property`, `Value`) VALUES ('ProductName', 'Kestrin test')",
    "INSERT INTO `Property` (`Property`, `Value`) VALUES ('ProductVersion', '3.5.0.1')",
    "INSERT INTO `Property` (`Property`, `Value`) VALUES ('ProductLanguage', '1033')",
    "INSERT INTO `Property` (`Property`, `Value`) VALUES ('Manufacturer', 'Norvex')",
};

struct MsiHandleTraits {
  using Handle = MSIHANDLE;
  static Handle Invalid() { return 0; }
  static void Close(Handle handle) { ::MsiCloseHandle(handle); }
};
using UniqueMsiHandle = platform::UniqueResource<MsiHandleTraits>;

bool Execute(MSIHANDLE database, const char* query, MSIHANDLE record = 0) {
  UniqueMsiHandle view;
  if (::MsiDatabaseOpenViewA(database, query, view.Receive()) != ERROR_SUCCESS) return false;
  return ::MsiViewExecute(view.Get(), record) == ERROR_SUCCESS;
}

bool SetSummary(MSIHANDLE database) {
  UniqueMsiHandle summary;
  if (::MsiGetSummaryInformationA(database, nullptr, 20, summary.Receive()) != ERROR_SUCCESS) {
    return false;
  }
  bool ok = ::MsiSummaryInfoSetPropertyA(summary.Get(), 7 /*PID_TEMPLATE*/, VT_LPSTR, 0, nullptr,
                                         "Intel;1033") == ERROR_SUCCESS;
  ok =
      ok && ::MsiSummaryInfoSetPropertyA(summary.Get(), 9 /*PID_REVNUMBER*/, VT_LPSTR, 0, nullptr,
                                         "{0A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9}") == ERROR_SUCCESS;
  ok = ok && ::MsiSummaryInfoSetPropertyA(summary.Get(), 14 /*PID_PAGECOUNT*/, VT_I4, 200, nullptr,
                                          nullptr) == ERROR_SUCCESS;
  return ok && ::MsiSummaryInfoPersist(summary.Get()) == ERROR_SUCCESS;
}

// Keeps every user message of the session: type and field 1.
int WINAPI RecordUserMessage(void* context, UINT type, MSIHANDLE record) {
  if ((type & 0xFF000000u) != INSTALLMESSAGE_USER || record == 0) return 0;
  auto* run = static_cast<ActionRun*>(context);
  char text[64] = {};
  DWORD size = sizeof(text);
  ::MsiRecordGetStringA(record, 1, text, &size);
  run->messages.push_back(text);
  run->types.push_back(type);
  return IDOK;
}

}  // namespace

InstallerPackage::InstallerPackage(const std::string& dll_path, const std::string& folder)
    : path_(folder + "\\kestrin-test.msi") {
  UniqueMsiHandle database;
  failure_ = "creating the database";
  if (::MsiOpenDatabaseA(path_.c_str(), MSIDBOPEN_CREATE, database.Receive()) != ERROR_SUCCESS) {
    return;
  }
  for (const char* query : kTables) {
    if (!Execute(database.Get(), query)) {
      failure_ = query;
      return;
    }
  }
  failure_ = "storing the library";
  UniqueMsiHandle binary(::MsiCreateRecord(2));
  ::MsiRecordSetStringA(binary.Get(), 1, "Kestrin");
  if (::MsiRecordSetStreamA(binary.Get(), 2, dll_path.c_str()) != ERROR_SUCCESS) return;
  if (!Execute(database.Get(), "INSERT INTO `Binary` (`Name`, `Data`) VALUES (?, ?)",
               binary.Get())) {
    return;
  }
  failure_ = "the custom actions";
  for (const char* action : kActions) {
    UniqueMsiHandle row(::MsiCreateRecord(2));
    ::MsiRecordSetStringA(row.Get(), 1, action);
    ::MsiRecordSetStringA(row.Get(), 2, action);
    if (!Execute(database.Get(),
                 "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) "
                 "VALUES (?, 1, 'Kestrin', ?)",
                 row.Get())) {
      return;
    }
  }
  failure_ = "the error table";
  for (int number = 25000; number <= 25090; number += 5) {
    UniqueMsiHandle row(::MsiCreateRecord(2));
    ::MsiRecordSetInteger(row.Get(), 1, number);
    ::MsiRecordSetStringA(row.Get(), 2, ("Message " + std::to_string(number)).c_str());
    if (!Execute(database.Get(), "INSERT INTO `Error` (`Error`, `Message`) VALUES (?, ?)",
                 row.Get())) {
      return;
    }
  }
  failure_ = "the summary or the commit";
  if (SetSummary(database.Get()) && ::MsiDatabaseCommit(database.Get()) == ERROR_SUCCESS) {
    failure_.clear();
  }
}

ActionRun InstallerPackage::Run(const std::string& action,
                                const std::string& windows_version) const {
  // Wine runs a DLL custom action in a msiexec.exe of its own, started for each session.
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\msiexec.exe", 0, nullptr,
                        0, KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    ::RegSetValueExA(key, "Version", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(windows_version.c_str()),
                     static_cast<DWORD>(windows_version.size() + 1));
    ::RegCloseKey(key);
  }
  ActionRun run;
  ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  ::MsiSetExternalUIRecord(RecordUserMessage, INSTALLLOGMODE_USER, &run, nullptr);
  UniqueMsiHandle session;
  if (::MsiOpenPackageA(path_.c_str(), session.Receive()) != ERROR_SUCCESS) {
    run.result = ~0u;
    return run;
  }
  run.result = ::MsiDoActionA(session.Get(), action.c_str());
  session.Reset();
  ::MsiSetExternalUIRecord(nullptr, 0, nullptr, nullptr);
  return run;
}

}  // namespace hvn::test
