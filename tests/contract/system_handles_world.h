#pragma once
// A world for the system handle port: the fakes, or (under Wine) the real calls with a child
// copy of the test program that holds a file of a scratch folder open.

#include <memory>
#include <string>

#include "contract/worlds.h"
#include "os/file_system.h"
#include "os/processes.h"
#include "os/system_handles.h"
#include "os/volumes.h"

namespace kestrel::testing {

class SystemHandlesWorld {
public:
    virtual ~SystemHandlesWorld() = default;
    virtual os::SystemHandles& Handles() = 0;
    virtual os::Processes& Processes() = 0;
    virtual os::FileSystem& Files() = 0;
    virtual os::Volumes& Drives() = 0;
    // An existing, empty, absolute folder without blanks, without a trailing "\".
    virtual std::string Root() = 0;
    // Starts a child that opens the existing file without sharing; returns once it holds it.
    virtual uint32_t StartHolder(const std::string& path, os::StartedProcess& child) = 0;
    // The program file name the children run under.
    virtual std::string ChildName() = 0;
};

class SystemHandlesContract : public WorldSuite<SystemHandlesWorld> {
protected:
    os::SystemHandles& h = W().Handles();
};

std::unique_ptr<SystemHandlesWorld> MakeFakeSystemHandlesWorld();

}  // namespace kestrel::testing
