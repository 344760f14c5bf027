#pragma once
// The small status window of an extraction (frmStatusWin): one label, no behaviour of its own.

#include <string>

namespace kestrel {

class StatusWindow {
public:
    virtual ~StatusWindow() = default;
    // Shows the window without blocking, with text in its label (Label1).
    virtual void Show(const std::string& text) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual bool Loaded() const = 0;
    virtual void Unload() = 0;
};

}  // namespace kestrel
