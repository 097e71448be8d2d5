#include "framework/ui/UIViewSearch.h"

#include "platform/foundation/Object.h"

void forEachViewInTree(pf::View& root, const std::function<void(pf::View&)>& visit)
{
    std::vector<pf::ViewRef> stack;
    auto visitAndStack = [&](pf::View& view) {
        visit(view);
        auto& children = view.subviews();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (*it)
                stack.push_back(*it);
    };
    visitAndStack(root);
    while (!stack.empty()) {
        pf::ViewRef view = std::move(stack.back());
        stack.pop_back();
        visitAndStack(*view);
    }
}

namespace {

std::vector<pf::ViewRef> matching(const pf::ViewRef& root, const std::function<bool(const pf::Class*)>& match)
{
    std::vector<pf::ViewRef> found;
    if (!root)
        return found;
    forEachViewInTree(*root, [&](pf::View& view) {
        const pf::Class* c = view.objectClass();
        if (c && match(c))
            found.push_back(std::static_pointer_cast<pf::View>(view.shared_from_this()));
    });
    return found;
}

}

std::vector<pf::ViewRef> searchViewForClass(const pf::ViewRef& root, const pf::Class* cls)
{
    return matching(root, [cls](const pf::Class* c) { return cls && c->isSubclassOf(cls); });
}

std::vector<pf::ViewRef> searchViewForProtocol(const pf::ViewRef& root, const pf::Protocol* protocol)
{
    return matching(root, [protocol](const pf::Class* c) { return protocol && c->conformsTo(protocol); });
}
