#pragma once

#include "photos/photo_editor.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

namespace wendolarka {

enum class EditorAnswer { ok, cancel };

// Does what the user does in the photo editor once it is shown modally (the
// next time events are processed), then presses OK or Anuluj. The count
// returned tells how many editors were answered: 0 when none was open.
inline std::shared_ptr<int> whenThePhotoEditorShows(EditorAnswer answer,
                                                     std::function<void(photos::TFZdjecie&)> steps = {}) {
    auto answered = std::make_shared<int>(0);
    QTimer::singleShot(0, [answered, answer, steps] {
        auto* editor = dynamic_cast<photos::TFZdjecie*>(QApplication::activeModalWidget());
        if (!editor)
            return;
        if (steps)
            steps(*editor);
        ++*answered;
        (answer == EditorAnswer::ok ? editor->btnOK : editor->btnAnuluj)->click();
    });
    return answered;
}

} // namespace wendolarka
