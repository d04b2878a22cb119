// The metafile player on arbitrary bytes: at a small fixed size, and at the
// size the file's header claims when that is small too.
#include "core/exception.h"
#include "core/metafile_player.h"
#include "core/picture.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

using namespace wendolarka;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_metafiles";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv); // fonts need it
    (void)offscreen;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    renderMetafile(bytes, QSize(64, 64));
    try {
        const QSize claimed = TMetafile::fromFileData(bytes)->size();
        if (!claimed.isEmpty() && claimed.width() <= 512 && claimed.height() <= 512)
            renderMetafile(bytes, claimed);
    } catch (const Exception&) {
        // Not a header the loader takes: the fixed size above was enough.
    }
    return 0;
}
