#pragma once

#include <QWidget>

namespace wendolarka {

// The print window: previews a snapshot on an A4 page and prints it.
class TFDruk : public QWidget {
    Q_OBJECT
public:
    explicit TFDruk(QWidget* parent = nullptr);
};

} // namespace wendolarka
