#pragma once

#include <QWidget>

namespace wendolarka {

// The find dialog: a phrase and how to look for it in the person grid.
class Tfinddlg : public QWidget {
    Q_OBJECT
public:
    explicit Tfinddlg(QWidget* parent = nullptr);
};

} // namespace wendolarka
