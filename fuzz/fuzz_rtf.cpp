// The help file reader on arbitrary bytes; the document is also laid out, as the
// help window will do with whatever was read.
#include "core/exception.h"
#include "help/rtf_reader.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

using namespace wendolarka;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Fonts for the layout need a GUI application; it must outlive every input.
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QTextDocument document;
    try {
        (void)readRtf(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), document);
        document.setTextWidth(400);
        (void)document.size();
    } catch (const Exception&) {
        // Bytes that are not RTF at all are refused; nothing else may throw.
    }
    return 0;
}
