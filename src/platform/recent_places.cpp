#include "recent_places.h"

#include <QDir>
#include <QFileInfo>
#include <QRegion>
#include <QSettings>

namespace wendolarka {
namespace {

const QString kDatabaseKey = QStringLiteral("ostatnie/baza");
const QString kTemplatesKey = QStringLiteral("ostatnie/wzorce");

QString folderKey(TFilePlace place) {
    switch (place) {
    case TFilePlace::Databases: return QStringLiteral("foldery/bazy");
    case TFilePlace::Templates: return QStringLiteral("foldery/wzorce");
    case TFilePlace::Exports: return QStringLiteral("foldery/eksport");
    case TFilePlace::Lists: return QStringLiteral("foldery/listy");
    case TFilePlace::Photos: return QStringLiteral("foldery/zdjecia");
    case TFilePlace::Pictures: return QStringLiteral("foldery/obrazy");
    case TFilePlace::None: break;
    }
    return {};
}

QString windowKey(const QString& window) { return QStringLiteral("okna/") + window; }

} // namespace

QString recentPath(const QString& fileName) {
    return fileName.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

TRecentPlaces::TRecentPlaces(QSettings& settings) : m_settings(settings) {}

TRecentPlaces::TRecentPlaces(std::unique_ptr<QSettings> owned) : m_owned(std::move(owned)), m_settings(*m_owned) {}

TRecentPlaces::~TRecentPlaces() = default;

QString TRecentPlaces::lastDatabase() const { return m_settings.value(kDatabaseKey).toString(); }

void TRecentPlaces::databaseUsed(const QString& fileName) {
    m_settings.setValue(kDatabaseKey, recentPath(fileName));
    m_settings.sync();
}

void TRecentPlaces::forgetDatabase(const QString& fileName) {
    if (lastDatabase() == recentPath(fileName)) {
        m_settings.remove(kDatabaseKey);
        m_settings.sync();
    }
}

QStringList TRecentPlaces::recentTemplates() const {
    QStringList files = m_settings.value(kTemplatesKey).toStringList();
    files.removeAll(QString());
    return files.mid(0, kRecentTemplates);
}

void TRecentPlaces::setList(const QString& key, const QStringList& files) {
    m_settings.setValue(key, files);
    m_settings.sync();
}

void TRecentPlaces::templateUsed(const QString& fileName) {
    const QString path = recentPath(fileName);
    QStringList files = recentTemplates();
    files.removeAll(path);
    files.prepend(path);
    setList(kTemplatesKey, files.mid(0, kRecentTemplates));
}

void TRecentPlaces::forgetTemplate(const QString& fileName) {
    QStringList files = recentTemplates();
    if (files.removeAll(recentPath(fileName)) > 0)
        setList(kTemplatesKey, files);
}

QString TRecentPlaces::startFolder(TFilePlace place) const {
    if (place == TFilePlace::None)
        return {};
    const QString folder = m_settings.value(folderKey(place)).toString();
    // A folder since removed (or a stick since pulled out) would open the dialog nowhere.
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void TRecentPlaces::folderUsed(TFilePlace place, const QString& fileOrFolder) {
    if (place == TFilePlace::None || fileOrFolder.isEmpty())
        return;
    const QFileInfo chosen(fileOrFolder);
    m_settings.setValue(folderKey(place), QDir::cleanPath(chosen.isDir() ? chosen.absoluteFilePath() : chosen.absolutePath()));
    m_settings.sync();
}

std::optional<TRecentPlaces::WindowPlace> TRecentPlaces::windowPlace(const QString& window) const {
    const QRect frame = m_settings.value(windowKey(window) + QStringLiteral("/ramka")).toRect();
    const QSize client = m_settings.value(windowKey(window) + QStringLiteral("/wnetrze")).toSize();
    if (!frame.isValid() || !client.isValid() || client.isEmpty())
        return std::nullopt;
    return WindowPlace{frame, client};
}

void TRecentPlaces::keepWindowPlace(const QString& window, const WindowPlace& place) {
    m_settings.setValue(windowKey(window) + QStringLiteral("/ramka"), place.frame);
    m_settings.setValue(windowKey(window) + QStringLiteral("/wnetrze"), place.client);
    m_settings.sync();
}

bool onPresentScreen(const QRect& frame, const QList<QRect>& screens) {
    if (!frame.isValid())
        return false;
    QRegion desktop;
    for (const QRect& screen : screens)
        desktop += screen;
    return desktop.intersected(frame) == QRegion(frame);
}

} // namespace wendolarka
