#pragma once

#include <QByteArray>
#include <QString>

namespace wendolarka {

class TPassDesign;

// The standard layout: a component stream kept in the program.
QByteArray standardLayoutStream();

// A pass design as a layout template: a resource header and a component
// stream of the window and its elements, with the property tables below.
// When the design is the pass window's, the window's own parts go with it:
// whether it is shown, and its sizer.
namespace pass_template {

// The component stream of the window as it stands (no resource header).
QByteArray writeStream(const TPassDesign& form);
// Header and stream, as a "*.wzo" file holds them.
QByteArray writeFile(const TPassDesign& form);
// What the user designed, apart from what is no design: the person shown (the
// person elements' texts and photo, and the size of labels that follow their
// text), where the window stands, and the sizer (what is picked). Equal bytes
// mean an equal design.
QByteArray designFingerprint(const TPassDesign& form);

// Reads a whole template file, then replaces the window's elements and
// settings by what it holds. Throws EStreamError or the picture decoders'
// errors, and then leaves the window exactly as it was.
void loadFile(TPassDesign& form, const QByteArray& file);
// The same for a bare component stream (the standard layout).
void loadStream(TPassDesign& form, const QByteArray& stream);
// A design this window had (a stream written by writeStream) brought back: the
// elements and the window's design settings as loadStream would set them, but
// the window stays where and as it is shown and keeps its sizer, on the element
// of the same name. Throws like loadStream, leaving the design as it was.
void restoreDesign(TPassDesign& form, const QByteArray& stream);

// A readable account of a template (classes, names, properties; pictures by
// kind and size), for looking inside a file. Throws like loadFile.
QString describeFile(const QByteArray& file);

} // namespace pass_template
} // namespace wendolarka
