#pragma once

#include <QWidget>

namespace wendolarka {

// The pass window (Formatka I): the pass being designed.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

} // namespace wendolarka
