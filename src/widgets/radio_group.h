#pragma once

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace wendolarka {

// A framed list of choices laid out in columns, filled column by column.
// Changing ItemIndex, by the user or by code, raises Click; setting the index it
// already has does not.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList Items() const { return m_items; }
    int Columns() const { return m_columns; }
    void setColumns(int columns);
    int ItemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);
    QRadioButton* button(int index) const;

signals:
    void Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrangeButtons();

    QStringList m_items;
    std::vector<QRadioButton*> m_buttons;
    QButtonGroup* m_group;
    int m_columns = 1;
    int m_itemIndex = -1;
};

} // namespace wendolarka
