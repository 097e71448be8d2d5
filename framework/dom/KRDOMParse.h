#pragma once

// Markup text to element trees and style-sheet text to style sheets, through
// the two C parsers. The tag picks the element kind: "img" image, "label"
// label, "rich" rich text, "action" action, "view" native view; any other a
// plain element (the prefix takes no part). Prefixed tags, "br" and "wbr"
// have no body. Names keep their case. Holds no state; main queue only.

#include "framework/dom/Forward.h"

#include <string>
#include <string_view>

class KRDOMParse {
public:
    KRDOMElementRef newElement(std::string_view name, std::string_view ns) const;
    // Parses into children of `element`; true when all the text was read
    // (text holding a NUL never is). Elements added before a failure stay.
    bool parseHTML(std::string_view markup, const KRDOMElementRef& element) const;
    // Parses under a "__ROOT__" wrapper; on failure the document is left as
    // it was. The wrapper's only child becomes the root, unless the wrapper
    // also got text of its own; otherwise the wrapper is the root.
    bool parseHTML(std::string_view markup, KRDOMDocument& document) const;
    // The same, reading a string's characters in place: the tokenizer needs
    // them NUL-terminated, which a string is and a view need not be, so a
    // view is copied first. The pointer forms keep literals unambiguous.
    bool parseHTML(const std::string& markup, const KRDOMElementRef& element) const;
    bool parseHTML(const std::string& markup, KRDOMDocument& document) const;
    bool parseHTML(const char* markup, const KRDOMElementRef& element) const;
    bool parseHTML(const char* markup, KRDOMDocument& document) const;
    // Appends the text's rules to the sheet; true when the text ended
    // between rules. Rules before an unfinished one are kept.
    bool parseCSS(std::string_view text, KRDOMStyleSheet& sheet) const;

private:
    // `markup` is NUL-terminated after its `size` characters.
    bool parseHTML(const char* markup, std::size_t size, const KRDOMElementRef& element) const;
};
