#pragma once

// Templates written by hand for the template tests, and the refusal of one.

#include "core/component_stream.h"
#include "designer/pass_template.h"
#include "designer/pass_window.h"
#include "support/error_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace template_test {

using namespace wendolarka;
using namespace wendolarka::component_stream;

inline QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

// A template of the standard window with its elements replaced by `children`.
inline QByteArray templateWith(const std::function<void(TStreamWriter&)>& children,
                               const std::function<void(TStreamWriter&)>& rootProperties = nullptr) {
    TStreamWriter out;
    out.signature();
    out.beginComponent(QStringLiteral("TForm1"), QStringLiteral("Form1"));
    out.property(QStringLiteral("Width"), TValue::Integer(500));
    if (rootProperties)
        rootProperties(out);
    out.endList();
    children(out);
    out.endList();
    return templateFile(QStringLiteral("TForm1"), out.bytes());
}

inline void label(TStreamWriter& out, const QString& name, const QString& caption) {
    out.beginComponent(QStringLiteral("TLabel"), name);
    out.property(QStringLiteral("Left"), TValue::Integer(7));
    out.property(QStringLiteral("Caption"), TValue::String(caption));
    out.endList();
    out.endList();
}

// The error of loading, and whether the window kept its design meanwhile.
inline QString refusal(TForm1& form, const QByteArray& file) {
    const QByteArray before = pass_template::writeStream(form);
    const QString error = errorOf([&] { pass_template::loadFile(form, file); });
    EXPECT_EQ(pass_template::writeStream(form), before) << error.toStdString();
    return error;
}

using Records = std::vector<std::pair<QString, TValue>>;

// An element record with these properties and no children.
inline void element(TStreamWriter& out, const QString& cls, const QString& name, const Records& properties) {
    out.beginComponent(cls, name);
    for (const auto& [property, value] : properties)
        out.property(property, value);
    out.endList();
    out.endList();
}

inline QByteArray oneElement(const QString& cls, const QString& name, const Records& properties) {
    return templateWith([&](TStreamWriter& out) { element(out, cls, name, properties); });
}

} // namespace template_test
