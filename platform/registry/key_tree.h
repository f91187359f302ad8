// The store's tree of keys and values as JSON, and the walks over it (internal to the registry).
//
// The tree is {"HKEY_CLASSES_ROOT": node}; a node is {"name": text, "keys": {folded: node},
// "values": {folded: {"name": text, "type": number, "data": ...}}}, where `folded` is the name with
// ASCII letters in lower case and `name` keeps the case first given. All texts are UTF-8. "data" is
// a string for REG_SZ/REG_EXPAND_SZ, a number for REG_DWORD and a hex string of the bytes otherwise.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace plat::registry::detail {

using Json = nlohmann::json;
using KeyPath = std::vector<std::string>;  // UTF-8 names from the root down

// `utf8` with ASCII letters lowered (UTF-8 never hides an ASCII byte inside another character).
std::string Fold(std::string_view utf8);

// Splits a backslash-separated UTF-8 path and appends its names to `path`. A single trailing
// backslash is allowed; an empty name elsewhere makes it false.
bool AppendPath(std::string_view utf8, KeyPath& path);

// Whether `tree` has the shape above all the way down (a hand-edited file may not).
bool IsWellFormed(const Json& tree);

// Gives an empty tree its root key, so that every well-formed tree has one.
void EnsureRoot(Json& tree);

// The node at `path` of a tree with its root, or null when a key on the way is missing.
const Json* FindKey(const Json& tree, const KeyPath& path);
Json* FindKey(Json& tree, const KeyPath& path);

// The node at `path`, creating missing keys on the way; `created` tells whether any was made.
Json& CreateKey(Json& tree, const KeyPath& path, bool* created);

// A value record of `node` by name, or null.
const Json* FindValue(const Json& node, std::string_view utf8Name);

}  // namespace plat::registry::detail
