#include "composed_element_dialog.h"

#include "composed_elements.h"
#include "core/pass_fields.h"

#include "widgets/form_setup.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace wendolarka {

TComposedElementDialog::TComposedElementDialog(const TPassDesign& design, const QString& pattern,
                                               std::optional<TBarcodeKind> kind, QWidget* parent)
    : QDialog(parent), m_design(design), m_code(kind.has_value()) {
    setObjectName(QStringLiteral("FTekstZlozony"));
    setWindowTitle(m_code ? QStringLiteral("Kod") : QString::fromUtf8("Tekst złożony"));
    auto* form = new QFormLayout;
    if (m_code) {
        cbRodzaj = new QComboBox(this);
        cbRodzaj->setObjectName(QStringLiteral("cbRodzaj"));
        for (TBarcodeKind k : {bkQR, bkCode128, bkDataMatrix, bkEAN13})
            cbRodzaj->addItem(barcodeKindName(k), static_cast<int>(k));
        cbRodzaj->setCurrentIndex(cbRodzaj->findData(static_cast<int>(*kind)));
        form->addRow(QStringLiteral("Rodzaj kodu:"), cbRodzaj);
        connect(cbRodzaj, &QComboBox::currentIndexChanged, this, &TComposedElementDialog::showPreview);
    }
    edTekst = new QLineEdit(pattern, this);
    edTekst->setObjectName(QStringLiteral("edTekst"));
    edTekst->setMinimumWidth(320);
    form->addRow(m_code ? QString::fromUtf8("Kodowany tekst:") : QStringLiteral("Tekst:"), edTekst);
    cbPole = new QComboBox(this);
    cbPole->setObjectName(QStringLiteral("cbPole"));
    cbPole->addItem(QString::fromUtf8("— wybierz pole —"));
    for (const QString& name : passFieldNames())
        cbPole->addItem(QStringLiteral("{%1}").arg(name));
    form->addRow(QStringLiteral("Wstaw pole:"), cbPole);
    connect(cbPole, &QComboBox::activated, this, [this](int index) {
        if (index <= 0)
            return;
        edTekst->insert(cbPole->itemText(index));
        cbPole->setCurrentIndex(0);
        edTekst->setFocus();
    });
    lblPodglad = new QLabel(this);
    lblPodglad->setObjectName(QStringLiteral("lblPodglad"));
    lblPodglad->setTextFormat(Qt::PlainText);
    form->addRow(QString::fromUtf8("Dla osoby na przepustce:"), lblPodglad);
    lblUwagi = new QLabel(this);
    lblUwagi->setObjectName(QStringLiteral("lblUwagi"));
    lblUwagi->setTextFormat(Qt::PlainText);
    lblUwagi->setWordWrap(true);
    lblUwagi->setStyleSheet(QStringLiteral("color: #c00000"));
    QDialogButtonBox* buttons = okCancelButtons(*this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblUwagi);
    layout->addWidget(buttons);
    connect(edTekst, &QLineEdit::textChanged, this, &TComposedElementDialog::showPreview);
    showPreview();
    // The text is what one comes to change.
    edTekst->setFocus();
    edTekst->selectAll();
}

QString TComposedElementDialog::pattern() const { return edTekst->text(); }

TBarcodeKind TComposedElementDialog::kind() const {
    return cbRodzaj ? static_cast<TBarcodeKind>(cbRodzaj->currentData().toInt()) : bkQR;
}

void TComposedElementDialog::showPreview() {
    const composed_elements::TPreview shown =
        composed_elements::preview(m_design, pattern(), m_code ? std::optional<TBarcodeKind>(kind()) : std::nullopt);
    lblPodglad->setText(shown.text);
    lblUwagi->setText(shown.problems.join(u'\n'));
    lblUwagi->setVisible(!shown.problems.isEmpty());
}

} // namespace wendolarka
