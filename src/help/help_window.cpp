#include "help_window.h"

#include "core/exception.h"
#include "platform/error_handler.h"
#include "rtf_reader.h"
#include "widgets/form_setup.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace wendolarka {
namespace {

// No help file comes near this; a larger one is not read.
constexpr qint64 kMaxHelpBytes = 32 * 1024 * 1024;

} // namespace

TFhelp::TFhelp(QWidget* parent) : QDialog(parent), m_helpFiles(defaultHelpFiles()) {
    initForm(*this, {QStringLiteral("Fhelp"), QStringLiteral("Plik pomocy"), QSize(744, 415), clBtnShadow,
                     TFont(QStringLiteral("MS Sans Serif"), 8), false});
    setToolTip(utf8("Klawisz <ESC> zamyka to okno"));
    Panel1 = named(new QFrame(this), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Panel1);
    RichEdit1 = named(new QTextEdit(Panel1), "RichEdit1");
    auto* inner = new QVBoxLayout(Panel1);
    inner->setContentsMargins(2, 2, 2, 2);
    inner->addWidget(RichEdit1);
    RichEdit1->setFont(TFont(QStringLiteral("MS Sans Serif"), 10, fsBold).toQFont());
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setPlainText(missingFileText());
    // Keys reach the window first (key preview): Esc closes it even from the view.
    RichEdit1->installEventFilter(this);
}

QStringList TFhelp::defaultHelpFiles() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {QDir(programFolder).filePath(QString::fromLatin1(kHelpFileName)),
            QDir(programFolder).filePath(QStringLiteral("../share/wendolarka/") + QString::fromLatin1(kHelpFileName))};
}

QString TFhelp::missingFileText() {
    return QStringLiteral(" \n") + QString(17, u' ') +
           utf8("Nie widzę  w katalogu programu pliku pomocy - ''wendolarka.rtf''.") + QStringLiteral("\n\n") +
           QString(43, u' ') + utf8("Proszę dostarczyć mi ten plik!");
}

void TFhelp::FormShow() {
    RichEdit1->setAcceptRichText(true);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setReadOnly(true);
    QTextCursor caret = RichEdit1->textCursor();
    QTextBlockFormat paragraph = caret.blockFormat();
    paragraph.setTextIndent(25);
    paragraph.setLeftMargin(15);
    paragraph.setRightMargin(std::max(0, RichEdit1->viewport()->width() - 25));
    caret.setBlockFormat(paragraph);
    for (const QString& path : m_helpFiles) {
        if (QFileInfo(path).isFile()) {
            loadFile(path);
            return;
        }
    }
}

void TFhelp::loadFile(const QString& path) {
    const auto load = [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw Exception(QStringLiteral("Cannot open file %1").arg(path));
        if (file.size() > kMaxHelpBytes)
            throw Exception(utf8("Plik pomocy %1 jest za duży.").arg(path));
        const QByteArray bytes = file.readAll();
        const bool whole = readRtf(bytes, *RichEdit1->document()); // the view keeps what it held when this throws
        m_loadedFile = path;
        RichEdit1->moveCursor(QTextCursor::Start);
        // A cut-off file shows what it has, and says it is cut off.
        if (!whole)
            throw Exception(utf8("Plik pomocy %1 jest uszkodzony: urywa się przed końcem.").arg(QDir::toNativeSeparators(path)));
    };
    try {
        load();
    } catch (...) {
        if (m_errorShown)
            return;
        m_errorShown = true;
        if (m_errors)
            m_errors->showCurrentException();
    }
}

void TFhelp::FormClose() { done(QDialog::Accepted); }

void TFhelp::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TFhelp::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFhelp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == RichEdit1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFhelp::closeEvent(QCloseEvent* event) {
    FormClose(); // OK, then hidden as a modal window is
    event->accept();
}

void showHelpWindow(QWidget* parent, const ErrorHandler* errors) {
    TFhelp window(parent);
    window.setErrorHandler(errors);
    window.exec();
}

} // namespace wendolarka
