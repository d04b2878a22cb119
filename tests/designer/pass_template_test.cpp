#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "core/component_stream.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "sizer/size_control.h"
#include "support/error_text.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace wendolarka;

TEST(PassTemplate, DumpStandard) {
    TForm1 form;
    const QByteArray file = pass_template::writeFile(form);
    QFile out(QStringLiteral("/tmp/standard.wzo"));
    out.open(QIODevice::WriteOnly);
    out.write(file);
    out.close();
    std::fputs(pass_template::describeFile(file).toUtf8().constData(), stdout);
}
