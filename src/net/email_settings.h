#pragma once
// The e-mail settings of section "EmailConfig" of the settings file: loaded into ctx.email
// before each sending, saved from the main window's e-mail page (always in encrypted mode).

#include <string>

namespace kestrel {

class Context;

// What the window's e-mail page holds.
struct EmailPage {
    std::string server;
    std::string userName;
    std::string password;
    std::string from;
    std::string to;
    std::string port;
    int authBox = 0;  // check box states: 0 unticked, 1 ticked, 2 greyed
    int sslBox = 0;
};

// Fills ctx.email; true when the stored server and port texts are both non-empty.
[[nodiscard]] bool LoadEmailSettings(Context& ctx);
void SaveEmailSettings(Context& ctx, const EmailPage& page);

}  // namespace kestrel
