#include "platform/web/HtmlSanitizer.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <vector>

namespace pf {

namespace {

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements that never hold children.
bool isVoid(std::string_view name)
{
    return isOneOf(name, {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "image", "img",
                          "input", "keygen", "link", "meta", "param", "source", "track", "wbr"});
}

// Elements whose end tag may be left out: a second one closes the first, so
// they do not pile up on their own.
bool closesImplicitly(std::string_view name)
{
    return isOneOf(name, {"html", "head", "body", "p", "li", "dt", "dd", "option", "optgroup", "tr", "td", "th",
                          "thead", "tbody", "tfoot", "colgroup", "caption", "rb", "rt", "rp", "rtc"});
}

// Elements whose content is text up to their own end tag.
bool isRawText(std::string_view name)
{
    return isOneOf(name, {"script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes"});
}

size_t findNoCase(std::string_view text, std::string_view needle, size_t from)
{
    auto it = std::search(text.begin() + std::min(from, text.size()), text.end(), needle.begin(), needle.end(),
                          [](char a, char b) { return std::tolower((unsigned char)a) == std::tolower((unsigned char)b); });
    return it == text.end() ? std::string_view::npos : size_t(it - text.begin());
}

// The end of the tag starting at `i` (just past its '>', or the text's end);
// `selfClosing` tells whether it ended in "/>". Quotes count only right after
// '=', as the parser's tokenizer reads them.
size_t tagEnd(std::string_view html, size_t i, bool& selfClosing)
{
    char quote = 0;
    char previous = 0;
    for (; i < html.size(); ++i) {
        char c = html[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if ((c == '"' || c == '\'') && previous == '=') {
            quote = c;
        } else if (c == '>') {
            selfClosing = previous == '/';
            return i + 1;
        }
        if (!std::isspace((unsigned char)c) || previous != '=')
            previous = c;
    }
    return html.size();
}

void appendEscaped(std::string& out, std::string_view text, bool attribute)
{
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += attribute ? "&quot;" : "\""; break;
        default: out += c;
        }
    }
}

// Inside svg and math, the parser closes the foreign element at any of a
// set of common HTML start tags ("span" among them) and goes on with HTML
// content. A name written back inside one must therefore be a name that
// keeps it there, or the renderer would read everything after it outside
// the element the page put it in.
bool isForeign(const GumboElement& element)
{
    return element.tag_namespace != GUMBO_NAMESPACE_HTML;
}

std::string tagName(const GumboElement& element)
{
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return gumbo_normalized_tagname(element.tag);
    GumboStringPiece piece = element.original_tag;
    gumbo_tag_from_original_text(&piece);
    std::string name(piece.data ? piece.data : "", piece.length);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    // A name the parser could not give back would break the written markup.
    bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '_' || c == ':' || c == '.';
    });
    if (plain)
        return name;
    return isForeign(element) ? "g" : "span";
}

bool isTableSpan(std::string_view attributeName)
{
    return attributeName == "colspan" || attributeName == "rowspan";
}

// A span as the renderer may read it: leading space and a '+' allowed, then
// digits; anything else, zero included, spans one.
std::string tableSpan(std::string_view value)
{
    size_t i = std::min(value.find_first_not_of(" \t\n\f\r"), value.size());
    if (i < value.size() && value[i] == '+')
        ++i;
    int span = 0;
    for (; i < value.size() && std::isdigit((unsigned char)value[i]); ++i)
        span = std::min(span * 10 + (value[i] - '0'), kMaxHtmlTableSpan + 1);
    return std::to_string(std::clamp(span, 1, kMaxHtmlTableSpan));
}

int treeDepth(const GumboNode* root)
{
    int deepest = 0;
    std::vector<std::pair<const GumboNode*, int>> stack{{root, 0}};
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        const GumboVector* children = nullptr;
        if (node->type == GUMBO_NODE_DOCUMENT) {
            children = &node->v.document.children;
        } else if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
            deepest = std::max(deepest, ++depth);
            children = &node->v.element.children;
        }
        for (unsigned i = 0; children && i < children->length; ++i)
            stack.emplace_back(static_cast<const GumboNode*>(children->data[i]), depth);
    }
    return deepest;
}

// Words and the runs of white space between them.
int textRuns(std::string_view text)
{
    int runs = 0;
    bool inSpace = true;
    for (char c : text) {
        bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
        if (space != inSpace || runs == 0)
            ++runs;
        inSpace = space;
    }
    return runs;
}

void countWords(std::map<std::string, int>& counts, std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        i = text.find_first_not_of(" \t\n\r\f", i);
        if (i == std::string_view::npos)
            break;
        size_t end = std::min(text.find_first_of(" \t\n\r\f", i), text.size());
        ++counts[std::string(text.substr(i, end - i))];
        i = end;
    }
}

// All the text within a style element, as the renderer reads its sheet:
// inside svg or math its children may be elements, whose text counts too.
// Recursion is bounded: the tree was measured first.
void appendStyleText(std::string& sheet, const GumboElement& element)
{
    for (unsigned i = 0; i < element.children.length; ++i) {
        auto* child = static_cast<const GumboNode*>(element.children.data[i]);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE || child->type == GUMBO_NODE_CDATA)
            sheet += child->v.text.text;
        else if (child->type == GUMBO_NODE_ELEMENT || child->type == GUMBO_NODE_TEMPLATE)
            appendStyleText(sheet, child->v.element);
    }
}

// Recursion is bounded: the tree was measured first. `depth` is the node's
// level, the root element's 1.
void write(std::string& out, HtmlCensus& census, const GumboNode* node, int depth, bool rawText,
           const HtmlBodyAttributes& body)
{
    switch (node->type) {
    case GUMBO_NODE_TEXT:
    case GUMBO_NODE_WHITESPACE:
    case GUMBO_NODE_CDATA: {
        std::string_view text = node->v.text.text;
        if (rawText) {
            out += text;
        } else {
            int runs = textRuns(text);
            census.textRuns += runs;
            census.textRunDepths += double(runs) * depth;
            census.textBytes += text.size();
            census.nonAsciiBytes += std::count_if(text.begin(), text.end(), [](char c) { return (unsigned char)c >= 0x80; });
            appendEscaped(out, text, false);
        }
        return;
    }
    case GUMBO_NODE_COMMENT:
        return;
    case GUMBO_NODE_DOCUMENT:
        out += "<!DOCTYPE html>";
        for (unsigned i = 0; i < node->v.document.children.length; ++i)
            write(out, census, static_cast<const GumboNode*>(node->v.document.children.data[i]), 1, false, body);
        return;
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
        break;
    }
    const GumboElement& element = node->v.element;
    std::string name = tagName(element);
    if (name == "script")
        return;
    // Everything after <plaintext> is text; written back it would swallow its
    // end tag. Inside svg or math it is an ordinary element.
    if (name == "plaintext" && !isForeign(element))
        name = "pre";
    ++census.elements;
    census.elementDepths += depth;
    ++census.tags[name];
    census.maxChildren = std::max(census.maxChildren, int(element.children.length));
    out += '<';
    out += name;
    auto validName = [](std::string_view attributeName) {
        return !attributeName.empty() && attributeName.find_first_of("\"'<>/= \t\n\f\r") == std::string_view::npos;
    };
    bool isBody = name == "body";
    bool isRoot = name == "html";
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
        std::string_view attributeName = attribute->name;
        // The renderer keeps a list item's number in "list_index" and writes
        // one the page gave as its marker, unbounded (HtmlListItem.h).
        if (!validName(attributeName) || (isBody && body.count(std::string(attributeName)))
            || (isRoot && attributeName == "style") || attributeName == "list_index")
            continue;
        if (attributeName == "class")
            countWords(census.classes, attribute->value);
        else if (attributeName == "id")
            ++census.ids[attribute->value];
        else if (attributeName == "media")
            census.mediaQueries = true;
        out += ' ';
        out += attributeName;
        out += "=\"";
        // Any element may be styled into a table cell, so spans are made safe on all.
        if (isTableSpan(attributeName))
            out += tableSpan(attribute->value);
        else
            appendEscaped(out, attribute->value, true);
        out += '"';
    }
    for (const auto& [attributeName, value] : body) {
        if (!isBody || !validName(attributeName))
            continue;
        if (attributeName == "class")
            countWords(census.classes, value);
        else if (attributeName == "id")
            ++census.ids[value];
        out += ' ' + attributeName + "=\"";
        appendEscaped(out, value, true);
        out += '"';
    }
    // The renderer fixes up table parts by wrapping them in their parents,
    // and follows a null parent when the root is styled into one; the root
    // stays a block whatever the page's style sheets say (its own style
    // attribute gives way).
    if (isRoot)
        out += " style=\"display: block !important\"";
    out += '>';
    if (isVoid(name))
        return;
    // Raw text only where the parser reads it raw: inside svg or math these
    // elements' text is ordinary text, whose escapes the parser decodes.
    bool childRaw = !isForeign(element) && isOneOf(name, {"style", "xmp", "iframe", "noembed", "noframes"});
    if (name == "style") {
        // The sheet is written back as the one text the census counts, so the
        // renderer reads no other: elements within it (inside svg) are left
        // out, and it is escaped where the parser decodes escapes, so
        // markup in it stays text.
        std::string sheet;
        appendStyleText(sheet, element);
        out += kStyleSheetStart;
        if (childRaw)
            out += sheet;
        else
            appendEscaped(out, sheet, false);
        out += "</style>";
        census.styleSheets.push_back(std::move(sheet));
        return;
    }
    for (unsigned i = 0; i < element.children.length; ++i)
        write(out, census, static_cast<const GumboNode*>(element.children.data[i]), depth + 1, childRaw, body);
    out += "</";
    out += name;
    out += '>';
}

}

int htmlTagDepthBound(std::string_view html, int limit)
{
    int depth = 0, deepest = 0;
    size_t i = 0;
    while (deepest <= limit) {
        i = html.find('<', i);
        if (i == std::string_view::npos || i + 1 >= html.size())
            break;
        if (html.compare(i, 4, "<!--") == 0) {
            size_t end = html.find("-->", i + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        bool selfClosing = false;
        bool endTag = html[i + 1] == '/';
        size_t nameStart = i + (endTag ? 2 : 1);
        if (nameStart >= html.size() || !std::isalpha((unsigned char)html[nameStart])) {
            // "<!doctype", "<?…>", "</ >" and a lone '<' hold no element.
            i = html[i + 1] == '!' || html[i + 1] == '?' || endTag ? tagEnd(html, i, selfClosing) : i + 1;
            continue;
        }
        size_t nameEnd = nameStart;
        while (nameEnd < html.size() && !std::isspace((unsigned char)html[nameEnd]) && html[nameEnd] != '/'
               && html[nameEnd] != '>')
            ++nameEnd;
        std::string name(html.substr(nameStart, nameEnd - nameStart));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        i = tagEnd(html, nameEnd, selfClosing);
        if (isVoid(name) || closesImplicitly(name))
            continue;
        if (endTag) {
            depth = std::max(0, depth - 1);
            continue;
        }
        if (name == "plaintext")
            break;
        if (isRawText(name)) {
            size_t end = findNoCase(html, "</" + name, i);
            i = end == std::string_view::npos ? html.size() : end;
            continue;
        }
        // "<div/>" opens a div all the same; only foreign elements close that way.
        deepest = std::max(deepest, ++depth);
    }
    return deepest;
}

std::optional<SanitizedHtml> sanitizedHtml(std::string_view html, int maxDepth, const HtmlBodyAttributes& bodyAttributes)
{
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
    std::optional<SanitizedHtml> result;
    if (int depth = treeDepth(output->document); depth <= maxDepth) {
        result.emplace();
        result->census.depth = depth;
        result->markup.reserve(html.size() + html.size() / 8);
        write(result->markup, result->census, output->document, 0, false, bodyAttributes);
    }
    gumbo_destroy_output(&options, output);
    return result;
}

}
