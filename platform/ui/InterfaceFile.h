#pragma once

// Interface files: a screen's objects (views, containers, outlets) written
// as XML in the bundle's "interface/<Name>.xml", made at run time.
//
//   <interface owner="KRViewController">
//     <object id="view" class="View"><rect name="frame">{{0, 0}, {320, 548}}</rect>
//       <subviews><object id="ok" class="KRButton"><string name="title">确定</string>
//         <action event="touchUpInside" target="owner" name="doAction"/></object></subviews></object>
//     <outlet name="view" to="view"/>
//   </interface>
//
// Values, each with name="key": string, number, bool (YES/NO/true/false/1/0),
// color ("#rrggbb" with an optional alpha "#rrggbb 0.5"), font ("14",
// "14 bold", "14 Helvetica-Bold"), image (a bundle picture; optional
// left="…" top="…" caps make it stretchable), point "{x, y}", size "{w, h}",
// rect "{{x, y}, {w, h}}", insets "{t, l, b, r}", enum (a value name of an
// enum property), flags ("a|b"), null, array (values without names) and
// dictionary (values with key="…"). <outlet name to> and <collection name>
// of <ref to> set the enclosing object's property, at top level the
// owner's; "owner" names the owner. <subviews> holds a view's subviews in
// order; <action event target name> connects an ActionSender's event to a
// method registered with ClassBuilder::action on the target.
//
// Parsing resolves classes, keys, values and actions once; keys a class
// does not declare are errors unless the class takes any key, which then
// gets them at instantiate. Outlets keep their object unless the property
// is weak; a cycle of keeping outlets, collections and subviews is an error
// (weak outlets, such as delegates, may point anywhere). Errors read
// "Name.xml:LINE: …". Limits: 1 MB of text, nesting 64 deep, 10,000
// objects. No network, entities or DTD.
//
// Main thread only (instantiate makes views); a parsed file is immutable.

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

class InterfaceFile;
using InterfaceFileRef = std::shared_ptr<const InterfaceFile>;

class InterfaceFile {
public:
    static constexpr std::size_t kMaxBytes = 1 << 20;
    static constexpr int kMaxDepth = 64;
    static constexpr std::size_t kMaxObjects = 10000;

    // "interface/<name>.xml" of the bundle, parsed once and kept.
    static ErrorOr<InterfaceFileRef> named(const std::string& name, const Bundle& bundle);
    // `name` is the file's name in errors, without ".xml"; pictures come from `bundle`.
    static ErrorOr<InterfaceFileRef> parse(std::string_view xml, std::string name, const Bundle& bundle);

    const std::string& name() const { return m_name; }
    // The class the owner must be, or null when the file names none.
    const Class* ownerClass() const { return m_ownerClass; }
    std::size_t objectCount() const;

    // Makes and fills the objects, links them, sets the owner's outlets,
    // then sends awakeFromNib() to each object in document order. Answers
    // the top-level objects, which the owner keeps for as long as it uses
    // them. On an error the owner is left as it was.
    ErrorOr<std::vector<ObjectRef>> instantiate(const ObjectRef& owner) const;

    ~InterfaceFile();
    InterfaceFile(const InterfaceFile&) = delete;
    InterfaceFile& operator=(const InterfaceFile&) = delete;

private:
    friend class InterfaceParser;
    struct Document;
    InterfaceFile();

    std::string m_name;
    const Class* m_ownerClass = nullptr;
    std::unique_ptr<Document> m_document;
};

}
