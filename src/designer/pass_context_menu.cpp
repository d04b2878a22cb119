#include "pass_context_menu.h"

#include "design_history.h"
#include "design_pick.h"
#include "pass_arrange.h"
#include "pass_window.h"
#include "position_dialog.h"
#include "sizer/size_control.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>

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
    createArrangeItems();
    addSeparator();
    addAction(form.Cofnij1);
    addAction(form.Ponow1);
    connect(m_menu, &QMenu::aboutToShow, this, [this] { updateItems(); });
    QCoreApplication::instance()->installEventFilter(this);
}

TPassContextMenu::~TPassContextMenu() = default;

void TPassContextMenu::createArrangeItems() {
    Wyrownaj1 = m_menu->addMenu(QString::fromUtf8("W&yrównaj"));
    Wyrownaj1->setObjectName(QStringLiteral("Wyrownaj1"));
    const auto picked = [this] { return m_form.pick().elements(); };
    const auto line = [this, picked](const char* text, pass_arrange::Line l) {
        QAction* action = Wyrownaj1->addAction(QString::fromUtf8(text));
        connect(action, &QAction::triggered, this, [this, picked, l] {
            pass_arrange::align(picked(), l);
            m_form.history().checkpoint();
        });
        return action;
    };
    using pass_arrange::Line;
    m_lineItems = {line("Do &lewej", Line::Left),        line("Do &prawej", Line::Right),
                   line("Do &góry", Line::Top),          line("Do &dołu", Line::Bottom),
                   line("Wyśrodkuj w po&ziomie", Line::CentreX), line("Wyśrodkuj w p&ionie", Line::CentreY)};
    Wyrownaj1->addSeparator();
    const auto spread = [this, picked](const char* text, pass_arrange::Axis axis) {
        QAction* action = Wyrownaj1->addAction(QString::fromUtf8(text));
        connect(action, &QAction::triggered, this, [this, picked, axis] {
            pass_arrange::distribute(picked(), axis);
            m_form.history().checkpoint();
        });
        return action;
    };
    m_spreadItems = {spread("&Rozłóż w poziomie", pass_arrange::Axis::Horizontal),
                     spread("Rozłóż w pi&onie", pass_arrange::Axis::Vertical)};
    PolozenieIRozmiar1 = addCommand(QString::fromUtf8("&Położenie i rozmiar…"),
                                    [this](TControl* picked) { editPositionAndSize(m_form, *picked); },
                                    [this](TControl* picked) { return isElement(m_form, picked); });
    PolozenieIRozmiar1->setObjectName(QStringLiteral("PolozenieIRozmiar1"));
    PolaczZRamka1 = m_menu->addAction(QString::fromUtf8("Połącz z &ramką"));
    PolaczZRamka1->setObjectName(QStringLiteral("PolaczZRamka1"));
    PolaczZRamka1->setCheckable(true);
    connect(PolaczZRamka1, &QAction::toggled, this, [this](bool on) { m_form.setPhotoLinked(on); });
}

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
    const std::size_t count = m_form.pick().elements().size();
    for (QAction* action : m_lineItems)
        action->setEnabled(count >= 2);
    for (QAction* action : m_spreadItems)
        action->setEnabled(count >= 3);
    Wyrownaj1->setEnabled(count >= 2);
    {
        const QSignalBlocker quiet(PolaczZRamka1);
        PolaczZRamka1->setChecked(m_form.photoLinked());
    }
    PolaczZRamka1->setEnabled(m_form.Image11 != nullptr);
    emit aboutToOpen(element);
}

void TPassContextMenu::openFor(TControl* element, QPoint globalPosition) {
    m_form.pick().pickForMenu(element);
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
    openFor(elementUnderPress(m_form, watched, mouse->position().toPoint()), mouse->globalPosition().toPoint());
    return true;
}

} // namespace wendolarka
