#include "ui/form_resizer.h"

#include <algorithm>
#include <cmath>

namespace kestrel::ui {
namespace {

float Ratio(int part, int whole) {
    return static_cast<float>(static_cast<double>(part) / static_cast<double>(whole));
}

int Scaled(int whole, float ratio) {
    return static_cast<int>(std::lround(static_cast<double>(whole) * static_cast<double>(ratio)));
}

}  // namespace

void FormResizer::InitResizeArray(std::span<const ControlLayout> controls, ClientSize client) {
    const bool scalable = client.width > 0 && client.height > 0;
    m_records.clear();
    m_records.reserve(controls.size());
    for (const ControlLayout& control : controls) {
        ResizeRecord record;
        record.Name = control.name;
        record.flgMove = scalable;
        record.flgResize = scalable;
        if (scalable) {
            record.heightRatio = Ratio(control.rect.height, client.height);
            record.widthRatio = Ratio(control.rect.width, client.width);
            record.topRatio = Ratio(control.rect.top, client.height);
            record.leftRatio = Ratio(control.rect.left, client.width);
        }
        m_records.push_back(std::move(record));
    }
}

void FormResizer::SetControlProperties(const std::string& strName, bool flgMove, bool flgResize) {
    for (ResizeRecord& record : m_records) {
        if (record.Name == strName) {
            record.flgMove = flgMove;
            record.flgResize = flgResize;
        }
    }
}

std::vector<ControlRect> FormResizer::ResizeControls(std::span<const ControlRect> current,
                                                     ClientSize client) const {
    // A minimised or collapsing window may report a negative size: it counts as none.
    client.width = std::max(client.width, 0);
    client.height = std::max(client.height, 0);
    std::vector<ControlRect> placed(current.begin(), current.end());
    const size_t count = std::min(placed.size(), m_records.size());
    for (size_t i = 0; i < count; ++i) {
        const ResizeRecord& record = m_records[i];
        ControlRect& rect = placed[i];
        if (record.flgMove) {
            rect.left = Scaled(client.width, record.leftRatio);
            rect.top = Scaled(client.height, record.topRatio);
        }
        if (record.flgResize) {
            rect.width = Scaled(client.width, record.widthRatio);
            rect.height = Scaled(client.height, record.heightRatio);
        }
    }
    return placed;
}

}  // namespace kestrel::ui
