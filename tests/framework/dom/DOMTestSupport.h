#pragma once

// Markup and style-sheet text to plain elements and styles, through the two
// C parsers, and element trees to indented text for comparison.

#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMStyleSheet.h"

#include <string>
#include <string_view>

namespace domtest {

// The parsers' handles live on the heap and are freed in their release
// callbacks, so under the sanitizers a handle leaked or released twice fails
// whichever test parsed it.

// Parses markup into children of `parent`; the parser's result. Prefixed
// tags, "br" and "wbr" have no body.
bool parseMarkup(std::string_view markup, const KRDOMElementRef& parent, int caseMode = 0);
// Parses into a "__ROOT__" wrapper; its only child when it got exactly one.
KRDOMElementRef parseTree(std::string_view markup);
// As parseTree, through the markup engine's parser: "img", "label", "rich",
// "action" and "view" tags make elements of their kind.
KRDOMElementRef parseTyped(std::string_view markup);
template <class T>
std::shared_ptr<T> parseAs(std::string_view markup)
{
    return std::dynamic_pointer_cast<T>(parseTyped(markup));
}
bool parseStyleSheet(std::string_view text, KRDOMStyleSheet& sheet);

enum class Dump { Markup, Frames };
// One line per element, two spaces per level: the name (with "ns:"), then
// attributes and text (Markup) or the frame (Frames).
std::string dumpTree(const KRDOMElement& element, Dump what = Dump::Markup);

}
