// The shipped Kestrin.dll as a file: its six actions under their plain names, the installer
// functions imported by ordinal only, nothing beyond the system's own libraries, and the
// version resource.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "platform/win.h"

namespace {

const char* const kActions[] = {"ActivateServer",          "DeactivateServer",
                                "ActivateClient",          "DeactivateClient",
                                "ClientRecursiveLoadTest", "ClientDeactivateTest"};
const char* const kSystemModules[] = {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL", "MSVCRT.DLL",
                                      "MSI.DLL"};

template <typename T>
const T* At(HMODULE library, DWORD offset) {
  return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(library) + offset);
}

const IMAGE_DATA_DIRECTORY& Directory(HMODULE library, int entry) {
  auto* dos = At<IMAGE_DOS_HEADER>(library, 0);
  return At<IMAGE_NT_HEADERS>(library, dos->e_lfanew)->OptionalHeader.DataDirectory[entry];
}

class KestrinBinary : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(library_, nullptr); }
  HMODULE library_ = ::LoadLibraryA(HVN_KESTRIN_DLL);
};

TEST_F(KestrinBinary, ExportsTheSixActionsUnderTheirPlainNames) {
  for (const char* name : kActions) EXPECT_NE(::GetProcAddress(library_, name), nullptr) << name;
  auto* exports = At<IMAGE_EXPORT_DIRECTORY>(
      library_, Directory(library_, IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
  EXPECT_EQ(exports->NumberOfNames, std::size(kActions));
}

TEST_F(KestrinBinary, ImportsSystemLibrariesAndTheInstallerByOrdinalOnly) {
  auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(
      library_, Directory(library_, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
  std::set<DWORD> installer_ordinals;
  for (; import->Name != 0; ++import) {
    std::string module = At<char>(library_, import->Name);
    std::transform(module.begin(), module.end(), module.begin(), ::toupper);
    EXPECT_NE(std::find(std::begin(kSystemModules), std::end(kSystemModules), module),
              std::end(kSystemModules))
        << module;
    if (module != "MSI.DLL") continue;
    for (auto* thunk = At<IMAGE_THUNK_DATA32>(library_, import->OriginalFirstThunk);
         thunk->u1.AddressOfData != 0; ++thunk) {
      EXPECT_TRUE(IMAGE_SNAP_BY_ORDINAL32(thunk->u1.Ordinal)) << "an installer function by name";
      installer_ordinals.insert(IMAGE_ORDINAL32(thunk->u1.Ordinal));
    }
  }
  EXPECT_EQ(installer_ordinals, (std::set<DWORD>{17, 103, 124}));
}

TEST_F(KestrinBinary, CarriesFileVersion3_5_0_1) {
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeA(HVN_KESTRIN_DLL, &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(::GetFileVersionInfoA(HVN_KESTRIN_DLL, 0, size, &block[0]));
  char* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(&block[0], "\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&value), &length));
  EXPECT_STREQ(value, "3, 5, 0, 1");
}

}  // namespace
