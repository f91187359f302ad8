// Open key handles and the names and paths they stand for (internal to the registry).
#pragma once

#include <optional>
#include <string>

#include "platform/registry/key_tree.h"
#include "platform/registry/registry.h"

namespace plat::registry::detail {

// What a handle stands for: a path from HKEY_CLASSES_ROOT and the access it was opened with.
struct OpenKey {
  KeyPath path;
  REGSAM sam = 0;
};

// The key of a handle (HKEY_CLASSES_ROOT: the root with every access); ERROR_INVALID_HANDLE for a
// handle that is not open.
LONG ResolveKey(HKEY key, OpenKey& out);

// A new handle for `key`; closed with CloseOpenKey.
HKEY AddOpenKey(OpenKey key);

// Forgets a handle; false when it was not open.
bool CloseOpenKey(HKEY key);

// A CP949 name (null: "") as UTF-8; ERROR_NO_UNICODE_TRANSLATION when it is not CP949 text.
LONG NameToUtf8(const char* cp949, std::string& utf8);

// `base` followed by the names of the CP949 path `subKey` (null or "": none).
LONG ExtendPath(const KeyPath& base, const char* subKey, KeyPath& out);

// For a key ".ext" right under the root, the content type the MIME database gives the extension.
std::optional<std::string> MimeContentType(const KeyPath& path);

// Whether `path` is a key: held by the store, or answered by the MIME database.
bool KeyExists(const Json& tree, const KeyPath& path);

}  // namespace plat::registry::detail

namespace plat::registry::detail {

// ERROR_SUCCESS when the key of an open handle still exists, else ERROR_KEY_DELETED.
LONG CheckStillThere(const Json& tree, const KeyPath& path);

// Whether a handle opened with `sam` may do what `needed` asks.
inline bool Allows(const OpenKey& key, REGSAM needed) { return (key.sam & needed) == needed; }

// `utf8` as CP949 into `buffer` of `*size` bytes with its terminator; `*size` becomes the length.
// ERROR_MORE_DATA (nothing written) when it does not fit, ERROR_INVALID_PARAMETER without a buffer.
LONG CopyName(const std::string& utf8, char* buffer, DWORD* size);

}  // namespace plat::registry::detail
