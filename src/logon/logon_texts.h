// The texts and key paths of the logon-provider chain, exactly as the user and the
// administrator see them.
#ifndef HVN_LOGON_LOGON_TEXTS_H_
#define HVN_LOGON_LOGON_TEXTS_H_

namespace hvn {

constexpr char kRecursionMessage[] =
    "The Halvern Client has detected a configuration error. WlxNegotiate is being called "
    "recursively. Contact your administrator to resolve this problem.";

constexpr char kUninstallPrompt[] =
    "The Halvern Client has detected an error that may cause Windows NT/2000 to stop (BSOD). "
    "Uninstall the Halvern Client if this problem persists.\n\nClick Yes to uninstall the "
    "Halvern Client now, or No to continue.";

constexpr char kUninstalledMessage[] =
    "The Halvern Client has been uninstalled. Restart the computer to remove the Halvern "
    "Client from memory.";

// Shown instead of kUninstalledMessage when the Winlogon values could not be written; %lu is
// the registry's error code.
constexpr char kUninstallFailedFormat[] =
    "The Halvern Client could not be uninstalled: the Winlogon settings could not be written "
    "(error %lu). Contact your administrator.";

}  // namespace hvn

#endif  // HVN_LOGON_LOGON_TEXTS_H_
