#include "app/engine_services.h"

#include "app/not_available.h"
#include "core/context.h"
#include "engine/auto_preview.h"
#include "engine/browser_guard.h"
#include "engine/file_system_leftovers.h"
#include "engine/registry_leftovers.h"
#include "engine/uninstall_by_definition.h"
#include "net/send_email.h"
#include "net/updates.h"

namespace kestrel {

bool EngineServices::UninstallByDefinition(const std::string& definition,
                                           const std::vector<std::string>& whitelist) {
    return kestrel::UninstallByDefinition(m_ctx, definition, whitelist, nullptr);
}

bool EngineServices::UninstallByDefinition(const std::string& definition,
                                           const std::vector<std::string>& whitelist,
                                           StatusSink& status) {
    return kestrel::UninstallByDefinition(m_ctx, definition, whitelist, &status);
}

void EngineServices::RemoveBrowserGuard() {
    kestrel::RemoveBrowserGuard(m_ctx);
}

bool EngineServices::RemoveAbandonedBrowserGuard() {
    return kestrel::RemoveAbandonedBrowserGuard(m_ctx);
}

void EngineServices::CleanFileSystemLeftovers() {
    kestrel::CleanFileSystemLeftovers(m_ctx);
}

void EngineServices::CleanRegistryLeftovers() {
    (void)kestrel::CleanRegistryLeftovers(m_ctx);
}

std::string EngineServices::PreviewAutoRun() {
    return kestrel::PreviewAutoRun(m_ctx);
}

void EngineServices::SendEmail(const std::string& subject, const std::string& body, bool quiet) {
    (void)kestrel::SendEmail(m_ctx, subject, body, quiet);
}

bool EngineServices::CheckForUpdate() {
    PackageTools tools(m_ctx, m_windows);
    return kestrel::CheckForUpdate(m_ctx, tools, true);
}

void EngineServices::ShowMainWindow() {
    if (!m_mainWindow) {
        LogNotAvailable(m_ctx.debug, "The main window");
        return;
    }
    (void)m_mainWindow(m_ctx, *this);
}

bool EngineServices::CheckForUpdateInteractive() {
    PackageTools tools(m_ctx, m_windows);
    return kestrel::CheckForUpdate(m_ctx, tools, false);
}

void EngineServices::GetConfigPackage(const std::string& url) {
    PackageTools tools(m_ctx, m_windows);
    kestrel::GetConfigPackage(m_ctx, tools, url);
}

void EngineServices::GetDefsPackage(const std::string& url) {
    PackageTools tools(m_ctx, m_windows);
    kestrel::GetDefsPackage(m_ctx, tools, url);
}

}  // namespace kestrel
