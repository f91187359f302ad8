// What the fuzz targets that drive the control share: the control made through its class factory
// and held by the test host, quiet message boxes, and a scratch folder of the process.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/ControlHost.h"
#include "platform/com/variant.h"

namespace drev::fuzz {

// Once per process: the module's resources registered (as the module's start does) and a backend
// that answers every message box with OK without writing it out (the boxes are still recorded).
void PrepareControlProcess();

// A new control from the module's class factory, its events connected to the host's recorder.
std::unique_ptr<host::ControlHost> MakeControl();

// The control's persisted values as a property bag save gives them, without "ActionTime" (which a
// reset sets to the time of the reset).
std::vector<std::pair<std::string, plat::com::Variant>> SavedWithoutTime(host::ControlHost& control);

// Reads every implemented property through the dispatch interface (the loaded texts crossing to
// script strings); aborts when a read fails.
void ReadAllProperties(host::ControlHost& control);

// A folder of this process under the system's temporary folder, removed when the process exits.
const std::filesystem::path& ScratchFolder();

}  // namespace drev::fuzz
