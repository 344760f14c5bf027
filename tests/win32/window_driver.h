#pragma once
// Driving another process's windows as a technician's mouse and keyboard would: finding them,
// reading their texts, pressing their buttons and answering their message boxes. Every call
// that waits gives up after its time limit instead of hanging.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "os/win32/windows_api.h"

namespace kestrel::testing {

// The first visible top-level window of that class owned by the process; nullptr when none
// showed within the time (or the process ended first).
HWND WaitForProcessWindow(HANDLE process, DWORD processId, const wchar_t* className,
                          unsigned timeoutMs);
// A descendant window with that control id; nullptr when there is none.
HWND FindControl(HWND top, int id);

std::string WindowText(HWND hwnd);
void SetWindowTextTo(HWND hwnd, const std::string& text);
// The texts of a list box's items (it must keep its items' texts).
std::vector<std::string> ListTexts(HWND list);

// Selects a page of the first tab control of the window, as a click on its tab would.
void SelectTab(HWND top, int page);
// Presses a button without waiting for what it sets going.
void Press(HWND button);

// Keeps this thread's own windows alive while polling; true once done() holds.
bool WaitUntil(const std::function<bool()>& done, unsigned timeoutMs);

// The text of the first message box the process shows within the time, which is then answered
// with its OK button; nothing when none showed.
std::optional<std::string> AnswerMessageBox(DWORD processId, unsigned timeoutMs);

}  // namespace kestrel::testing
