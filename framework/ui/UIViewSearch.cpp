#include "framework/ui/UIViewSearch.h"

#include "platform/foundation/Object.h"

namespace {
template <class Match>
std::vector<pf::ViewRef> walk(const pf::ViewRef& root, Match match)
{
    std::vector<pf::ViewRef> found;
    found.reserve(4);
    std::vector<pf::ViewRef> stack{root};
    while (!stack.empty()) {
        pf::ViewRef view = std::move(stack.back());
        stack.pop_back();
        if (!view)
            continue;
        if (match(*view))
            found.push_back(view);
        auto& children = view->subviews();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back(*it);
    }
    return found;
}
}

std::vector<pf::ViewRef> searchViewForClass(const pf::ViewRef& root, const pf::Class* cls)
{
    return walk(root, [cls](const pf::View& v) {
        const pf::Class* c = v.objectClass();
        return cls && c && c->isSubclassOf(cls);
    });
}

std::vector<pf::ViewRef> searchViewForProtocol(const pf::ViewRef& root, const pf::Protocol* protocol)
{
    return walk(root, [protocol](const pf::View& v) {
        const pf::Class* c = v.objectClass();
        return protocol && c && c->conformsTo(protocol);
    });
}
