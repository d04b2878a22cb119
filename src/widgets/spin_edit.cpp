#include "spin_edit.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <limits>

namespace wendolarka {

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {
    setLimits(0, 0);
    setKeyboardTracking(true);
    // Code and typing reach the text by different roads; report each new text once.
    const auto textMayHaveChanged = [this] {
        if (text() == m_reportedText)
            return;
        m_reportedText = text();
        emit Change();
    };
    connect(this, &QSpinBox::textChanged, this, textMayHaveChanged);
    connect(lineEdit(), &QLineEdit::textChanged, this, textMayHaveChanged);
    m_reportedText = text();
}

int TSpinEdit::Value() const {
    bool ok = false;
    const int value = text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

void TSpinEdit::setValue(int value) {
    // The text is the value: a box showing "" or "-" reads 0 but still takes a new 0.
    if (text() == QString::number(value))
        return;
    if (value == QSpinBox::value())
        lineEdit()->setText(QString::number(value));
    else
        QSpinBox::setValue(value);
}

void TSpinEdit::setLimits(int minValue, int maxValue) {
    if (minValue == 0 && maxValue == 0)
        setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    else
        setRange(minValue, maxValue);
}

QValidator::State TSpinEdit::validate(QString& input, int&) const {
    // Any text may stand while typing (empty, a lone minus); it reads as 0.
    static const QRegularExpression partialNumber(QStringLiteral("^\\s*-?\\d*\\s*$"));
    return partialNumber.match(input).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

int TSpinEdit::valueFromText(const QString& text) const {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

} // namespace wendolarka
