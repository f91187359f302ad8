// Firing events to connected sinks: order, arguments, sinks that leave mid-fire, failing sinks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/event_source.h"
#include "platform/text/text.h"

namespace plat::com {
namespace {

constexpr IID kEvents = MakeGuid("{5A1B2C3D-0000-4000-8000-00000000E001}");

// A page handler: records each call in a shared log and may run an action while it is called.
class Sink : public RefCounted<IDispatch> {
 public:
  Sink(std::string name, std::vector<std::string>* log, bool* destroyed = nullptr)
      : name_(std::move(name)), log_(log), destroyed_(destroyed) {}
  ~Sink() override {
    if (destroyed_) *destroyed_ = true;
  }
  HRESULT GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
  HRESULT GetIDsOfNames(std::span<const std::u16string_view>, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID id, WORD flags, std::span<const Variant> args, Variant*, EXCEPINFO*, UINT*) override {
    std::string entry = name_ + ":" + std::to_string(id);
    for (const auto& a : args) {
      Variant text;
      ChangeType(a, VT_BSTR, &text);
      entry += (a.vt() == VT_BSTR ? " s=" : " n=") + plat::text::Utf16ToUtf8(text.bstrVal());
    }
    if (flags != DISPATCH_METHOD) entry += " (bad flags)";
    log_->push_back(entry);
    if (onCall) onCall();
    return result;
  }

  std::function<void()> onCall;
  HRESULT result = S_OK;

 private:
  std::string name_;
  std::vector<std::string>* log_;
  bool* destroyed_;
};

class EventsTest : public ::testing::Test {
 protected:
  DWORD Connect(const ComPtr<Sink>& sink) {
    DWORD cookie = 0;
    EXPECT_EQ(point_->Advise(sink.Get(), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    return cookie;
  }
  void TearDown() override { point_->UnadviseAll(); }

  std::vector<std::string> log_;
  ComPtr<ConnectionPoint> point_ = MakeCom<ConnectionPoint>(kEvents);
};

TEST_F(EventsTest, EverySinkIsCalledInConnectionOrderWithConvertedArguments) {
  auto a = MakeCom<Sink>("a", &log_), b = MakeCom<Sink>("b", &log_), c = MakeCom<Sink>("c", &log_);
  Connect(b);
  Connect(a);
  Connect(c);
  EXPECT_EQ(point_->Fire(4, {plat::text::Utf8ToCp949("1KB"), plat::text::Utf8ToCp949("2파일")}), 0u);
  EXPECT_EQ(point_->Fire(8, {std::int32_t{1024}, std::int32_t{-5}}), 0u);
  EXPECT_EQ(point_->Fire(2), 0u);
  EXPECT_EQ(log_, (std::vector<std::string>{"b:4 s=1KB s=2파일", "a:4 s=1KB s=2파일", "c:4 s=1KB s=2파일",
                                            "b:8 n=1024 n=-5", "a:8 n=1024 n=-5", "c:8 n=1024 n=-5",
                                            "b:2", "a:2", "c:2"}));
}

TEST_F(EventsTest, SinksMayLeaveOrJoinDuringAFire) {
  bool selfGone = false;
  auto self = MakeCom<Sink>("self", &log_, &selfGone);
  auto killer = MakeCom<Sink>("killer", &log_);
  auto victim = MakeCom<Sink>("victim", &log_);
  auto joiner = MakeCom<Sink>("joiner", &log_);
  auto late = MakeCom<Sink>("late", &log_);
  DWORD selfCookie = Connect(self);
  Connect(killer);
  DWORD victimCookie = Connect(victim);
  Connect(joiner);

  // "self" unadvises itself while its own call runs, and the point held its last reference.
  self->onCall = [&] { EXPECT_EQ(point_->Unadvise(selfCookie), S_OK); };
  self.Reset();
  // "killer" disconnects a sink whose turn has not come yet; "joiner" connects a new one.
  killer->onCall = [&] { EXPECT_EQ(point_->Unadvise(victimCookie), S_OK); };
  bool joined = false;
  joiner->onCall = [&] {
    if (!std::exchange(joined, true)) Connect(late);
  };

  point_->Fire(1);
  EXPECT_TRUE(selfGone);
  EXPECT_EQ(log_, (std::vector<std::string>{"self:1", "killer:1", "joiner:1"}));
  log_.clear();
  killer->onCall = nullptr;
  point_->Fire(3);
  EXPECT_EQ(log_, (std::vector<std::string>{"killer:3", "joiner:3", "late:3"}));
  EXPECT_EQ(point_->ConnectionCount(), 3u);
}

TEST_F(EventsTest, AFailingSinkDoesNotStopTheOthers) {
  auto a = MakeCom<Sink>("a", &log_), bad = MakeCom<Sink>("bad", &log_), c = MakeCom<Sink>("c", &log_);
  bad->result = E_FAIL;
  Connect(a);
  Connect(bad);
  Connect(c);
  EXPECT_EQ(point_->Fire(6, {"reply"}), 1u);
  EXPECT_EQ(log_, (std::vector<std::string>{"a:6 s=reply", "bad:6 s=reply", "c:6 s=reply"}));
}

TEST_F(EventsTest, ConnectionsAreCountedAndReleased) {
  bool gone = false;
  auto sink = MakeCom<Sink>("s", &log_, &gone);
  DWORD first = Connect(sink);
  DWORD second = Connect(sink);  // one sink may connect twice and is then called twice
  EXPECT_NE(first, second);
  point_->Fire(1);
  EXPECT_EQ(log_.size(), 2u);

  EXPECT_EQ(point_->Unadvise(first), S_OK);
  EXPECT_EQ(point_->Unadvise(first), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point_->Unadvise(0), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point_->Unadvise(second), S_OK);
  sink.Reset();
  EXPECT_TRUE(gone);  // the point let go of it

  IID iid;
  EXPECT_EQ(point_->GetConnectionInterface(&iid), S_OK);
  EXPECT_EQ(iid, kEvents);
}

// An object that offers only the event interface's id, the way a typed sink does.
class TypedSink : public Sink {
 public:
  using Sink::Sink;
  HRESULT QueryInterface(const IID& riid, void** ppv) override {
    if (riid == IDispatch::iid) return *ppv = nullptr, E_NOINTERFACE;
    if (riid == kEvents) return Sink::QueryInterface(IUnknown::iid, ppv) == S_OK ? S_OK : E_NOINTERFACE;
    return Sink::QueryInterface(riid, ppv);
  }
};

class NotASink : public RefCounted<IConnectionPoint> {
  HRESULT GetConnectionInterface(IID*) override { return E_NOTIMPL; }
  HRESULT Advise(IUnknown*, DWORD*) override { return E_NOTIMPL; }
  HRESULT Unadvise(DWORD) override { return E_NOTIMPL; }
};

TEST_F(EventsTest, AdviseAcceptsTheEventInterfaceOrIDispatchAndNothingElse) {
  auto typed = MakeCom<TypedSink>("typed", &log_);
  Connect(typed);
  point_->Fire(7, {std::int32_t{3}, std::int32_t{9}});
  EXPECT_EQ(log_, std::vector<std::string>{"typed:7 n=3 n=9"});

  auto stranger = MakeCom<NotASink>();
  DWORD cookie = 77;
  EXPECT_EQ(point_->Advise(stranger.Get(), &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(point_->Advise(nullptr, &cookie), E_POINTER);

  auto limited = MakeCom<ConnectionPoint>(kEvents, 1);
  EXPECT_EQ(limited->Advise(typed.Get(), &cookie), S_OK);
  DWORD another = 0;
  EXPECT_EQ(limited->Advise(typed.Get(), &another), CONNECT_E_ADVISELIMIT);
  EXPECT_EQ(limited->Unadvise(cookie), S_OK);
}

}  // namespace
}  // namespace plat::com
