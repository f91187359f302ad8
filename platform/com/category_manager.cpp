// Component categories and the classes that implement them, kept in the registry store.
#include "platform/com/category_manager.h"

#include <cstdio>

#include "platform/com/ref_counted.h"
#include "platform/com/registry_access.h"
#include "platform/text/text.h"

namespace plat::com {

namespace {

std::string CategoryKey(const CATID& catid) { return "Component Categories\\" + FormatGuid(catid); }
std::string ImplementedKey(const CLSID& clsid) { return "CLSID\\" + FormatGuid(clsid) + "\\Implemented Categories"; }

std::string LcidName(LCID lcid) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%x", static_cast<unsigned>(lcid));
  return buffer;
}

// The description as the platform's 128-unit buffer holds it.
std::string StoredDescription(const std::u16string& description) {
  std::u16string_view kept(description);
  if (kept.size() > kCategoryDescriptionMax) {
    kept = kept.substr(0, kCategoryDescriptionMax);
    if (kept.back() >= 0xD800 && kept.back() <= 0xDBFF) kept.remove_suffix(1);  // half a pair
  }
  return plat::text::Utf16ToCp949(kept);
}

class CategoryManager : public RefCounted<ICatRegister> {
 public:
  HRESULT RegisterCategories(std::span<const CATEGORYINFO> categories) override {
    for (const auto& info : categories) {
      HRESULT hr = detail::SetClassesText(CategoryKey(info.catid), LcidName(info.lcid),
                                          StoredDescription(info.szDescription));
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }

  HRESULT UnRegisterCategories(std::span<const CATID> catids) override {
    for (const auto& catid : catids) {
      HRESULT hr = detail::DeleteClassesTree(CategoryKey(catid));
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }

  HRESULT RegisterClassImplCategories(const CLSID& clsid, std::span<const CATID> catids) override {
    for (const auto& catid : catids) {
      HRESULT hr = detail::CreateClassesKey(ImplementedKey(clsid) + "\\" + FormatGuid(catid));
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }

  HRESULT UnRegisterClassImplCategories(const CLSID& clsid, std::span<const CATID> catids) override {
    for (const auto& catid : catids) {
      HRESULT hr = detail::DeleteClassesTree(ImplementedKey(clsid) + "\\" + FormatGuid(catid));
      if (FAILED(hr)) return hr;
    }
    // The list key goes when its last category does, as the platform tidies it.
    if (detail::Subkeys(ImplementedKey(clsid)).empty()) detail::DeleteClassesTree(ImplementedKey(clsid));
    return S_OK;
  }
};

}  // namespace

HRESULT CreateCategoryManager(const IID& riid, void** ppv) {
  if (!ppv) return E_POINTER;
  return MakeCom<CategoryManager>()->QueryInterface(riid, ppv);
}

ComPtr<ICatRegister> CreateCategoryManager() { return MakeCom<CategoryManager>().As<ICatRegister>(); }

}  // namespace plat::com
