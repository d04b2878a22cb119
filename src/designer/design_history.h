#pragma once

#include <QByteArray>
#include <QObject>
#include <QUndoStack>

#include <functional>

namespace wendolarka {

class TPassDesign;

// Undo and redo of a pass design. At the end of each user action (a mouse
// button or key let go, a wheel turned, a window taking the focus back after a
// dialog) a checkpoint is queued; it compares the design, without the person
// shown, with the last one and, when it differs, keeps the design before and
// after as one step. What is typed into one field in a row is one step. Going back or forth puts that design back and the person
// now shown on it again: it never brings back a previous person.
class TDesignHistory : public QObject {
    Q_OBJECT
public:
    explicit TDesignHistory(TPassDesign& design, QObject* parent = nullptr);
    ~TDesignHistory() override;

    // The design as it now stands is where the history begins (built, loaded).
    void restart();
    // Keeps a change made since the last checkpoint as a step; nothing otherwise.
    void checkpoint();
    // A checkpoint once the events now waiting have been handled.
    void scheduleCheckpoint();

    void undo();
    void redo();
    bool canUndo() const { return m_stack.canUndo(); }
    bool canRedo() const { return m_stack.canRedo(); }
    int steps() const { return m_stack.count(); }
    QUndoStack& stack() { return m_stack; }

    // Runs before each checkpoint compares: a change that brings others with it
    // (the photo's frame following the photo) joins the same step.
    std::function<void()> beforeCheckpoint;
    // Says whether an action is still under way (a drag): no step is kept in its
    // middle, its end queues the checkpoint that keeps it whole.
    std::function<bool()> midAction;

    // Puts a kept design (a fingerprint) back, with the person now shown (used by the steps).
    void restore(const QByteArray& design);

signals:
    // A design is about to be put back, and has been: elements were replaced.
    void aboutToRestore();
    void restored();
    // The history began again from the design as it stands.
    void restarted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TPassDesign& m_design;
    QUndoStack m_stack;
    QByteArray m_fingerprint; // the design at the last checkpoint, without the person
    bool m_scheduled = false;
    bool m_restoring = false;
    const QObject* m_typedInto = nullptr; // the field the last key was let go in, until the checkpoint
    const QObject* m_lastTyped = nullptr; // the field the last step was typed into
    quint64 m_run = 0;                    // steps of one run of typing share it
};

} // namespace wendolarka
