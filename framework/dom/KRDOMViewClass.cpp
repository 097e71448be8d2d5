#include "framework/dom/KRDOMViewClass.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"

#include <cassert>
#include <map>
#include <memory>

namespace {

std::map<std::string, std::unique_ptr<KRDOMViewClass>, std::less<>>& registry()
{
    static std::map<std::string, std::unique_ptr<KRDOMViewClass>, std::less<>> classes;
    return classes;
}

}

KRDOMViewClass::KRDOMViewClass(std::string name, Factory factory)
    : m_name(std::move(name))
    , m_factory(std::move(factory))
{
}

const KRDOMViewClass& KRDOMViewClass::registerClass(std::string name, Factory factory)
{
    PF_ASSERT_MAIN_THREAD();
    auto& classes = registry();
    if (auto it = classes.find(name); it != classes.end()) {
        it->second->m_factory = std::move(factory);
        return *it->second;
    }
    auto cls = std::make_unique<KRDOMViewClass>(name, std::move(factory));
    return *classes.emplace(std::move(name), std::move(cls)).first->second;
}

const KRDOMViewClass* KRDOMViewClass::named(std::string_view name)
{
    plainView();
    auto& classes = registry();
    auto it = classes.find(name);
    return it == classes.end() ? nullptr : it->second.get();
}

const KRDOMViewClass& KRDOMViewClass::plainView()
{
    static const KRDOMViewClass& plain = registerClass("View", [](const pf::Rect& frame) { return pf::View::create(frame); });
    return plain;
}

pf::ViewRef KRDOMViewClass::create(const pf::Rect& frame) const
{
    pf::ViewRef view = m_factory ? m_factory(frame) : nullptr;
    // A factory that makes nothing still leaves the element with a view.
    return view ? view : pf::View::create(frame);
}
