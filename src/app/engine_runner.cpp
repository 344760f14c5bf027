#include "app/engine_runner.h"

#include "core/context.h"
#include "engine/browser_guard.h"
#include "engine/uninstall_by_definition.h"

namespace kestrel {

void EngineRunner::RecoverInterruptedRun() {
    (void)RemoveAbandonedBrowserGuard(m_ctx);
}

bool EngineRunner::UninstallByDefinition(const std::string& definition,
                                         const std::vector<std::string>& whitelist) {
    return kestrel::UninstallByDefinition(m_ctx, definition, whitelist, nullptr);
}

void EngineRunner::RemoveBrowserGuard() {
    kestrel::RemoveBrowserGuard(m_ctx);
}

}  // namespace kestrel
