#include "pass_template.h"

#include "controls/barcode.h"
#include "controls/image.h"
#include "controls/label.h"
#include "controls/label_3d.h"
#include "controls/multi_bevel.h"
#include "core/component_stream.h"
#include "core/cp1250.h"
#include "core/picture.h"
#include "pass_person.h"
#include "pass_window.h"
#include "sizer/size_control.h"
#include "widgets/form_setup.h"

#include <QSet>

#include <functional>
#include <type_traits>
#include <map>
#include <set>

#include "pass_template_properties.h"

namespace wendolarka::pass_template {
namespace {

using namespace component_stream;
using namespace properties;

// ---- writing ---------------------------------------------------------------------------

// What a stream is written for: a file, or the comparison of designs.
enum class Purpose { File, Design };

// Left out of a design's fingerprint: what shows the person, not the design.
bool personData(const TControl& element, const char* property) {
    static const QSet<QString> texts = {
        QStringLiteral("lblTytul"),    QStringLiteral("lblImie"),     QStringLiteral("lblNazwisko"),
        QStringLiteral("lblPriorytet"), QStringLiteral("lblIndex"),   QStringLiteral("lblAdres1"),
        QStringLiteral("lblAdres2"),   QStringLiteral("lblTelefon1"), QStringLiteral("lblTelefon2"),
        QStringLiteral("lblusluga1"),  QStringLiteral("lblUsluga2")};
    const QLatin1String name(property);
    if (element.Name() == u"Image11")
        return name == QLatin1String("Picture.Data");
    const auto* label = dynamic_cast<const TLabel*>(&element);
    // A composed text is written by the designer and filled in with the person.
    const bool composed = label && label->Composed();
    if (!composed && !texts.contains(element.Name()))
        return false;
    if (name == QLatin1String("Caption"))
        return !composed;
    // A label sizing itself to its text takes the person's size.
    return label && label->AutoSize() && (name == QLatin1String("Width") || name == QLatin1String("Height"));
}

template <typename T>
void writeProperties(TStreamWriter& out, const Table<T>& table, const T& object, Purpose purpose = Purpose::File) {
    for (const Property<T>& p : table) {
        if constexpr (std::is_base_of_v<TControl, T>)
            if (purpose == Purpose::Design && personData(object, p.name))
                continue;
        if (p.writes(object))
            out.property(QLatin1String(p.name), p.get(object));
    }
}

template <typename T>
void writeElement(TStreamWriter& out, const QString& className, const Table<T>& table, const T& element,
                  Purpose purpose) {
    out.beginComponent(className, element.Name());
    writeProperties(out, table, element, purpose);
    out.endList();
    out.endList(); // no children
}

// ---- reading ---------------------------------------------------------------------------

// Who a refusal is about: the element by its name, or by its class when it has none.
QString ownerOf(const TComponentRecord& record) {
    if (record.name.isEmpty())
        return QStringLiteral("element klasy %1 bez nazwy").arg(record.className);
    return record.name;
}

template <typename T>
std::vector<Applier<T>> prepareProperties(const Table<T>& table, const std::vector<TPropertyRecord>& records,
                                          const QString& owner) {
    std::vector<Applier<T>> appliers;
    for (const TPropertyRecord& record : records) {
        const auto found = std::find_if(table.begin(), table.end(), [&](const Property<T>& p) {
            return record.name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0;
        });
        if (found == table.end())
            refuse(QStringLiteral("%1 nie ma właściwości „%2”").arg(owner, record.name));
        // Templates keep text in the code page; a wide string it cannot hold
        // would load but never save.
        if (record.value.isString())
            if (const auto at = cp1250::firstUnencodable(record.value.text))
                refuse(QStringLiteral("%1, „%2”: %3")
                           .arg(owner, record.name, cp1250::EUnencodable(record.value.text[*at], *at).message()));
        appliers.push_back(found->prepare(record.value));
    }
    return appliers;
}

// References name components by the bytes of their names, which are in the code page.
QString referencedName(const TValue& ident) { return cp1250::decode(ident.text.toLatin1()); }
TValue referenceTo(const QString& name) { return TValue::Ident(QString::fromLatin1(cp1250::encode(name))); }

// Which class each element of the pass window must have.
const std::map<QString, QString>& slotClasses() {
    static const std::map<QString, QString> classes = [] {
        std::map<QString, QString> m;
        for (const char* name : {"lblTytul", "lblImie", "lblNazwisko", "lblPriorytet", "lblIndex", "lblAdres1",
                                 "lblAdres2", "lblTelefon1", "lblTelefon2", "lblusluga1", "lblUsluga2"})
            m[QString::fromLatin1(name).toUpper()] = QStringLiteral("TLabel");
        for (const char* name : {"Rama0", "Ramka1", "Ramka2", "Ramka3", "Ramka4", "Ramka5"})
            m[QString::fromLatin1(name).toUpper()] = QStringLiteral("TktMultiBevel");
        m[QStringLiteral("IMAGE11")] = m[QStringLiteral("IMGSTALE")] = QStringLiteral("TImage");
        m[QStringLiteral("LBL1")] = m[QStringLiteral("LBL2")] = QStringLiteral("TLabel3DF");
        m[QStringLiteral("SIZECONTROL1")] = QStringLiteral("TSizeControl");
        return m;
    }();
    return classes;
}

// An element read and checked, waiting to be made.
struct PreparedElement {
    QString className;
    QString name;
    std::function<TControl*(TPassDesign&)> create; // elements of the element model
    std::vector<Applier<TSizeControl>> sizer;  // the sizer
    std::optional<QString> target;             // the sizer's Target, resolved at the end
};

struct PreparedForm {
    std::vector<Applier<TPassDesign>> root;
    std::optional<bool> visible;
    std::vector<PreparedElement> elements;
};

template <typename T>
PreparedElement prepareElement(const TComponentRecord& record, const Table<T>& table) {
    auto appliers = prepareProperties(table, record.properties, ownerOf(record));
    PreparedElement element{record.className, record.name, nullptr, {}, std::nullopt};
    element.create = [name = record.name, appliers = std::move(appliers)](TPassDesign& form) -> TControl* {
        T* control = form.createControl<T>(name);
        for (const Applier<T>& apply : appliers)
            apply(*control);
        return control;
    };
    return element;
}

// Text is laid out whole at every paint and measure, about a fifth of a second
// a megabyte: a pass holds far less, and a file with more (a damaged or a
// hostile one) would stall the window at each repaint.
constexpr qsizetype kMaxTemplateText = 2 * 1024 * 1024;

qsizetype textIn(const TComponentRecord& record) {
    qsizetype characters = 0;
    for (const TPropertyRecord& p : record.properties)
        if (p.value.isString())
            characters += p.value.text.size();
    return characters;
}

// A template loaded, or a design of this window brought back (undo): then the
// window stays where and as it is shown, with its own sizer.
enum class Mode { Load, Restore };

bool isProperty(const TPropertyRecord& record, const char* name) {
    return record.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

PreparedForm prepare(const TComponentRecord& root, Mode mode = Mode::Load) {
    qsizetype text = textIn(root);
    for (const TComponentRecord& child : root.children)
        text += textIn(child);
    if (text > kMaxTemplateText)
        refuse(QStringLiteral("teksty wzorca mają razem %1 znaków, a mogą mieć najwyżej %2").arg(text).arg(kMaxTemplateText));
    // The root's class and name do not change the window's identity.
    PreparedForm form;
    std::vector<TPropertyRecord> rootProperties;
    for (const TPropertyRecord& record : root.properties) {
        if (mode == Mode::Restore && (isProperty(record, "Visible") || isProperty(record, "Left") || isProperty(record, "Top")))
            continue;
        if (isProperty(record, "Visible"))
            form.visible = booleanOf(record.value, QStringLiteral("Visible"));
        else
            rootProperties.push_back(record);
    }
    form.root = prepareProperties(formTable(), rootProperties, ownerOf(root));

    std::set<QString> names;
    for (const TComponentRecord& child : root.children) {
        // Elements without a name are many and fill no slot.
        if (!child.name.isEmpty() && !names.insert(child.name.toUpper()).second)
            refuse(QStringLiteral("dwa elementy o nazwie %1").arg(child.name));
        const auto slot = slotClasses().find(child.name.toUpper());
        if (slot != slotClasses().end() && slot->second.compare(child.className, Qt::CaseInsensitive) != 0)
            refuse(QStringLiteral("element %1 musi być klasy %2, a jest %3").arg(child.name, slot->second, child.className));
        const QString& c = child.className;
        if (c.compare(QStringLiteral("TLabel"), Qt::CaseInsensitive) == 0) {
            form.elements.push_back(prepareElement(child, labelTable()));
        } else if (c.compare(QStringLiteral("TLabel3DF"), Qt::CaseInsensitive) == 0) {
            form.elements.push_back(prepareElement(child, label3DTable()));
        } else if (c.compare(QStringLiteral("TktMultiBevel"), Qt::CaseInsensitive) == 0) {
            form.elements.push_back(prepareElement(child, frameTable()));
        } else if (c.compare(QStringLiteral("TImage"), Qt::CaseInsensitive) == 0) {
            form.elements.push_back(prepareElement(child, imageTable()));
        } else if (c.compare(QStringLiteral("TBarcode"), Qt::CaseInsensitive) == 0) {
            form.elements.push_back(prepareElement(child, barcodeTable()));
        } else if (c.compare(QStringLiteral("TSizeControl"), Qt::CaseInsensitive) == 0) {
            if (mode == Mode::Restore)
                continue;
            PreparedElement sizer{QStringLiteral("TSizeControl"), child.name, nullptr, {}, std::nullopt};
            std::vector<TPropertyRecord> rest;
            for (const TPropertyRecord& record : child.properties) {
                if (record.name.compare(QStringLiteral("Target"), Qt::CaseInsensitive) != 0) {
                    rest.push_back(record);
                } else if (record.value.tag == Tag::Ident) {
                    sizer.target = referencedName(record.value);
                } else if (record.value.tag != Tag::Nil) {
                    refuse(QStringLiteral("„Target” oczekuje nazwy elementu"));
                }
            }
            sizer.sizer = prepareProperties(sizerTable(), rest, ownerOf(child));
            form.elements.push_back(std::move(sizer));
        } else {
            refuse(QStringLiteral("nieznana klasa elementu %1").arg(c));
        }
    }
    return form; // a Target naming no element resolves to none

}

// Nothing here can fail: every value was checked when it was prepared.
// A design alone takes no sizer and is never shown; the pass window takes both.
void apply(TPassDesign& form, PreparedForm&& prepared, Mode mode = Mode::Load) {
    TForm1* const window = dynamic_cast<TForm1*>(&form);
    if (mode == Mode::Restore) {
        TSizeControl* const kept = window ? window->SizeControl1.data() : nullptr;
        const QString picked = kept && kept->Target() ? kept->Target()->Name() : QString();
        form.destroyAllControls();
        form.bindSlots();
        for (const Applier<TPassDesign>& set : prepared.root)
            set(form);
        form.syncClientBounds();
        for (PreparedElement& element : prepared.elements)
            element.create(form);
        form.bindSlots();
        if (kept && !picked.isEmpty())
            if (TControl* element = form.findControl(picked))
                kept->setTarget(element);
        return;
    }
    if (window)
        delete window->SizeControl1.data();
    form.destroyAllControls();
    form.bindSlots();
    for (const Applier<TPassDesign>& set : prepared.root)
        set(form);
    form.syncClientBounds(); // aligned elements fill the size just read
    TSizeControl* sizer = nullptr;
    std::optional<QString> target;
    for (PreparedElement& element : prepared.elements) {
        if (element.create) {
            element.create(form);
            continue;
        }
        if (!window)
            continue;
        delete sizer; // a second sizer record replaces the first
        sizer = new TSizeControl(window);
        sizer->setObjectName(element.name);
        for (const Applier<TSizeControl>& set : element.sizer)
            set(*sizer);
        target = element.target;
    }
    if (window)
        window->SizeControl1 = sizer;
    form.bindSlots();
    if (sizer && target && !target->isEmpty()) // an empty name refers to no element
        if (TControl* element = form.findControl(*target))
            sizer->setTarget(element);
    takePersonFromLabels(form);
    fillComposedTexts(form);
    if (window && prepared.visible && *prepared.visible)
        window->ShowCentred();
}

void load(TPassDesign& form, const TComponentRecord& root) { apply(form, prepare(root)); }

QByteArray writeStreamFor(const TPassDesign& form, Purpose purpose) {
    const auto* const window = dynamic_cast<const TForm1*>(&form);
    TStreamWriter out;
    out.signature();
    out.beginComponent(QStringLiteral("TForm1"),
                       !window || window->objectName().isEmpty() ? QStringLiteral("Form1") : window->objectName());
    for (const Property<TPassDesign>& p : formTable()) {
        const QLatin1String name(p.name);
        if (purpose == Purpose::Design && (name == QLatin1String("Left") || name == QLatin1String("Top")))
            continue; // where the window stands is no design
        if (p.writes(form))
            out.property(QLatin1String(p.name), p.get(form));
        if (QLatin1String(p.name) == QLatin1String("Position") && window && window->isVisible() &&
            purpose == Purpose::File)
            out.property(QStringLiteral("Visible"), TValue::Boolean(true));
    }
    out.endList();
    for (const TControl* control : form.client().Controls()) {
        if (const auto* d = dynamic_cast<const TLabel3DF*>(control))
            writeElement(out, QStringLiteral("TLabel3DF"), label3DTable(), *d, purpose);
        else if (const auto* l = dynamic_cast<const TLabel*>(control))
            writeElement(out, QStringLiteral("TLabel"), labelTable(), *l, purpose);
        else if (const auto* f = dynamic_cast<const TktMultiBevel*>(control))
            writeElement(out, QStringLiteral("TktMultiBevel"), frameTable(), *f, purpose);
        else if (const auto* i = dynamic_cast<const TImage*>(control))
            writeElement(out, QStringLiteral("TImage"), imageTable(), *i, purpose);
        else if (const auto* b = dynamic_cast<const TBarcode*>(control))
            writeElement(out, QStringLiteral("TBarcode"), barcodeTable(), *b, purpose);
    }
    // The sizer is the tool, not the design: it follows what is picked and goes when the window is closed.
    if (const TSizeControl* sizer = window ? window->SizeControl1.data() : nullptr; sizer && purpose == Purpose::File) {
        out.beginComponent(QStringLiteral("TSizeControl"),
                           sizer->objectName().isEmpty() ? QStringLiteral("SizeControl1") : sizer->objectName());
        writeProperties(out, sizerTable(), *sizer);
        // An element without a name cannot be referred to.
        if (const TControl* target = sizer->Target(); target && !target->Name().isEmpty())
            out.property(QStringLiteral("Target"), referenceTo(target->Name()));
        out.endList();
        out.endList();
    }
    out.endList();
    return out.bytes();
}

} // namespace

QByteArray writeStream(const TPassDesign& form) { return writeStreamFor(form, Purpose::File); }

QByteArray designFingerprint(const TPassDesign& form) { return writeStreamFor(form, Purpose::Design); }

QByteArray writeFile(const TPassDesign& form) { return templateFile(QStringLiteral("TForm1"), writeStream(form)); }

// Templates have no property that takes a list or a collection.
TReadLimits templateLimits() {
    TReadLimits limits;
    limits.lists = false;
    return limits;
}

void loadFile(TPassDesign& form, const QByteArray& file) { load(form, readTemplate(file, templateLimits())); }

void loadStream(TPassDesign& form, const QByteArray& stream) {
    qsizetype pos = 0;
    load(form, readComponentStream(stream, pos, templateLimits()));
}

void restoreDesign(TPassDesign& form, const QByteArray& stream) {
    qsizetype pos = 0;
    apply(form, prepare(readComponentStream(stream, pos, templateLimits()), Mode::Restore), Mode::Restore);
}

QString describeFile(const QByteArray& file) {
    const TComponentRecord root = readTemplate(file, templateLimits());
    prepare(root); // the same checks as loading
    QString out;
    const auto describeValue = [](const TPropertyRecord& p) -> QString {
        const TValue& v = p.value;
        if (v.isInteger())
            return QString::number(v.integer);
        if (v.isString())
            return QStringLiteral("'") + v.text + QStringLiteral("'");
        switch (v.tag) {
        case Tag::Ident: return v.text;
        case Tag::True: return QStringLiteral("True");
        case Tag::False: return QStringLiteral("False");
        case Tag::Nil: return QStringLiteral("nil");
        case Tag::Set: return QStringLiteral("[") + v.set.join(QStringLiteral(", ")) + QStringLiteral("]");
        case Tag::Binary: {
            if (p.name.compare(QStringLiteral("Picture.Data"), Qt::CaseInsensitive) == 0) {
                const TPicture picture = pictureFromStreamData(v.binary);
                if (picture.isEmpty())
                    return QStringLiteral("{obraz pusty lub nieznanej klasy, %1 B}").arg(v.binary.size());
                return QStringLiteral("{%1 %2 × %3 pikseli, %4 B}")
                    .arg(picture.Graphic()->ClassName())
                    .arg(picture.Width())
                    .arg(picture.Height())
                    .arg(v.binary.size());
            }
            return QStringLiteral("{dane binarne, %1 B}").arg(v.binary.size());
        }
        default: return QStringLiteral("(znacznik %1)").arg(int(v.tag));
        }
    };
    const std::function<void(const TComponentRecord&, int)> component = [&](const TComponentRecord& c, int depth) {
        const QString indent(depth * 2, u' ');
        out += indent + QStringLiteral("object ") + c.name + QStringLiteral(": ") + c.className + u'\n';
        for (const TPropertyRecord& p : c.properties)
            out += indent + QStringLiteral("  ") + p.name + QStringLiteral(" = ") + describeValue(p) + u'\n';
        for (const TComponentRecord& child : c.children)
            component(child, depth + 1);
        out += indent + QStringLiteral("end\n");
    };
    component(root, 0);
    // What a reader of an older program would not know: named once, by element.
    QStringList uses;
    for (const TComponentRecord& child : root.children) {
        if (child.className.compare(QStringLiteral("TBarcode"), Qt::CaseInsensitive) == 0)
            uses << QStringLiteral("kod (%1)").arg(child.name);
        for (const TPropertyRecord& p : child.properties) {
            const bool on = p.value.tag == Tag::True;
            if (on && p.name.compare(QStringLiteral("Composed"), Qt::CaseInsensitive) == 0)
                uses << QString::fromUtf8("tekst złożony (%1)").arg(child.name);
            else if (on && p.name.compare(QStringLiteral("FitText"), Qt::CaseInsensitive) == 0)
                uses << QStringLiteral("Dopasuj tekst (%1)").arg(child.name);
            else if (on && p.name.compare(QStringLiteral("Proportional"), Qt::CaseInsensitive) == 0)
                uses << QString::fromUtf8("obraz w proporcjach (%1)").arg(child.name);
        }
    }
    if (!uses.isEmpty())
        out += QString::fromUtf8("Używa nowych możliwości: ") + uses.join(QStringLiteral(", ")) + u'\n';
    return out;
}

} // namespace wendolarka::pass_template
