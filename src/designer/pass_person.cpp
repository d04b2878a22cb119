#include "pass_person.h"

#include "controls/image.h"
#include "controls/label.h"
#include "core/picture.h"
#include "pass_design.h"

namespace wendolarka {

void showPersonOnPass(TPassDesign& form, const TPersonTexts& texts, const TPicture& photo) {
    const std::array<TLabel*, 11> labels = form.textLabels();
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (labels[i])
            labels[i]->setCaption(texts[i]);
    if (form.Image11)
        form.Image11->setPicture(photo);
}

} // namespace wendolarka
