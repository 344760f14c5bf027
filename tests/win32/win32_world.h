#pragma once

#include <memory>
#include <string>

#include "contract/worlds.h"

namespace kestrel::testing {

// The real Windows ports (under Wine) with a fresh scratch folder below C:\kestrel-tests that
// is deleted again, whole, when the world goes.
std::unique_ptr<FileWorld> MakeWin32FileWorld();

// A fresh scratch folder for a Win32 test, and its removal.
std::string MakeScratchFolder(const std::string& tag);
void RemoveTree(const std::string& path);

}  // namespace kestrel::testing
