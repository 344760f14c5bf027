#pragma once
// The texts and the notice geometry the main window derives from its data.

#include <string>

#include "inventory/app_list.h"
#include "ui/main_view.h"

namespace kestrel {

// The pop-up notice: the title ("Operation Completed." when empty) at 50,15-250,30, the
// message at 50,40-270,100 when there is one; 270 wide, 100 high with a message, 50 without.
NoticeLayout MakeNoticeLayout(const std::string& title, const std::string& message);

// The web search for an application's name. The name is trimmed and percent-encoded byte by
// byte (only letters, digits and "-_.~" stay as they are), so "&", "#", "+" and blanks reach
// the search engine as part of the name.
std::string WebSearchUrl(const std::string& displayName);

// The entry's data elements that hold at least one character, joined by CR LF.
std::string DetailText(const AppListEntry& entry);

}  // namespace kestrel
