// ICatRegister: the component category manager's registration side, and the published category ids.
#pragma once

#include <span>
#include <string>

#include "platform/com/unknown.h"

namespace plat::com {

// Controls a page may script without a warning.
inline constexpr CATID CATID_SafeForScripting = MakeGuid("{7DD95801-9882-11CF-9FA9-00AA006C42C4}");
// Controls a page may initialise from its stored values without a warning.
inline constexpr CATID CATID_SafeForInitializing = MakeGuid("{7DD95802-9882-11CF-9FA9-00AA006C42C4}");

// The system's standard component category manager class.
inline constexpr CLSID CLSID_StdComponentCategoriesMgr =
    MakeGuid("{0002E005-0000-0000-C000-000000000046}");

// At most this many UTF-16 units of a description are kept (the platform's buffer holds 128 with
// the terminator).
inline constexpr std::size_t kCategoryDescriptionMax = 127;

struct CATEGORYINFO {
  CATID catid;
  LCID lcid = 0;
  std::u16string szDescription;  // longer descriptions are cut to kCategoryDescriptionMax units
};

class ICatRegister : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{0002E012-0000-0000-C000-000000000046}");
  using base_interface = IUnknown;

  // Creates or updates each category's description for its locale.
  virtual HRESULT RegisterCategories(std::span<const CATEGORYINFO> categories) = 0;
  // Removes the categories with all their descriptions.
  virtual HRESULT UnRegisterCategories(std::span<const CATID> catids) = 0;
  // Lists `clsid` as implementing each of `catids`.
  virtual HRESULT RegisterClassImplCategories(const CLSID& clsid, std::span<const CATID> catids) = 0;
  // Takes `clsid` off the lists of `catids`; ids it was not listed under are no error.
  virtual HRESULT UnRegisterClassImplCategories(const CLSID& clsid, std::span<const CATID> catids) = 0;

 protected:
  ~ICatRegister() = default;
};

}  // namespace plat::com
