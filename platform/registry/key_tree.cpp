// Walking and shaping the store's JSON tree by case-insensitive names.
#include "platform/registry/key_tree.h"

namespace plat::registry::detail {
namespace {

constexpr const char* kRoot = "HKEY_CLASSES_ROOT";

Json NewNode(const std::string& name) {
  return Json{{"name", name}, {"keys", Json::object()}, {"values", Json::object()}};
}

bool IsWellFormedValue(const Json& value) {
  if (!value.is_object() || !value.contains("name") || !value["name"].is_string()) return false;
  if (!value.contains("type") || !value["type"].is_number_unsigned() || !value.contains("data")) return false;
  const Json& data = value["data"];
  return data.is_string() || data.is_number_unsigned();
}

bool IsWellFormedNode(const Json& node) {
  if (!node.is_object() || !node.contains("name") || !node["name"].is_string()) return false;
  if (!node.contains("keys") || !node["keys"].is_object()) return false;
  if (!node.contains("values") || !node["values"].is_object()) return false;
  for (const auto& [folded, child] : node["keys"].items())
    if (!IsWellFormedNode(child) || Fold(child["name"].get_ref<const std::string&>()) != folded) return false;
  for (const auto& [folded, value] : node["values"].items())
    if (!IsWellFormedValue(value) || Fold(value["name"].get_ref<const std::string&>()) != folded) return false;
  return true;
}

}  // namespace

std::string Fold(std::string_view utf8) {
  std::string folded(utf8);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

bool AppendPath(std::string_view utf8, KeyPath& path) {
  if (utf8.empty()) return true;
  if (utf8.back() == '\\') utf8.remove_suffix(1);
  std::size_t start = 0;
  while (true) {
    std::size_t end = utf8.find('\\', start);
    std::string_view name = utf8.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (name.empty()) return false;
    path.emplace_back(name);
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

bool IsWellFormed(const Json& tree) {
  if (!tree.is_object()) return false;
  if (!tree.contains(kRoot)) return tree.empty();
  return tree.size() == 1 && IsWellFormedNode(tree[kRoot]);
}

void EnsureRoot(Json& tree) {
  if (!tree.is_object()) tree = Json::object();
  if (!tree.contains(kRoot)) tree[kRoot] = NewNode(kRoot);
}

const Json* FindKey(const Json& tree, const KeyPath& path) {
  auto root = tree.find(kRoot);
  if (root == tree.end()) return nullptr;
  const Json* node = &*root;
  for (const std::string& name : path) {
    const Json& keys = node->at("keys");
    auto child = keys.find(Fold(name));
    if (child == keys.end()) return nullptr;
    node = &*child;
  }
  return node;
}

Json* FindKey(Json& tree, const KeyPath& path) {
  return const_cast<Json*>(FindKey(static_cast<const Json&>(tree), path));
}

Json& CreateKey(Json& tree, const KeyPath& path, bool* created) {
  *created = false;
  EnsureRoot(tree);
  Json* node = &tree[kRoot];
  for (const std::string& name : path) {
    Json& keys = (*node)["keys"];
    std::string folded = Fold(name);
    if (!keys.contains(folded)) {
      keys[folded] = NewNode(name);
      *created = true;
    }
    node = &keys[folded];
  }
  return *node;
}

const Json* FindValue(const Json& node, std::string_view utf8Name) {
  auto values = node.find("values");
  if (values == node.end()) return nullptr;
  auto value = values->find(Fold(utf8Name));
  return value == values->end() ? nullptr : &*value;
}

}  // namespace plat::registry::detail
