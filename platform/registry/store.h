// The store file: where it is, reading it as it is now, changing it under a lock (internal).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/base/types.h"
#include "platform/registry/key_tree.h"

namespace plat::registry::detail {

// DREV_REGISTRY, else ${XDG_DATA_HOME:-$HOME/.local/share}/drev/registry.json.
std::string StorePath();

// The tree as the file holds it now (an empty tree with its root when there is no file yet).
// ERROR_REGISTRY_CORRUPT when the file is not a well-formed store, ERROR_CANTREAD when it cannot be
// read. The file is parsed again only when it has changed since the last read in this process.
LONG ReadTree(std::shared_ptr<const Json>& tree);

// Changes the tree: takes the store's lock, reads the file afresh, runs `change` on the tree and,
// when it returns ERROR_SUCCESS having set `modified`, writes the whole tree to a temporary file that
// then replaces the store. Returns what `change` returned, or ERROR_REGISTRY_CORRUPT (the file is
// left alone), or ERROR_CANTWRITE (no lock within the bound, or the write failed; the store is as it
// was).
LONG UpdateTree(const std::function<LONG(Json& tree, bool& modified)>& change);

}  // namespace plat::registry::detail
