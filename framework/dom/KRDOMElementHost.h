#pragma once

// What the document views (KRDOMView, KRDOMScrollView) do alike as hosts of
// an element tree, kept in one place so that they cannot drift apart:
// binding the tree to the view, placing the elements' highlight layers and
// native views in it, and keeping the native views of view elements by
// "id", so that a new tree (a reused table cell) with a view element of the
// same id gets the same view back, moved to its new frame.
//
// Replacing a tree is two calls around the host's own layout:
// takeDownTree(old) takes the kept views off the screen and unbinds the old
// tree; putUpTree(new) binds the new tree, whose view elements take back and
// place the views of their ids, and lets go of the views none took back.
// Laying the new tree out in between gives its views their final frames.
//
// Two view elements of one tree with the same id do not share a view: the
// second makes its own, so that neither takes the other's off the screen.
//
// A tree is bound to one host at a time: putting it up in a second view
// (a list's kept row document drawn in another cell) takes its views and
// its delegate there, while the first view still names it as its tree.
// Such a view no longer shows the tree (isBound is false), so setting the
// same tree on it again puts it up anew instead of doing nothing.
//
// A member of the view it serves, which it reaches by reference; the view
// is also the elements' delegate. Main queue only.

#include "framework/dom/Forward.h"
#include "platform/ui/Forward.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

class KRDOMElementHost {
public:
    // `view` and `delegate` are the same object: the host view.
    KRDOMElementHost(pf::View& view, KRDOMElementDelegate& delegate);
    KRDOMElementHost(const KRDOMElementHost&) = delete;
    KRDOMElementHost& operator=(const KRDOMElementHost&) = delete;

    // Makes the view the delegate of the element and its subtree.
    void bind(const KRDOMElementRef& element);
    // Takes the view away from the elements of the subtree whose delegate it
    // is; elements bound to another host meanwhile keep theirs.
    void unbind(const KRDOMElementRef& element);

    // Whether the tree's root is bound to this host: false once another
    // host took the tree, or unbound it.
    bool isBound(const KRDOMElement& root) const;

    void takeDownTree(const KRDOMElementRef& old);
    void putUpTree(const KRDOMElementRef& root);
    // For the view's destructor, when the elements' weak links to it read as
    // null already: every kept view is told it has no element, and the
    // elements of the tree that had the view as delegate lose it.
    void release(const KRDOMElementRef& root);

    // The element delegate's placing calls. Frames are in the element's
    // coordinates and placed in those of `root`, the root of the tree.
    void addLayer(const KRDOMElement* root, KRDOMElement& element, const std::shared_ptr<KRDOMLayer>& layer,
                  const pf::Rect& frame);
    void addView(const KRDOMElement* root, KRDOMElement* element, const pf::ViewRef& view, const pf::Rect& frame);
    // The native view kept for the element's id, made with the element's
    // frame when there is none yet; null for an element without an id, and
    // for a second element of the tree whose id names a view the first
    // still shows.
    pf::ViewRef elementView(KRDOMElement& element, const KRDOMViewClass& viewClass);

    // The native view kept for an element id; null when none is.
    pf::ViewRef elementViewForId(std::string_view eid) const;
    std::size_t elementViewCount() const { return m_elementViews.size(); }

private:
    void unbind(KRDOMElement& element, const KRDOMElementDelegate* host);

    struct KeptView {
        pf::ViewRef view;
        // The element the view was last handed to.
        std::weak_ptr<KRDOMElement> holder;
    };
    pf::View& m_view;
    KRDOMElementDelegate& m_delegate;
    std::map<std::string, KeptView, std::less<>> m_elementViews;
};
