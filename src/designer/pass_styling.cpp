#include "pass_styling.h"

#include "controls/label.h"
#include "controls/multi_bevel.h"
#include "pass_elements.h"
#include "pass_design.h"
#include "pass_window_host.h"

namespace wendolarka {

void setElementVisible(TPassDesign& form, const QString& elementName, bool visible) {
    if (TControl* element = form.findControl(elementName))
        element->setVisible(visible);
}

void applySampleToEntry(TPassDesign& form, IPassWindowHost& host, int entry, const TFont& sampleFont,
                        TColor sampleColor) {
    if (entry < 0 || entry >= kEmptyEntry)
        return;
    if (entry < kFirstFrameEntry) {
        if (TLabel* label = form.textLabels()[static_cast<std::size_t>(entry)]) {
            label->setFont(sampleFont);
            label->setColor(sampleColor);
        }
    } else if (entry <= kBorderEntry) {
        const int frame = entry == kBorderEntry ? 0 : entry - kFirstFrameEntry + 1;
        if (TktMultiBevel* target = form.frame(frame))
            target->setColor(sampleColor);
        host.showFrameColor(frame, sampleColor);
    } else {
        host.showWindowColor(sampleColor);
        form.setColor(host.windowColorShown());
    }
}

namespace {
TLabel* textLabelOf(const TPassDesign& form, int entry) {
    if (entry < 0 || entry >= kFirstFrameEntry)
        return nullptr;
    return form.textLabels()[static_cast<std::size_t>(entry)];
}
} // namespace

std::optional<bool> textFitting(const TPassDesign& form, int entry) {
    if (const TLabel* label = textLabelOf(form, entry))
        return label->FitText();
    return std::nullopt;
}

void setTextFitting(TPassDesign& form, int entry, bool fit) {
    if (TLabel* label = textLabelOf(form, entry))
        label->setFitText(fit);
}

void setFrameWidth(TPassDesign& form, int frame, int width) {
    if (TktMultiBevel* target = form.frame(frame))
        target->setBorderWidth(width);
}

} // namespace wendolarka
