#pragma once

#include <QSpinBox>

namespace wendolarka {

// A number field with arrows. MinValue = MaxValue = 0 means no limits. Its value
// is its text read as a decimal integer (anything else counts as 0), and Change
// is raised on every change of the text, typed or set by code.
class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    int Value() const;
    void setValue(int value);
    void setLimits(int minValue, int maxValue);

signals:
    void Change();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    int valueFromText(const QString& text) const override;

private:
    QString m_reportedText;
};

} // namespace wendolarka
