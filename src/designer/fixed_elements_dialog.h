#pragma once

#include <QWidget>

namespace wendolarka {

// The fixed elements dialog: the fixed image and the two captions of the pass.
class TFUkos : public QWidget {
    Q_OBJECT
public:
    explicit TFUkos(QWidget* parent = nullptr);
};

} // namespace wendolarka
