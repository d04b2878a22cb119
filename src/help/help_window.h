#pragma once

#include <QWidget>

namespace wendolarka {

// The help window: the guidance text beside the program.
class TFhelp : public QWidget {
    Q_OBJECT
public:
    explicit TFhelp(QWidget* parent = nullptr);
};

} // namespace wendolarka
