#include "pass_context_menu.h"

#include "design_history.h"
#include "pass_arrange.h"
#include "pass_window.h"
#include "sizer/size_control.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>

namespace wendolarka {
namespace {

bool isElement(const TForm1& form, const TControl* element) { return element && element != &form.client(); }

} // namespace

TPassContextMenu::TPassContextMenu(TForm1& form) : QObject(&form), m_form(form) {
    m_menu = new QMenu(&form);
    m_menu->setObjectName(QStringLiteral("PassMenu"));
    const auto element = [this](TControl* picked) { return isElement(m_form, picked); };
    NaWierzch1 = addCommand(QString::fromUtf8("Na &wierzch"), [](TControl* picked) { pass_arrange::bringToFront(*picked); }, element);
    NaWierzch1->setObjectName(QStringLiteral("NaWierzch1"));
    NaSpod1 = addCommand(QString::fromUtf8("Na &spód"), [](TControl* picked) { pass_arrange::sendToBack(*picked); }, element);
    NaSpod1->setObjectName(QStringLiteral("NaSpod1"));
    addSeparator();
    addAction(form.Cofnij1);
    addAction(form.Ponow1);
    connect(m_menu, &QMenu::aboutToShow, this, [this] { updateItems(); });
    QCoreApplication::instance()->installEventFilter(this);
}

TPassContextMenu::~TPassContextMenu() = default;

TControl* TPassContextMenu::picked() const {
    const TSizeControl* sizer = m_form.SizeControl1.data();
    return sizer ? sizer->Target() : nullptr;
}

QAction* TPassContextMenu::addCommand(const QString& text, std::function<void(TControl*)> run,
                                      std::function<bool(TControl*)> enabledFor) {
    QAction* action = m_menu->addAction(text);
    connect(action, &QAction::triggered, this, [this, run = std::move(run)] {
        run(picked());
        // The command is one step of the design's history.
        m_form.history().checkpoint();
    });
    m_commands.push_back({action, std::move(enabledFor)});
    return action;
}

void TPassContextMenu::addAction(QAction* action) { m_menu->addAction(action); }

void TPassContextMenu::addSeparator() { m_menu->addSeparator(); }

void TPassContextMenu::updateItems() {
    TControl* const element = picked();
    for (const Command& c : m_commands)
        if (c.enabledFor)
            c.action->setEnabled(c.enabledFor(element));
    emit aboutToOpen(element);
}

void TPassContextMenu::openFor(TControl* element, QPoint globalPosition) {
    if (TSizeControl* sizer = m_form.SizeControl1.data())
        sizer->setTarget(isElement(m_form, element) ? element : nullptr);
    m_menu->popup(globalPosition);
}

bool TPassContextMenu::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::ContextMenu)
        return false;
    TSizeControl* const sizer = m_form.SizeControl1.data();
    if (watched != &m_form && (!sizer || watched != sizer))
        return false;
    if (type == QEvent::ContextMenu) {
        // A press of the right button has opened the menu already; the menu key opens it here.
        if (static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse) {
            TControl* const element = picked();
            const QPoint at = isElement(m_form, element) ? element->hostOffset() + QPoint(element->Width() / 2, element->Height() / 2)
                                                         : QPoint(m_form.width() / 2, m_form.height() / 2);
            openFor(element, m_form.mapToGlobal(at));
        }
        return true;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::RightButton)
        return false;
    // Not while the element is being dragged, and the sizer starts no drag of its own.
    if (sizer && sizer->dragMode() != TDragMode::None)
        return true;
    const QPoint onSizer = mouse->position().toPoint();
    TControl* element = nullptr;
    if (watched == sizer && sizer->Target() && sizer->Target()->HitTest(onSizer))
        element = sizer->Target();
    else
        element = m_form.controlAt(watched == sizer ? sizer->mapTo(&m_form, onSizer) : onSizer);
    openFor(element, mouse->globalPosition().toPoint());
    return true;
}

} // namespace wendolarka
