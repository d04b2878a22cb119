#pragma once

#include <QWidget>

namespace wendolarka {

// The record editing window: the current person's fields and photo.
class TFEdycja : public QWidget {
    Q_OBJECT
public:
    explicit TFEdycja(QWidget* parent = nullptr);
};

} // namespace wendolarka
