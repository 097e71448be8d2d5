#pragma once

// Finding views in a tree: every view of the subtree, the root included,
// that is of a class (or subclass) or adopts an interface, depth first, a
// view before its subviews, subviews in order. Empty when nothing matches.
//
// Main queue only.

#include "platform/ui/View.h"

#include <vector>

namespace pf {
class Class;
class Protocol;
}

// Through C++ types: T may be a view class or an interface such as IKRImageTask.
template <class T>
std::vector<std::shared_ptr<T>> searchViewForClass(const pf::ViewRef& root)
{
    std::vector<std::shared_ptr<T>> found;
    found.reserve(4);
    std::vector<pf::ViewRef> stack{root};
    while (!stack.empty()) {
        pf::ViewRef view = std::move(stack.back());
        stack.pop_back();
        if (!view)
            continue;
        if (auto match = std::dynamic_pointer_cast<T>(view))
            found.push_back(std::move(match));
        auto& children = view->subviews();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back(*it);
    }
    return found;
}

template <class T>
std::vector<std::shared_ptr<T>> searchViewForProtocol(const pf::ViewRef& root)
{
    return searchViewForClass<T>(root);
}

// Through the runtime's registered classes and protocols, as names from
// configuration reach them.
std::vector<pf::ViewRef> searchViewForClass(const pf::ViewRef& root, const pf::Class* cls);
std::vector<pf::ViewRef> searchViewForProtocol(const pf::ViewRef& root, const pf::Protocol* protocol);
