#include "radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace wendolarka {

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), m_group(new QButtonGroup(this)) {
    m_group->setExclusive(false); // -1 must be possible: no item chosen
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) { setItemIndex(id); });
}

void TRadioGroup::setItems(const QStringList& items) {
    for (QRadioButton* button : m_buttons)
        delete button;
    m_buttons.clear();
    m_items = items;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setFocusPolicy(Qt::TabFocus);
        m_group->addButton(button, i);
        m_buttons.push_back(button);
        button->show();
    }
    m_itemIndex = -1;
    arrangeButtons();
}

void TRadioGroup::setColumns(int columns) {
    m_columns = qMax(1, columns);
    arrangeButtons();
}

QRadioButton* TRadioGroup::button(int index) const {
    return (index >= 0 && index < static_cast<int>(m_buttons.size()))
               ? m_buttons[static_cast<std::size_t>(index)]
               : nullptr;
}

void TRadioGroup::setItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(m_buttons.size()))
        index = -1;
    // A click on the chosen item leaves it chosen.
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i)
        m_buttons[static_cast<std::size_t>(i)]->setChecked(i == index);
    if (index == m_itemIndex)
        return;
    m_itemIndex = index;
    emit Click();
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    arrangeButtons();
}

void TRadioGroup::arrangeButtons() {
    const int count = static_cast<int>(m_buttons.size());
    if (count == 0)
        return;
    const int perColumn = (count + m_columns - 1) / m_columns;
    const QRect area = contentsRect().adjusted(8, fontMetrics().height(), -4, -4);
    const int columnWidth = area.width() / m_columns;
    const int rowHeight = qMax(1, area.height() / perColumn);
    for (int i = 0; i < count; ++i) {
        const int column = i / perColumn;
        const int row = i % perColumn;
        m_buttons[static_cast<std::size_t>(i)]->setGeometry(
            area.left() + column * columnWidth, area.top() + row * rowHeight, columnWidth - 4,
            qMin(rowHeight, fontMetrics().height() + 4));
    }
}

} // namespace wendolarka
