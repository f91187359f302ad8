// The registry's HKEY_CLASSES_ROOT in the platform's call shape: keys, values, enumeration.
//
// Keys live in one store file shared by every process of this system (DREV_REGISTRY, else
// ${XDG_DATA_HOME:-~/.local/share}/drev/registry.json). Each call reads the store as it is now and
// each change is written at once, atomically, under a lock, so concurrent writers keep each other's
// changes. Names and texts are CP949 inside; key and value names compare without ASCII letter case
// and keep the case they were created with. A top-level key ".ext" that the store does not hold
// (or holds without a "Content Type" value) answers "Content Type" from the system's MIME database
// (/etc/mime.types), read-only: nothing from it is ever written into the store, and such keys are not
// listed by RegEnumKeyExA.
//
// Every call returns ERROR_SUCCESS (0) or an error number (error.h), as the platform does:
// ERROR_FILE_NOT_FOUND for a missing key or value, ERROR_INVALID_HANDLE for a closed handle,
// ERROR_KEY_DELETED when the key of an open handle has been deleted since, ERROR_ACCESS_DENIED when
// the handle lacks the access the call needs, ERROR_MORE_DATA when a buffer is too small,
// ERROR_NO_UNICODE_TRANSLATION for names or texts that are not CP949, ERROR_REGISTRY_CORRUPT when
// the store file cannot be read as a store (it is then never written over), ERROR_CANTWRITE when the
// store cannot be written or its lock not taken within ten seconds.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/types.h"

namespace plat::registry {

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000));

// Access rights of a key handle.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Value types kept as text (REG_SZ, REG_EXPAND_SZ) and as a number (REG_DWORD); any other type is
// kept as its bytes.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens `subKey` (backslash-separated path; null or "" opens `key` itself again) of `key` with the
// access `sam`. The handle goes to `*result` (closed with RegCloseKey).
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM sam, HKEY* result);

// Opens `subKey` of `key`, creating it and any missing keys on the way (needs KEY_CREATE_SUB_KEY on
// `key` when something is created). `disposition` (may be null) tells REG_CREATED_NEW_KEY or
// REG_OPENED_EXISTING_KEY. `keyClass` and `security` are ignored.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options, REGSAM sam,
                     void* security, HKEY* result, DWORD* disposition);

// Reads the value `valueName` (null or "": the key's default value).
//   type (may be null) receives its type.
//   data null, cbData given: *cbData receives the size the data needs, ERROR_SUCCESS.
//   data given: *cbData is the buffer's size in; on ERROR_SUCCESS the size written out; when the
//   buffer is too small ERROR_MORE_DATA, *cbData = the size needed and the buffer is left as it was.
// A REG_SZ value's size includes its terminator. `reserved` must be null.
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);

// Writes the value `valueName` (null or "": the default value). REG_SZ/REG_EXPAND_SZ take the text
// up to its first terminator within `cbData` bytes; REG_DWORD needs `cbData` == 4. Needs
// KEY_SET_VALUE.
LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);

// Removes the value `valueName`; ERROR_FILE_NOT_FOUND when the store has no such value.
LONG RegDeleteValueA(HKEY key, const char* valueName);

// Removes `subKey` of `key` with its values; ERROR_ACCESS_DENIED while it still has subkeys,
// ERROR_FILE_NOT_FOUND when the store does not hold it, ERROR_INVALID_PARAMETER for an empty name.
LONG RegDeleteKeyA(HKEY key, const char* subKey);

// Removes `subKey` of `key` with everything under it; with a null or empty `subKey`, removes the
// values and subkeys of `key` itself and keeps the key.
LONG RegDeleteTreeA(HKEY key, const char* subKey);

// The name of the `index`th subkey of `key` (ordered by name without letter case). `*cchName` is the
// buffer's size in bytes in, the name's length without terminator out; ERROR_MORE_DATA when it does
// not fit with its terminator, ERROR_NO_MORE_ITEMS past the last. Needs KEY_ENUMERATE_SUB_KEYS.
// `keyClass`, `cchClass` and `lastWriteTime` are ignored (a class comes back empty).
LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* reserved, char* keyClass,
                   DWORD* cchClass, void* lastWriteTime);

// The `index`th value of `key`: its name as RegEnumKeyExA gives key names, its type and data as
// RegQueryValueExA gives them (ERROR_MORE_DATA when either buffer is too small). Needs KEY_QUERY_VALUE.
LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* reserved, DWORD* type, BYTE* data,
                   DWORD* cbData);

// Closes a handle from RegOpenKeyExA/RegCreateKeyExA; closing HKEY_CLASSES_ROOT does nothing.
LONG RegCloseKey(HKEY key);

// The path of the store file this process uses (for messages about it).
std::string RegistryStorePath();

}  // namespace plat::registry
