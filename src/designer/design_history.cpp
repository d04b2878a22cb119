#include "design_history.h"

#include "controls/image.h"
#include "core/person.h"
#include "core/picture.h"
#include "pass_design.h"
#include "pass_person.h"
#include "pass_template.h"

#include <QCoreApplication>
#include <QAbstractSpinBox>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>
#include <QUndoCommand>

#include <utility>

namespace wendolarka {
namespace {

// A design before and after one user action, as its fingerprints: streams
// without the person, so a step holds no photo. The design is already "after"
// when the step is kept, so the first redo does nothing.
class DesignStep : public QUndoCommand {
public:
    DesignStep(TDesignHistory& history, QByteArray before, QByteArray after, quint64 run)
        : m_history(history), m_before(std::move(before)), m_after(std::move(after)), m_run(run) {}
    int id() const override { return 1; }
    // The next key typed into the same field goes on this step.
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const DesignStep*>(other);
        if (next->m_run != m_run)
            return false;
        m_after = next->m_after;
        return true;
    }
    void undo() override { m_history.restore(m_before); }
    void redo() override {
        if (m_fresh) {
            m_fresh = false;
            return;
        }
        m_history.restore(m_after);
    }

private:
    TDesignHistory& m_history;
    QByteArray m_before;
    QByteArray m_after;
    quint64 m_run;
    bool m_fresh = true;
};

// A field one types into: a line, or a spin box with its line.
const QObject* typingField(QObject* watched) {
    if (qobject_cast<QAbstractSpinBox*>(watched))
        return watched;
    if (qobject_cast<QLineEdit*>(watched))
        return qobject_cast<QAbstractSpinBox*>(watched->parent()) ? watched->parent() : watched;
    return nullptr;
}

// Enough for an afternoon's work; each step holds a whole design with its pictures.
constexpr int kMaxSteps = 100;

} // namespace

TDesignHistory::TDesignHistory(TPassDesign& design, QObject* parent) : QObject(parent), m_design(design) {
    m_stack.setUndoLimit(kMaxSteps);
    QCoreApplication::instance()->installEventFilter(this);
    restart();
}

TDesignHistory::~TDesignHistory() = default;

void TDesignHistory::restart() {
    m_lastTyped = nullptr;
    m_stack.clear();
    m_fingerprint = pass_template::designFingerprint(m_design);
    emit restarted();
}

void TDesignHistory::checkpoint() {
    m_scheduled = false;
    if (midAction && midAction())
        return;
    const QObject* const typedInto = std::exchange(m_typedInto, nullptr);
    if (m_restoring)
        return;
    // Anything but another key in the same field ends a run of typing.
    const bool typingOn = typedInto && typedInto == m_lastTyped;
    m_lastTyped = typedInto;
    if (beforeCheckpoint)
        beforeCheckpoint();
    QByteArray fingerprint = pass_template::designFingerprint(m_design);
    if (fingerprint == m_fingerprint)
        return;
    if (!typingOn)
        ++m_run;
    // The "before" of this step shares its bytes with the "after" of the last.
    m_stack.push(new DesignStep(*this, m_fingerprint, fingerprint, m_run));
    m_fingerprint = std::move(fingerprint);
}

void TDesignHistory::scheduleCheckpoint() {
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_scheduled)
            checkpoint();
    });
}

void TDesignHistory::undo() {
    checkpoint(); // a change not yet kept is the one to take back
    m_stack.undo();
}

void TDesignHistory::redo() {
    checkpoint(); // a new change ends what could be redone
    m_stack.redo();
}

void TDesignHistory::restore(const QByteArray& design) {
    // The person now on the pass stays on it.
    const TPersonTexts texts = m_design.personTexts();
    const TPicture photo = m_design.Image11 ? m_design.Image11->Picture() : TPicture();
    m_restoring = true;
    m_lastTyped = nullptr; // typing after an undo is a step of its own
    emit aboutToRestore();
    try {
        pass_template::restoreDesign(m_design, design);
    } catch (...) {
        // A stream this design wrote reads back; should it not, the design stays as it was.
        m_restoring = false;
        throw;
    }
    showPersonOnPass(m_design, texts, photo);
    emit restored();
    m_fingerprint = pass_template::designFingerprint(m_design);
    m_restoring = false;
}

bool TDesignHistory::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyRelease:
        if (const QObject* field = typingField(watched))
            m_typedInto = field;
        scheduleCheckpoint();
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::FocusIn:
        m_typedInto = nullptr;
        scheduleCheckpoint();
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace wendolarka
