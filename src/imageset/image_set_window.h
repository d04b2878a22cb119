#pragma once

#include <QWidget>

namespace wendolarka {

// The image set window (Formatka II): up to ten pictures arranged freely.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};

} // namespace wendolarka
