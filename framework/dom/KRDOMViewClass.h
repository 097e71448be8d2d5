#pragma once

// The native view classes that markup may name in "viewClass". Only
// registered classes can be made from markup; the plain view ("View") is
// always registered. Classes live for the life of the process, so their
// addresses are their identities.
//
// Main queue only; register at start-up, before documents are shown.

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <functional>
#include <string>
#include <string_view>

class KRDOMViewClass {
public:
    using Factory = std::function<pf::ViewRef(const pf::Rect& frame)>;

    // Registers a view class under a name; registering a name again replaces
    // its factory.
    static const KRDOMViewClass& registerClass(std::string name, Factory factory);
    // Null when no class has that name.
    static const KRDOMViewClass* named(std::string_view name);
    static const KRDOMViewClass& plainView();

    const std::string& name() const { return m_name; }
    // A new view of the class with the frame.
    pf::ViewRef create(const pf::Rect& frame) const;

    KRDOMViewClass(std::string name, Factory factory);
    KRDOMViewClass(const KRDOMViewClass&) = delete;
    KRDOMViewClass& operator=(const KRDOMViewClass&) = delete;

private:
    std::string m_name;
    Factory m_factory;
};
