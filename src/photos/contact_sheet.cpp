#include "photos/contact_sheet.h"

#include "photos/photo_editor.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace wendolarka::photos {
namespace {

QString utf8(const char* text) { return QString::fromUtf8(text); }

} // namespace

TFDopasujZdjecia::TFDopasujZdjecia(std::vector<TCropProposal> proposals, double aspect, TPictureSource pictures,
                                   QWidget* parent)
    : QDialog(parent), m_proposals(std::move(proposals)), m_aspect(aspect), m_pictures(std::move(pictures)) {
    setObjectName(QStringLiteral("FDopasujZdjecia"));
    setWindowTitle(utf8("Dopasuj zdjęcia osób"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(utf8("Zdjęcia, które nie mają proporcji zdjęcia na przepustce, z proponowanym kadrem. "
                                 "Odznacz te, których nie zmieniać; dwukrotne kliknięcie (albo Enter) otwiera "
                                 "zdjęcie do poprawienia kadru."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    lstZdjecia = new QListWidget(this);
    lstZdjecia->setObjectName(QStringLiteral("lstZdjecia"));
    lstZdjecia->setViewMode(QListView::IconMode);
    lstZdjecia->setResizeMode(QListView::Adjust);
    lstZdjecia->setMovement(QListView::Static);
    lstZdjecia->setIconSize(QSize(int(kThumbHeight * std::max(0.2, std::min(aspect, 3.0))), kThumbHeight));
    lstZdjecia->setSpacing(8);
    lstZdjecia->setWordWrap(true);
    layout->addWidget(lstZdjecia, 1);
    lblStan = new QLabel(this);
    lblStan->setObjectName(QStringLiteral("lblStan"));
    layout->addWidget(lblStan);
    auto* buttons = new QHBoxLayout;
    btnWszystkie = new QPushButton(utf8("Zaznacz &wszystkie"), this);
    btnWszystkie->setObjectName(QStringLiteral("btnWszystkie"));
    btnZadne = new QPushButton(utf8("&Odznacz wszystkie"), this);
    btnZadne->setObjectName(QStringLiteral("btnZadne"));
    btnZapisz = new QPushButton(utf8("&Zapisz zaznaczone"), this);
    btnZapisz->setObjectName(QStringLiteral("btnZapisz"));
    btnAnuluj = new QPushButton(utf8("Anuluj"), this);
    btnAnuluj->setObjectName(QStringLiteral("btnAnuluj"));
    // Enter on a photo adjusts it; it must never press a button of the sheet as well.
    for (QPushButton* button : {btnWszystkie, btnZadne, btnZapisz, btnAnuluj})
        button->setAutoDefault(false);
    buttons->addWidget(btnWszystkie);
    buttons->addWidget(btnZadne);
    buttons->addStretch();
    buttons->addWidget(btnZapisz);
    buttons->addWidget(btnAnuluj);
    layout->addLayout(buttons);
    resize(900, 640);

    for (int i = 0; i < int(m_proposals.size()); ++i) {
        auto* item = new QListWidgetItem(lstZdjecia);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        showItem(i);
    }
    if (lstZdjecia->count() > 0)
        lstZdjecia->setCurrentRow(0);
    showState();

    connect(lstZdjecia, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (m_filling)
            return;
        m_proposals[std::size_t(lstZdjecia->row(item))].accepted = item->checkState() == Qt::Checked;
        showState();
    });
    connect(lstZdjecia, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { adjust(lstZdjecia->row(item)); });
    const auto tickAll = [this](bool on) {
        for (int i = 0; i < lstZdjecia->count(); ++i)
            lstZdjecia->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    };
    connect(btnWszystkie, &QPushButton::clicked, this, [tickAll] { tickAll(true); });
    connect(btnZadne, &QPushButton::clicked, this, [tickAll] { tickAll(false); });
    connect(btnZapisz, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnAnuluj, &QPushButton::clicked, this, &QDialog::reject);
}

TFDopasujZdjecia::~TFDopasujZdjecia() = default;

void TFDopasujZdjecia::showItem(int index) {
    // Every change of the item below is the program's, not a tick of the user's.
    const QScopedValueRollback<bool> filling(m_filling, true);
    const TCropProposal& proposal = m_proposals[std::size_t(index)];
    QListWidgetItem* item = lstZdjecia->item(index);
    item->setIcon(QIcon(QPixmap::fromImage(proposal.thumbnail)));
    item->setText(proposal.name.isEmpty() ? utf8("(bez nazwiska)") : proposal.name);
    item->setToolTip(proposal.faceFound ? utf8("Kadr wokół twarzy") : utf8("Twarzy nie znaleziono: kadr na środku u góry"));
    item->setCheckState(proposal.accepted ? Qt::Checked : Qt::Unchecked);
}

bool TFDopasujZdjecia::adjust(int index) {
    if (index < 0 || index >= int(m_proposals.size()))
        return false;
    TCropProposal& proposal = m_proposals[std::size_t(index)];
    const QImage picture = m_pictures ? m_pictures(proposal.id) : QImage();
    if (picture.isNull())
        return false;
    TFZdjecie editor(picture, m_aspect, this, proposal.edit);
    if (editor.exec() != QDialog::Accepted)
        return false;
    proposal.edit = editor.edit();
    proposal.thumbnail = thumbnailOf(picture, proposal.edit);
    proposal.accepted = true;
    showItem(index);
    showState();
    return true;
}

void TFDopasujZdjecia::showState() {
    int accepted = 0;
    for (const TCropProposal& proposal : m_proposals)
        accepted += proposal.accepted;
    lblStan->setText(utf8("Zdjęć do dopasowania: %1, zaznaczonych do zapisania: %2.")
                         .arg(m_proposals.size())
                         .arg(accepted));
    btnZapisz->setEnabled(accepted > 0);
}

} // namespace wendolarka::photos
