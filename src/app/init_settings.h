#pragma once
// The settings file, the debug file and the start banner of every run.

namespace kestrel {

class Context;

// Chooses the settings file and the debug file and writes the start banner.
void InitAppSettings(Context& ctx, bool setAppIni, bool ownIni, bool debugFile);

}  // namespace kestrel
