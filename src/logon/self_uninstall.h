// The way out of a broken chain: offers the user to take this library out of Winlogon's
// logon-provider chain at once.
#ifndef HVN_LOGON_SELF_UNINSTALL_H_
#define HVN_LOGON_SELF_UNINSTALL_H_

namespace hvn {

// Asks (system message box, Yes/No, No the default). On Yes, makes the provider that this
// library chains to Winlogon's provider again when IsRestorableProvider says so (the rule the
// installers' removal follows), else the standard provider; deletes "REM_GinaDLL" once the head
// was written; and says whether that worked. Takes effect at the next start of the computer;
// this process goes on unchanged.
void OfferSelfUninstall();

}  // namespace hvn

#endif  // HVN_LOGON_SELF_UNINSTALL_H_
