// The rules on the names in the Winlogon chain values: which name is the default provider,
// which is this client, which head is harmless, and which saved provider can be given the head
// back when the client leaves the chain. The logon provider and both installers use them, so a
// name means the same to all three. The client's own names are compared with ASCII letter case
// only (platform/ascii_text.h), whatever the system locale. A name is read up to its terminator
// and never beyond the 260 bytes of a chain field; null counts as empty.
#ifndef HVN_CONFIG_PROVIDER_NAMES_H_
#define HVN_CONFIG_PROVIDER_NAMES_H_

namespace hvn {

// The client's name as the installers write it into "GinaDLL" (no path: the library lies in
// the system directory).
constexpr char kClientProviderName[] = "HVNC32.DLL";

// True when the name `text` contains the ASCII `part`, ASCII letter case ignored; a match starts
// only where a character of the ANSI code page starts. An empty `part` is contained in every
// text.
bool ContainsNoCase(const char* text, const char* part);

// "MSGINA.DLL" exactly, letter case counting: the name Winlogon falls back to anyway.
bool IsDefaultProviderName(const char* name);

// Contains "HVNC32" in any letter case, a path included: this client.
bool IsClientProviderName(const char* name);

// The whole name is "MSGINA.DLL" or "HVNC32.DLL", letter case ignored: a head of the chain
// that cannot be hiding the client behind it.
bool IsHarmlessHeadName(const char* name);

// True when `name` carries a drive or a folder ("\", "/" or ":" outside double-byte
// characters), as providers kept outside the system directory are named.
bool ProviderNameHasPath(const char* name);

// True when `name`, a saved provider, can take the head of the chain back: it is not this
// client (a client saved behind itself counts as no provider) and its library is there, looked
// for where a name with a path says and a bare name in the system directory. False sends
// Winlogon to its own provider; so does a name without a terminator in its 260 bytes. Windows
// build.
bool IsRestorableProvider(const char* name);

}  // namespace hvn

#endif  // HVN_CONFIG_PROVIDER_NAMES_H_
