// The layout template reader on arbitrary bytes, loading into a real pass window.
#include "core/exception.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"

#include <QApplication>

#include <cstddef>
#include <cstdint>
#include <memory>

using namespace wendolarka;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_templates";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    static TForm1 form;
    (void)offscreen;
    try {
        pass_template::loadFile(form, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        form.Snapshot(); // whatever loaded must also draw
    } catch (const Exception&) {
        // A clean refusal is the expected outcome for most inputs.
    }
    return 0;
}
