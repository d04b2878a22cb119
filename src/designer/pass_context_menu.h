#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace wendolarka {

class TControl;
class TForm1;

// The pass window's context menu. The right mouse button on an element picks
// it (without starting a drag) and opens the menu about it; on bare ground the
// menu opens about no element. The menu key opens it about the picked one.
// Other commands join it through addCommand, each in the place it is added.
class TPassContextMenu : public QObject {
    Q_OBJECT
public:
    explicit TPassContextMenu(TForm1& form);
    ~TPassContextMenu() override;

    QMenu& menu() const { return *m_menu; }
    // The element the menu is about: the one the sizer is on, or none.
    TControl* picked() const;

    // A command of the menu: `run` gets the picked element (or none); the item
    // is enabled, each time the menu opens, as `enabledFor` says (always
    // without it). Returns the item, which the menu owns.
    QAction* addCommand(const QString& text, std::function<void(TControl* picked)> run,
                        std::function<bool(TControl* picked)> enabledFor = {});
    // An item made elsewhere joins the menu at its end.
    void addAction(QAction* action);
    void addSeparator();

    // Picks the element (none: bare ground) and opens the menu at a screen point.
    void openFor(TControl* element, QPoint globalPosition);

    QAction* NaWierzch1 = nullptr;
    QAction* NaSpod1 = nullptr;
    // Lining up the picked elements on the last one, spreading them evenly.
    QMenu* Wyrownaj1 = nullptr;
    QAction* PolaczZRamka1 = nullptr;
    QAction* PolozenieIRozmiar1 = nullptr;

signals:
    // The menu is about to open about this element: items may change.
    void aboutToOpen(TControl* picked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createArrangeItems();
    void updateItems();
    std::vector<QAction*> m_lineItems;   // the six lines, in menu order
    std::vector<QAction*> m_spreadItems; // horizontally, vertically
    TForm1& m_form;
    QMenu* m_menu = nullptr; // the window owns it
    struct Command {
        QAction* action;
        std::function<bool(TControl*)> enabledFor;
    };
    std::vector<Command> m_commands;
};

} // namespace wendolarka
