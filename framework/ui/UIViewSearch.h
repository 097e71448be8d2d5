#pragma once

// Finding views in a tree: every view of the subtree, the root included,
// that is of a class (or subclass) or adopts an interface, depth first, a
// view before its subviews, subviews in order. Empty when nothing matches.
//
// Main queue only.

#include "platform/ui/View.h"

#include <functional>
#include <vector>

namespace pf {
class Class;
class Protocol;
}

// Visits every view of the subtree, the root included, in that order. A
// view's subviews are read just after it is visited, so a visit may change
// the tree below it.
void forEachViewInTree(pf::View& root, const std::function<void(pf::View&)>& visit);

// Through C++ types: T may be a view class or an interface such as IKRImageTask.
template <class T>
std::vector<std::shared_ptr<T>> searchViewForClass(const pf::ViewRef& root)
{
    std::vector<std::shared_ptr<T>> found;
    if (root)
        forEachViewInTree(*root, [&found](pf::View& view) {
            if (auto* match = dynamic_cast<T*>(&view))
                found.emplace_back(view.shared_from_this(), match);
        });
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
