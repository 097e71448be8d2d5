// Reading an interface file: XML to the resolved document.

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/InterfaceDocument.h"
#include "platform/ui/View.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <map>

namespace pf {

namespace {

bool named(const xmlNode* node, const char* name)
{
    return xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

std::string nameOf(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

// "<name>" followed by `rest`, appended piece by piece (chained string
// additions trip a false overlap warning in optimised builds).
std::string tagged(const xmlNode* node, std::string_view rest)
{
    std::string text = "<";
    text += nameOf(node);
    text += '>';
    text += rest;
    return text;
}

std::optional<std::string> attr(const xmlNode* node, const char* name)
{
    for (const xmlAttr* a = node->properties; a; a = a->next)
        if (xmlStrcmp(a->name, reinterpret_cast<const xmlChar*>(name)) == 0) {
            std::string out;
            for (const xmlNode* c = a->children; c; c = c->next)
                if (c->content)
                    out += reinterpret_cast<const char*>(c->content);
            return out;
        }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> attributes(const xmlNode* node)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const xmlAttr* a = node->properties; a; a = a->next)
        out.emplace_back(reinterpret_cast<const char*>(a->name), attr(node, reinterpret_cast<const char*>(a->name)).value_or(""));
    return out;
}

}

class InterfaceParser {
public:
    InterfaceParser(std::string name, const Bundle& bundle)
        : m_name(std::move(name))
        , m_bundle(bundle)
    {
    }

    ErrorOr<InterfaceFileRef> run(std::string_view xml);

private:
    using Doc = InterfaceFile::Document;
    struct PendingLink {
        int from; // object index or kOwner
        std::size_t linkIndex;
        std::vector<std::string> ids;
    };
    struct PendingAction {
        int from;
        std::size_t actionIndex;
        std::string target;
    };

    Error fail(long line, const std::string& text) const
    {
        return Error{"pf::InterfaceFile", 1, m_name + ".xml:" + std::to_string(line) + ": " + text};
    }
    Error fail(const xmlNode* node, const std::string& text) const { return fail(xmlGetLineNo(node), text); }

    std::optional<Error> walkTop(const xmlNode* root);
    ErrorOr<int> object(const xmlNode* node, int depth, bool topLevel);
    std::optional<Error> member(int index, const xmlNode* node, int depth);
    std::optional<Error> link(int from, const xmlNode* node, int depth);
    ErrorOr<Value> value(const xmlNode* node, const Property* property, int depth);
    std::optional<Error> resolve();
    std::optional<Error> findCycle() const;

    std::string m_name;
    const Bundle& m_bundle;
    std::shared_ptr<InterfaceFile> m_file;
    Doc* m_doc = nullptr;
    std::map<std::string, int> m_ids;
    std::vector<PendingLink> m_links;
    std::vector<PendingAction> m_actions;
};

ErrorOr<InterfaceFileRef> InterfaceParser::run(std::string_view xml)
{
    if (xml.size() > InterfaceFile::kMaxBytes)
        return fail(0L, "the file is larger than 1 MB");
    // Declarations could define entities; the format has no use for them.
    if (xml.find("<!DOCTYPE") != std::string_view::npos || xml.find("<!ENTITY") != std::string_view::npos)
        return fail(0L, "DTDs and entities are not allowed");
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context)
        return fail(0L, "out of memory");
    int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES;
    std::string url = m_name + ".xml";
    xmlDocPtr doc = xmlCtxtReadMemory(context, xml.data(), int(xml.size()), url.c_str(), nullptr, options);
    if (!doc) {
        const xmlError* e = xmlCtxtGetLastError(context);
        Error error = fail(e ? long(e->line) : 0L, std::string("not well-formed XML") +
                                                      (e && e->message ? ": " + std::string(e->message) : ""));
        if (!error.description.empty() && error.description.back() == '\n')
            error.description.pop_back();
        xmlFreeParserCtxt(context);
        return error;
    }
    m_file = std::shared_ptr<InterfaceFile>(new InterfaceFile());
    m_file->m_name = m_name;
    m_doc = m_file->m_document.get();
    std::optional<Error> error;
    const xmlNode* root = xmlDocGetRootElement(doc);
    if (doc->intSubset || doc->extSubset)
        error = fail(root ? xmlGetLineNo(root) : 0L, "DTDs are not allowed");
    else if (!root || !named(root, "interface"))
        error = fail(root ? xmlGetLineNo(root) : 0L, "the root element is not <interface>");
    else
        error = walkTop(root);
    if (!error)
        error = resolve();
    if (!error)
        error = findCycle();
    xmlFreeDoc(doc);
    xmlFreeParserCtxt(context);
    if (error)
        return *error;
    return InterfaceFileRef(m_file);
}

std::optional<Error> InterfaceParser::walkTop(const xmlNode* root)
{
    if (auto owner = attr(root, "owner")) {
        m_file->m_ownerClass = Class::named(*owner);
        if (!m_file->m_ownerClass)
            return fail(root, "no class \"" + *owner + "\" for the owner");
    }
    for (const xmlNode* node = root->children; node; node = node->next) {
        if (node->type == XML_ENTITY_REF_NODE)
            return fail(node, "entities are not allowed");
        if (node->type != XML_ELEMENT_NODE)
            continue;
        if (named(node, "object")) {
            auto made = object(node, 1, true);
            if (!made)
                return made.error();
        } else if (named(node, "outlet") || named(node, "collection")) {
            if (auto error = link(kOwner, node, 1))
                return error;
        } else {
            return fail(node, tagged(node, " does not belong at the top level"));
        }
    }
    return std::nullopt;
}

ErrorOr<int> InterfaceParser::object(const xmlNode* node, int depth, bool topLevel)
{
    if (depth > InterfaceFile::kMaxDepth)
        return fail(node, "nested deeper than 64");
    if (m_doc->objects.size() >= InterfaceFile::kMaxObjects)
        return fail(node, "more than 10000 objects");
    auto className = attr(node, "class");
    if (!className)
        return fail(node, "<object> without a class");
    const Class* cls = Class::named(*className);
    if (!cls)
        return fail(node, "no class \"" + *className + "\"");
    if (!cls->hasFactory())
        return fail(node, "the class \"" + *className + "\" cannot be made from a file");
    Doc::Object spec;
    spec.cls = cls;
    spec.line = int(xmlGetLineNo(node));
    spec.topLevel = topLevel;
    if (auto id = attr(node, "id")) {
        if (id->empty() || *id == "owner")
            return fail(node, "\"" + *id + "\" cannot be an id");
        if (m_ids.count(*id))
            return fail(node, "the id \"" + *id + "\" is used twice");
        spec.id = *id;
    }
    int index = int(m_doc->objects.size());
    if (!spec.id.empty())
        m_ids[spec.id] = index;
    m_doc->objects.push_back(std::move(spec));
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ENTITY_REF_NODE)
            return fail(child, "entities are not allowed");
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (auto error = member(index, child, depth + 1))
            return *error;
    }
    return index;
}

std::optional<Error> InterfaceParser::member(int index, const xmlNode* node, int depth)
{
    if (depth > InterfaceFile::kMaxDepth)
        return fail(node, "nested deeper than 64");
    const Class* cls = m_doc->objects[std::size_t(index)].cls;
    if (named(node, "subviews")) {
        const Class* view = ClassRegistry::find(typeid(View));
        if (!view || !cls->isSubclassOf(view))
            return fail(node, "<subviews> of \"" + cls->name() + "\", which is not a view");
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type == XML_ENTITY_REF_NODE)
                return fail(child, "entities are not allowed");
            if (child->type != XML_ELEMENT_NODE)
                continue;
            if (!named(child, "object"))
                return fail(child, "<subviews> holds only <object> elements");
            auto made = object(child, depth + 1, false);
            if (!made)
                return made.error();
            if (!m_doc->objects[std::size_t(made.value())].cls->isSubclassOf(view))
                return fail(child, "a subview of class \"" + m_doc->objects[std::size_t(made.value())].cls->name() +
                                       "\" is not a view");
            m_doc->objects[std::size_t(index)].subviews.push_back(made.value());
        }
        return std::nullopt;
    }
    if (named(node, "outlet") || named(node, "collection"))
        return link(index, node, depth);
    if (named(node, "action")) {
        auto event = attr(node, "event"), target = attr(node, "target"), name = attr(node, "name");
        if (!event || !target || !name)
            return fail(node, "<action> needs event, target and name");
        Doc::ActionLink action;
        action.event = *event;
        action.name = *name;
        action.line = int(xmlGetLineNo(node));
        auto& actions = m_doc->objects[std::size_t(index)].actions;
        m_actions.push_back({index, actions.size(), *target});
        actions.push_back(std::move(action));
        return std::nullopt;
    }
    std::string kind = nameOf(node);
    if (!isInterfaceValueKind(kind))
        return fail(node, "unknown element <" + kind + ">");
    auto key = attr(node, "name");
    if (!key || key->empty())
        return fail(node, "<" + kind + "> without a name");
    const Property* property = cls->property(*key);
    if (!property && !cls->takesAnyKey())
        return fail(node, "\"" + cls->name() + "\" has no key \"" + *key + "\"");
    if (property && !property->set)
        return fail(node, "the key \"" + *key + "\" of \"" + cls->name() + "\" is read-only");
    auto v = value(node, property, depth);
    if (!v)
        return v.error();
    if (property && !propertyTakes(*property, v.value()))
        return fail(node, "the key \"" + *key + "\" of \"" + cls->name() + "\" does not take a <" + kind + ">");
    m_doc->objects[std::size_t(index)].settings.push_back({*key, property, v.value(), int(xmlGetLineNo(node))});
    return std::nullopt;
}

ErrorOr<Value> InterfaceParser::value(const xmlNode* node, const Property* property, int depth)
{
    if (depth > InterfaceFile::kMaxDepth)
        return fail(node, "nested deeper than 64");
    std::string kind = nameOf(node);
    if (kind == "array" || kind == "dictionary") {
        auto array = Array::create();
        auto dictionary = Dictionary::create();
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type == XML_ENTITY_REF_NODE)
                return fail(child, "entities are not allowed");
            if (child->type != XML_ELEMENT_NODE)
                continue;
            if (!isInterfaceValueKind(nameOf(child)))
                return fail(child, "unknown value <" + nameOf(child) + ">");
            auto item = value(child, nullptr, depth + 1);
            if (!item)
                return item.error();
            if (kind == "array") {
                array->add(item.value());
            } else {
                auto key = attr(child, "key");
                if (!key)
                    return fail(child, "a dictionary value without a key");
                dictionary->set(*key, item.value());
            }
        }
        return kind == "array" ? Value(array) : Value(dictionary);
    }
    std::string text;
    for (const xmlNode* c = node->children; c; c = c->next) {
        if (c->type == XML_ENTITY_REF_NODE)
            return fail(c, "entities are not allowed");
        if (c->type == XML_ELEMENT_NODE)
            return fail(c, "<" + kind + "> holds text only");
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
            text += reinterpret_cast<const char*>(c->content);
    }
    // Only pictures have attributes besides the name.
    auto parsed = parseInterfaceValue(kind, text, kind == "image" ? attributes(node) : decltype(attributes(node)){},
                                      property, m_bundle);
    if (!parsed)
        return fail(node, parsed.error().description);
    return parsed;
}

std::optional<Error> InterfaceParser::link(int from, const xmlNode* node, int depth)
{
    if (depth > InterfaceFile::kMaxDepth)
        return fail(node, "nested deeper than 64");
    auto key = attr(node, "name");
    if (!key || key->empty())
        return fail(node, tagged(node, " without a name"));
    Doc::Link link;
    link.key = *key;
    link.collection = named(node, "collection");
    link.line = int(xmlGetLineNo(node));
    std::vector<std::string> ids;
    if (link.collection) {
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type == XML_ENTITY_REF_NODE)
                return fail(child, "entities are not allowed");
            if (child->type != XML_ELEMENT_NODE)
                continue;
            auto to = named(child, "ref") ? attr(child, "to") : std::nullopt;
            if (!to)
                return fail(child, "a <collection> holds <ref to=\"…\"/> elements only");
            ids.push_back(*to);
        }
    } else {
        auto to = attr(node, "to");
        if (!to)
            return fail(node, "<outlet> without to");
        ids.push_back(*to);
    }
    // The owner's class may be unknown until instantiate; objects' are known now.
    const Class* cls = from == kOwner ? m_file->m_ownerClass : m_doc->objects[std::size_t(from)].cls;
    if (cls) {
        const Property* property = cls->property(*key);
        if (!property && !cls->takesAnyKey())
            return fail(node, "\"" + cls->name() + "\" has no key \"" + *key + "\"");
        if (property && !property->set)
            return fail(node, "the key \"" + *key + "\" of \"" + cls->name() + "\" is read-only");
        link.weak = property && property->weak;
    }
    auto& links = from == kOwner ? m_doc->ownerLinks : m_doc->objects[std::size_t(from)].links;
    m_links.push_back({from, links.size(), std::move(ids)});
    links.push_back(std::move(link));
    return std::nullopt;
}

std::optional<Error> InterfaceParser::resolve()
{
    auto indexOf = [&](const std::string& id) -> std::optional<int> {
        if (id == "owner")
            return kOwner;
        auto it = m_ids.find(id);
        return it == m_ids.end() ? std::nullopt : std::optional<int>(it->second);
    };
    for (auto& pending : m_links) {
        auto& link = pending.from == kOwner ? m_doc->ownerLinks[pending.linkIndex]
                                            : m_doc->objects[std::size_t(pending.from)].links[pending.linkIndex];
        for (auto& id : pending.ids) {
            auto target = indexOf(id);
            if (!target)
                return fail(link.line, "no object with the id \"" + id + "\"");
            link.targets.push_back(*target);
        }
    }
    for (auto& pending : m_actions) {
        auto& action = m_doc->objects[std::size_t(pending.from)].actions[pending.actionIndex];
        auto target = indexOf(pending.target);
        if (!target)
            return fail(action.line, "no object with the id \"" + pending.target + "\"");
        action.target = *target;
        const Class* cls = *target == kOwner ? m_file->m_ownerClass : m_doc->objects[std::size_t(*target)].cls;
        if (!cls)
            continue; // checked against the owner's own class at instantiate
        const Action* found = cls->action(action.name);
        if (!found)
            return fail(action.line, "\"" + cls->name() + "\" has no action \"" + action.name + "\"");
        action.invoke = found->invoke;
    }
    return std::nullopt;
}

std::optional<Error> InterfaceParser::findCycle() const
{
    // Keeping edges: subviews, strong outlets and collections; the owner
    // keeps the top-level objects, so a strong link to it closes a cycle.
    std::size_t n = m_doc->objects.size();
    auto node = [&](int i) { return i == kOwner ? n : std::size_t(i); };
    std::vector<std::vector<std::pair<std::size_t, int>>> edges(n + 1); // (to, line)
    for (std::size_t i = 0; i < n; ++i) {
        const auto& o = m_doc->objects[i];
        if (o.topLevel)
            edges[n].push_back({i, o.line});
        for (int s : o.subviews)
            edges[i].push_back({std::size_t(s), m_doc->objects[std::size_t(s)].line});
        for (const auto& l : o.links)
            if (!l.weak)
                for (int t : l.targets)
                    edges[i].push_back({node(t), l.line});
    }
    // Iterative depth-first search: white 0, grey 1, black 2.
    std::vector<int> colour(n + 1, 0);
    for (std::size_t start = 0; start <= n; ++start) {
        if (colour[start])
            continue;
        std::vector<std::pair<std::size_t, std::size_t>> stack{{start, 0}};
        colour[start] = 1;
        while (!stack.empty()) {
            auto& [at, next] = stack.back();
            if (next == edges[at].size()) {
                colour[at] = 2;
                stack.pop_back();
                continue;
            }
            auto [to, line] = edges[at][next++];
            if (colour[to] == 1)
                return fail(line, "outlets that keep each other in a cycle");
            if (colour[to] == 0) {
                colour[to] = 1;
                stack.push_back({to, 0});
            }
        }
    }
    return std::nullopt;
}

ErrorOr<InterfaceFileRef> InterfaceFile::parse(std::string_view xml, std::string name, const Bundle& bundle)
{
    return InterfaceParser(std::move(name), bundle).run(xml);
}

}
