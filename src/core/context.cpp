#include "core/context.h"

namespace kestrel {

Context::Context(os::Ports ports)
    : os(ports), debug(ports.debugOut), redirection(ports.wow64, ports.env) {}

DefinitionPaths DefinitionPathsIn(const std::string& appPath) {
    DefinitionPaths paths;
    paths.blacklist = appPath + "Kestrel.txt";
    paths.whitelist = appPath + "Kestrel_Whitelist.txt";
    paths.regValues = appPath + "Kestrel_RegValues.txt";
    paths.regKeys = appPath + "Kestrel_RegKeys.txt";
    paths.runValues = appPath + "Kestrel_RunValues.txt";
    paths.fileSystemObjects = appPath + "Kestrel_FileSystemObjects.txt";
    paths.startMenuFolders = appPath + "Kestrel_StartMenuFolders.txt";
    return paths;
}

}  // namespace kestrel
