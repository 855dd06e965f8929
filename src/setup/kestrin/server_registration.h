// Registration of the server-side password filter "HVN.DLL" as a notification package of the
// Local Security Authority: the "Notification Packages" value under HKEY_LOCAL_MACHINE
// "SYSTEM\CurrentControlSet\Control\Lsa".
#ifndef HVN_SETUP_KESTRIN_SERVER_REGISTRATION_H_
#define HVN_SETUP_KESTRIN_SERVER_REGISTRATION_H_

namespace hvn {

enum class FilterRegistration {
  kAdded,    // "HVN" was appended to the list
  kPresent,  // an entry naming the filter was there already; nothing written
  kFailed,   // the key or the value could not be read, or the new list not written
};

// Appends "HVN" to the notification packages unless an entry names the filter already. The
// value is read whole, whatever its size; an absent or empty value is an empty list, and a
// REG_SZ value is taken as a list whose first entry is its text (it is written back as
// REG_MULTI_SZ with that entry kept). A value of any other type is left alone: kFailed.
FilterRegistration RegisterFilterPackage();

// Removes every entry naming the filter and keeps the others as they were. True when entries
// were removed and the list was written; false when nothing was removed, the value is absent
// or of another type than REG_MULTI_SZ or REG_SZ, or a read or the write failed.
bool UnregisterFilterPackages();

}  // namespace hvn

#endif  // HVN_SETUP_KESTRIN_SERVER_REGISTRATION_H_
