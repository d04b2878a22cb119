#pragma once

#include "dialogs.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSettings;

namespace wendolarka {

// What the program remembers between runs about where the user works: the last
// database, the recent templates, the last folder of each kind of file and the
// places of windows. Kept in the user's settings, never in a file of theirs;
// tests give it settings of their own (an ini file in a temporary folder).
class TRecentPlaces {
public:
    static constexpr int kRecentTemplates = 5;

    explicit TRecentPlaces(QSettings& settings);
    explicit TRecentPlaces(std::unique_ptr<QSettings> owned);
    ~TRecentPlaces();
    TRecentPlaces(const TRecentPlaces&) = delete;
    TRecentPlaces& operator=(const TRecentPlaces&) = delete;

    // The database last opened, made or filled; empty when none.
    QString lastDatabase() const;
    void databaseUsed(const QString& fileName);
    void forgetDatabase(const QString& fileName);

    // Templates last opened or saved, the most recent first, each once.
    QStringList recentTemplates() const;
    void templateUsed(const QString& fileName);
    void forgetTemplate(const QString& fileName);

    // The folder a dialog of that kind was last left in; empty when none or it is gone.
    QString startFolder(TFilePlace place) const;
    // The folder of a file chosen (or the folder itself) becomes that kind's.
    void folderUsed(TFilePlace place, const QString& fileOrFolder);

    // A window's last outer rectangle (its frame) and client size.
    struct WindowPlace {
        QRect frame;
        QSize client;
    };
    std::optional<WindowPlace> windowPlace(const QString& window) const;
    void keepWindowPlace(const QString& window, const WindowPlace& place);

private:
    void setList(const QString& key, const QStringList& files);

    std::unique_ptr<QSettings> m_owned;
    QSettings& m_settings;
};

// Whether a window's frame lies wholly on the screens (their geometries), across
// two side by side too: a place kept from a monitor that is gone is not restored.
bool onPresentScreen(const QRect& frame, const QList<QRect>& screens);

// Paths as the settings compare them: absolute and clean, so one file is one entry.
QString recentPath(const QString& fileName);

} // namespace wendolarka
