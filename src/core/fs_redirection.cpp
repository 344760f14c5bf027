#include "core/fs_redirection.h"

namespace kestrel {

bool Is64BitWindows(const os::Environment& env) {
    return env.Variable("ProgramFiles(x86)").size() >= 2;
}

void FsRedirection::Disable() {
    if (m_off) {
        return;
    }
    if (m_allowed && !m_env.Variable("ProgramFiles(x86)").empty()) {
        uintptr_t saved = 0;
        if (m_wow64.Disable(&saved)) {
            m_saved = saved;
        }
    }
    // Set even when nothing was switched, so that nested pairs switch only once.
    m_off = true;
}

void FsRedirection::Revert() {
    if (!m_off) {
        return;
    }
    if (m_allowed && !m_env.Variable("ProgramFiles(x86)").empty()) {
        (void)m_wow64.Revert(m_saved);
    }
    m_saved = 0;
    m_off = false;
}

}  // namespace kestrel
