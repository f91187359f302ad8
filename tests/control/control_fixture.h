// A control made through its class factory and held by the test host, with its events recorded.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control/DrevFactory.h"
#include "control/DrevTypeLib.h"
#include "control/Identifiers.h"
#include "host/ControlHost.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "resources/ModuleResources.h"

namespace drev::testing {

// The module's resources (dialog templates, bitmaps, strings), registered once for the process.
inline void EnsureModuleResources() {
  static const bool registered = [] {
    static const int tag = 0;
    RegisterModuleResources(&tag);
    return true;
  }();
  (void)registered;
}

inline const plat::com::TypeDispInterface& EventInterface() {
  return *DrevTypeLibrary().FindInterface("_DDrevEvents");
}

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureModuleResources();
    plat::win::ClearMessageBoxLog();
    factory_ = GetDrevClassFactory();
    host_ = std::make_unique<host::ControlHost>(factory_.Get());
    ASSERT_TRUE(host_->ok()) << std::hex << host_->CreateResult();
    ASSERT_TRUE(host_->ConnectEvents(DIID__DDrevEvents, EventInterface()));
  }
  void TearDown() override { host_.reset(); }

  // Loads an empty property set (a control placed without <param>s) and gives it a window.
  void PlaceWithWindow(int width = 600, int height = 300) {
    ASSERT_EQ(host_->LoadProperties({}), plat::com::S_OK);
    ASSERT_EQ(host_->CreateWindows(width, height), plat::com::S_OK);
    host_->Events().Clear();
  }

  host::ControlHost& Host() { return *host_; }
  std::vector<std::string> EventLog() { return host_->Events().Log(); }

  // UTF-8 to the CP949 bytes the control keeps.
  static std::string Ansi(const std::string& utf8) { return plat::text::Utf8ToCp949(utf8); }

  plat::com::ComPtr<plat::com::IClassFactory> factory_;
  std::unique_ptr<host::ControlHost> host_;
};

}  // namespace drev::testing
