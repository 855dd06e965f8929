// The three ways the installers test a logon provider's name. Portable.
#ifndef HVN_SETUP_PROVIDER_NAMES_H_
#define HVN_SETUP_PROVIDER_NAMES_H_

namespace hvn {

// The client's name as the installers write it into "GinaDLL" (no path: the library lies in
// the system directory).
constexpr char kClientProviderName[] = "HVNC32.DLL";

// True when `text` contains `part`, letter case ignored (both upper-cased in the ANSI code
// page, double-byte characters taken whole, so a match never starts on a trail byte). Texts
// are read up to their terminator; null counts as empty. An empty `part` is contained in
// every text.
bool ContainsNoCase(const char* text, const char* part);

// "MSGINA.DLL" exactly, letter case counting: the name Winlogon falls back to anyway.
bool IsDefaultProviderName(const char* name);

// Contains "HVNC32" in any letter case, a path included: this client.
bool IsClientProviderName(const char* name);

// The whole name is "MSGINA.DLL" or "HVNC32.DLL", letter case ignored: a head of the chain
// that cannot be hiding the client behind it.
bool IsHarmlessHeadName(const char* name);

}  // namespace hvn

#endif  // HVN_SETUP_PROVIDER_NAMES_H_
