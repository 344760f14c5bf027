#include "app/engine_services.h"

#include "app/not_available.h"
#include "core/context.h"
#include "engine/browser_guard.h"
#include "engine/uninstall_by_definition.h"

namespace kestrel {

bool EngineServices::UninstallByDefinition(const std::string& definition,
                                           const std::vector<std::string>& whitelist) {
    return kestrel::UninstallByDefinition(m_ctx, definition, whitelist, nullptr);
}

void EngineServices::RemoveBrowserGuard() {
    kestrel::RemoveBrowserGuard(m_ctx);
}

bool EngineServices::RemoveAbandonedBrowserGuard() {
    return kestrel::RemoveAbandonedBrowserGuard(m_ctx);
}

void EngineServices::CleanFileSystemLeftovers() {
    LogNotAvailable(m_ctx.debug, "The file-system cleanup");
}

void EngineServices::CleanRegistryLeftovers() {
    LogNotAvailable(m_ctx.debug, "The registry cleanup");
}

void EngineServices::SendEmail(const std::string& subject, const std::string&, bool) {
    LogNotAvailable(m_ctx.debug, "E-mail (" + subject + ")");
}

}  // namespace kestrel
