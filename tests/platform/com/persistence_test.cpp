// Property exchange over a reset, a property bag and a saved stream, and the modified flag.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/memory_property_bag.h"
#include "platform/com/memory_stream.h"
#include "platform/com/property_persistence.h"
#include "platform/text/text.h"

namespace plat::com {
namespace {

constexpr DWORD kVersion = 0x00010000;

// An object with a control's kind of persisted settings and one exchange routine for all directions.
struct Settings {
  DWORD version = 0;
  std::string actionTime;
  LONG maxNormalSize = 0;
  LONG maxFileCount = 0;
  std::string serverName;
  std::string uploadUrl;

  void Exchange(PropExchange& px) {
    px.ExchangeVersion(version, kVersion, true);
    px.PX_String("ActionTime", actionTime, "20261208101010");
    px.PX_Long("MaxNormalSize", maxNormalSize, 20480000);
    px.PX_Long("MaxFileCount", maxFileCount, 10);
    px.PX_String("Normal_ServerName", serverName, "");
    px.PX_String("Normal_UploadURL", uploadUrl, "");
  }
  bool IsDefault() const {
    return actionTime == "20261208101010" && maxNormalSize == 20480000 && maxFileCount == 10 &&
           serverName.empty() && uploadUrl.empty() && version == kVersion;
  }
  friend bool operator==(const Settings&, const Settings&) = default;
};

struct Persisted {
  Settings s;
  PropertyPersistence persistence{[this](PropExchange& px) { s.Exchange(px); }};
};

Settings Sample() {
  Settings s;
  s.version = kVersion;
  s.actionTime = "20250101090909";
  s.maxNormalSize = -5;
  s.maxFileCount = 2147483647;
  s.serverName = plat::text::Utf8ToCp949("업로드.example.kr");
  s.uploadUrl = "/upload/receive.jsp?x=1";
  return s;
}

// A stream whose medium fails.
class BrokenStream : public RefCounted<IStream> {
 public:
  HRESULT Read(void*, ULONG, ULONG* read) override { return *read = 0, E_FAIL; }
  HRESULT Write(const void*, ULONG, ULONG* written) override { return *written = 0, STG_E_WRITEFAULT; }
};

TEST(PropertyBag, LoadTakesWhatIsThereAndDefaultsTheRest) {
  auto bag = MakeCom<PropertyBag>();
  bag->Write(u"maxfilecount", Variant::Bstr(u"30"));              // a <param> value is text; case differs
  bag->Write(u"Normal_ServerName", Variant::Bstr(u"파일서버"));
  bag->Write(u"Normal_UploadURL", Variant::I4(7));                 // a number serves a text
  bag->Write(u"MaxNormalSize", Variant::Bstr(u"lots"));            // unusable: default
  Persisted p;
  p.s.maxNormalSize = 1;
  p.persistence.SetModifiedFlag();
  EXPECT_EQ(p.persistence.Load(bag.Get()), S_OK);
  EXPECT_EQ(p.s.maxFileCount, 30);
  EXPECT_EQ(p.s.serverName, plat::text::Utf8ToCp949("파일서버"));
  EXPECT_EQ(p.s.uploadUrl, "7");
  EXPECT_EQ(p.s.maxNormalSize, 20480000);
  EXPECT_EQ(p.s.actionTime, "20261208101010");
  EXPECT_EQ(p.s.version, kVersion);  // no "_Version": the current one
  EXPECT_FALSE(p.persistence.IsModified());

  auto overflow = MakeCom<PropertyBag>();
  overflow->Write(u"MaxFileCount", Variant::Bstr(u"99999999999"));
  overflow->Write(u"_Version", Variant::I4(0x00020003));
  EXPECT_EQ(p.persistence.Load(overflow.Get()), S_OK);
  EXPECT_EQ(p.s.maxFileCount, 10);
  EXPECT_EQ(p.s.version, 0x00020003u);
}

TEST(PropertyBag, SaveWritesTypedNamedValuesThatLoadBack) {
  Persisted a;
  a.s = Sample();
  auto bag = MakeCom<PropertyBag>();
  EXPECT_EQ(a.persistence.Save(bag.Get(), true), S_OK);

  std::vector<std::u16string> names;
  for (const auto& [name, value] : bag->Entries()) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"_Version", u"ActionTime", u"MaxNormalSize", u"MaxFileCount",
                                                u"Normal_ServerName", u"Normal_UploadURL"}));
  Variant v;
  ASSERT_EQ(bag->Read(u"MaxNormalSize", &v), S_OK);
  EXPECT_EQ(v, Variant::I4(-5));
  ASSERT_EQ(bag->Read(u"normal_servername", &v), S_OK);
  EXPECT_EQ(v, Variant::Bstr(u"업로드.example.kr"));
  EXPECT_EQ(bag->Read(u"Missing", &v), E_INVALIDARG);

  Persisted b;
  EXPECT_EQ(b.persistence.Load(bag.Get()), S_OK);
  EXPECT_EQ(b.s, a.s);
}

TEST(SavedStream, RoundTripsEveryValueAndTheVersion) {
  Persisted a;
  a.s = Sample();
  auto stream = MakeCom<MemoryStream>();
  ASSERT_EQ(a.persistence.Save(stream.Get(), true), S_OK);
  std::uint64_t size = 0;
  EXPECT_EQ(a.persistence.GetSizeMax(&size), S_OK);
  EXPECT_EQ(size, stream->Bytes().size());

  Persisted b;
  EXPECT_EQ(b.persistence.Load(stream.Get()), S_OK);
  EXPECT_EQ(b.s, a.s);

  // A routine that keeps the loaded version (convert = false) saves that version back.
  auto old = MakeCom<MemoryStream>();
  PropertyPersistence keeper([&](PropExchange& px) {
    DWORD v = 0x00000005;
    px.ExchangeVersion(v, kVersion, false);
  });
  ASSERT_EQ(keeper.Save(old.Get(), false), S_OK);
  DWORD seen = 0;
  PropertyPersistence reader([&](PropExchange& px) { px.ExchangeVersion(seen, kVersion, true); });
  EXPECT_EQ(reader.Load(old.Get()), S_OK);
  EXPECT_EQ(seen, 5u);
}

TEST(SavedStream, EveryTruncationFailsCleanlyAndLeavesDefaults) {
  Persisted a;
  a.s = Sample();
  auto full = MakeCom<MemoryStream>();
  ASSERT_EQ(a.persistence.Save(full.Get(), true), S_OK);
  const auto& bytes = full->Bytes();
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    auto cut = MakeCom<MemoryStream>(std::vector<BYTE>(bytes.begin(), bytes.begin() + n));
    Persisted b;
    b.s = Sample();
    EXPECT_EQ(b.persistence.Load(cut.Get()), STG_E_READFAULT) << "cut at " << n;
    EXPECT_TRUE(b.s.IsDefault()) << "cut at " << n;
  }
}

TEST(SavedStream, DamagedOrForeignStreamsAreRefused) {
  Persisted a;
  a.s = Sample();
  auto good = MakeCom<MemoryStream>();
  ASSERT_EQ(a.persistence.Save(good.Get(), true), S_OK);
  auto load = [](std::vector<BYTE> bytes) {
    auto s = MakeCom<MemoryStream>(std::move(bytes));
    Persisted p;
    HRESULT hr = p.persistence.Load(s.Get());
    if (FAILED(hr)) {
      EXPECT_TRUE(p.s.IsDefault());  // never half loaded
    }
    return hr;
  };

  std::vector<BYTE> badTag = good->Bytes();
  badTag[0] = 'X';
  EXPECT_EQ(load(badTag), STG_E_INVALIDHEADER);

  // The first text's length claims 4 GiB: refused without trying to read (or allocate) it.
  std::vector<BYTE> hugeText = good->Bytes();
  std::size_t lengthAt = 1 + 4 + 1 + 2 + std::string("ActionTime").size();
  ASSERT_GT(hugeText.size(), lengthAt + 4);
  for (int i = 0; i < 4; ++i) hugeText.at(lengthAt + i) = 0xFF;
  EXPECT_EQ(load(hugeText), STG_E_INVALIDHEADER);

  // A plausible length that runs past the end.
  std::vector<BYTE> longText = good->Bytes();
  longText[lengthAt] = 0xF0;
  longText[lengthAt + 1] = 0xFF;
  EXPECT_EQ(load(longText), STG_E_READFAULT);

  // Saved by a routine with other properties.
  auto foreign = MakeCom<MemoryStream>();
  PropertyPersistence other([](PropExchange& px) {
    DWORD v = 1;
    LONG n = 3;
    px.ExchangeVersion(v, v, true);
    px.PX_Long("Width", n, 0);
  });
  ASSERT_EQ(other.Save(foreign.Get(), true), S_OK);
  EXPECT_EQ(load(foreign->Bytes()), STG_E_INVALIDHEADER);

  Persisted p;
  auto broken = MakeCom<BrokenStream>();
  EXPECT_EQ(p.persistence.Load(broken.Get()), E_FAIL);
  EXPECT_EQ(p.persistence.Load(static_cast<IStream*>(nullptr)), E_POINTER);
}

TEST(ModifiedFlag, SetByWritesClearedByLoadResetAndRequestedSaves) {
  Persisted p;
  EXPECT_EQ(p.persistence.IsDirty(), S_FALSE);
  p.persistence.SetModifiedFlag();
  EXPECT_EQ(p.persistence.IsDirty(), S_OK);

  auto stream = MakeCom<MemoryStream>();
  ASSERT_EQ(p.persistence.Save(stream.Get(), false), S_OK);
  EXPECT_TRUE(p.persistence.IsModified());  // the host asked to keep it

  auto broken = MakeCom<BrokenStream>();
  EXPECT_EQ(p.persistence.Save(broken.Get(), true), STG_E_WRITEFAULT);
  EXPECT_TRUE(p.persistence.IsModified());  // a failed save saved nothing

  ASSERT_EQ(p.persistence.Save(stream.Get(), true), S_OK);
  EXPECT_FALSE(p.persistence.IsModified());

  p.persistence.SetModifiedFlag();
  EXPECT_EQ(p.persistence.InitNew(), S_OK);
  EXPECT_FALSE(p.persistence.IsModified());
  EXPECT_TRUE(p.s.IsDefault());
}

TEST(SavedStream, RefusesToSaveATextItCouldNotLoad) {
  Persisted p;
  p.s.actionTime.assign(StreamExchange::kMaxText + 1, 'x');
  auto stream = MakeCom<MemoryStream>();
  EXPECT_EQ(p.persistence.Save(stream.Get(), true), E_INVALIDARG);
}

}  // namespace
}  // namespace plat::com
