#pragma once
// FormResizer: keeps a window's controls in the same proportion to its client area as the
// window is resized. The layout is recorded once; every resize gives each control's new place.
// Fonts are never rescaled: they stay as the window made them (the window is DPI-aware, so the
// system's fonts are already the right size for the screen).

#include <span>
#include <string>
#include <vector>

namespace kestrel::ui {

// A control's place in its window's client coordinates, in pixels.
struct ControlRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ControlRect&, const ControlRect&) = default;
};

struct ClientSize {
    int width = 0;
    int height = 0;
};

struct ControlLayout {
    std::string name;
    ControlRect rect;
};

// One recorded control. The ratios are fractions of the client width or height at recording.
struct ResizeRecord {
    std::string Name;
    bool flgMove = true;
    bool flgResize = true;
    float heightRatio = 0;
    float widthRatio = 0;
    float topRatio = 0;
    float leftRatio = 0;
};

class FormResizer {
public:
    // Records controls (in the window's control order) against the client size. A client
    // without width or height gives no ratios to scale by: every control is then recorded with
    // both flags false and keeps its place and size.
    void InitResizeArray(std::span<const ControlLayout> controls, ClientSize client);

    // Sets both flags of every recorded control named strName (exact, case-sensitive).
    void SetControlProperties(const std::string& strName, bool flgMove, bool flgResize);

    // The places of the controls for a client of the given size, one per entry of current (the
    // controls' places now, in the recorded order). A control that does not move keeps its left
    // and top, one that does not resize its width and height; entries beyond the recorded ones
    // are given back as they are. Positions are rounded to whole pixels.
    std::vector<ControlRect> ResizeControls(std::span<const ControlRect> current,
                                            ClientSize client) const;

    const std::vector<ResizeRecord>& Records() const { return m_records; }

private:
    std::vector<ResizeRecord> m_records;
};

}  // namespace kestrel::ui
