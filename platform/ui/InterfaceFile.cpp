#include "platform/ui/InterfaceFile.h"

#include "platform/foundation/ActionSender.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/InterfaceDocument.h"
#include "platform/ui/View.h"

#include <map>
#include <sys/stat.h>

namespace pf {

InterfaceFile::InterfaceFile()
    : m_document(std::make_unique<Document>())
{
}

InterfaceFile::~InterfaceFile() = default;

std::size_t InterfaceFile::objectCount() const { return m_document->objects.size(); }

ErrorOr<InterfaceFileRef> InterfaceFile::named(const std::string& name, const Bundle& bundle)
{
    PF_ASSERT_MAIN_THREAD();
    auto fail = [&](const std::string& text) { return Error{"pf::InterfaceFile", 3, name + ".xml: " + text}; };
    if (name.empty() || name.find('/') != std::string::npos || name.find("..") != std::string::npos)
        return fail("not an interface file name");
    static auto* cache = new std::map<std::pair<std::string, std::string>, InterfaceFileRef>;
    auto key = std::make_pair(bundle.resourcePath(), name);
    if (auto it = cache->find(key); it != cache->end())
        return it->second;
    auto path = bundle.pathForResource("interface/" + name, "xml");
    if (!path)
        return fail("no such file in the bundle");
    struct stat st;
    if (stat(path->c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return fail("not a regular file");
    if (std::size_t(st.st_size) > kMaxBytes)
        return fail("the file is larger than 1 MB");
    auto bytes = readFile(*path);
    if (!bytes)
        return fail("cannot be read");
    auto parsed = parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), name, bundle);
    if (parsed)
        (*cache)[key] = parsed.value();
    return parsed;
}

ErrorOr<std::vector<ObjectRef>> InterfaceFile::instantiate(const ObjectRef& owner) const
{
    PF_ASSERT_MAIN_THREAD();
    const Document& doc = *m_document;
    auto fail = [&](int line, const std::string& text) {
        return Error{"pf::InterfaceFile", 1, m_name + ".xml:" + std::to_string(line) + ": " + text};
    };
    if (!owner)
        return fail(0, "no owner");
    const Class* ownerClass = owner->objectClass();
    if (m_ownerClass && (!ownerClass || !ownerClass->isSubclassOf(m_ownerClass)))
        return fail(1, "the owner is " + (ownerClass ? "a \"" + ownerClass->name() + "\"" : std::string("unregistered")) +
                           ", not a \"" + m_ownerClass->name() + "\"");

    // Actions on an owner of a class unknown at parse time resolve now.
    std::vector<std::vector<std::function<void(Object&, const ObjectRef&)>>> invokes(doc.objects.size());
    for (std::size_t i = 0; i < doc.objects.size(); ++i)
        for (const auto& action : doc.objects[i].actions) {
            auto invoke = action.invoke;
            if (!invoke) {
                const Action* found = ownerClass ? ownerClass->action(action.name) : nullptr;
                if (!found)
                    return fail(action.line, "the owner has no action \"" + action.name + "\"");
                invoke = found->invoke;
            }
            invokes[i].push_back(std::move(invoke));
        }

    // 1. Make and fill.
    std::vector<ObjectRef> objects;
    objects.reserve(doc.objects.size());
    for (const auto& spec : doc.objects) {
        ObjectRef object = spec.cls->create();
        if (!object)
            return fail(spec.line, "\"" + spec.cls->name() + "\" made nothing");
        for (const auto& setting : spec.settings) {
            // The object is of exactly the class the key was resolved on.
            if (setting.property) {
                setting.property->set(*object, setting.value);
            } else if (auto error = object->setValueForUndefinedKey(setting.key, setting.value)) {
                return fail(setting.line, error->description);
            }
        }
        objects.push_back(std::move(object));
    }
    auto resolve = [&](int index) { return index == kOwner ? owner : objects[std::size_t(index)]; };
    auto linkValue = [&](const Document::Link& link) {
        if (!link.collection)
            return Value(resolve(link.targets.front()));
        auto array = Array::create();
        for (int t : link.targets)
            array->add(Value(resolve(t)));
        return Value(array);
    };
    auto setLink = [&](Object& object, const Document::Link& link) -> std::optional<Error> {
        const Class* cls = object.objectClass();
        bool declared = cls && cls->property(link.key);
        auto error = declared ? object.trySetValueForKey(link.key, linkValue(link))
                              : object.setValueForUndefinedKey(link.key, linkValue(link));
        if (error)
            return fail(link.line, error->description);
        return std::nullopt;
    };

    // 2. Link the objects among themselves.
    for (std::size_t i = 0; i < doc.objects.size(); ++i) {
        const auto& spec = doc.objects[i];
        auto& object = *objects[i];
        if (!spec.subviews.empty()) {
            auto view = std::static_pointer_cast<View>(objects[i]);
            for (int s : spec.subviews)
                view->addSubview(std::static_pointer_cast<View>(objects[std::size_t(s)]));
        }
        for (const auto& link : spec.links)
            if (auto error = setLink(object, link))
                return *error;
        for (std::size_t a = 0; a < spec.actions.size(); ++a) {
            const auto& action = spec.actions[a];
            auto* sender = dynamic_cast<ActionSender*>(&object);
            if (!sender)
                return fail(action.line, "\"" + spec.cls->name() + "\" sends no actions");
            std::weak_ptr<Object> target = resolve(action.target);
            bool added = sender->addActionForEvent(
                action.event, [target, invoke = invokes[i][a]](const ObjectRef& from) {
                    if (auto t = target.lock())
                        invoke(*t, from);
                });
            if (!added)
                return fail(action.line, "\"" + spec.cls->name() + "\" sends no \"" + action.event + "\" event");
        }
    }

    // 3. The owner's outlets, all checked before the first is set.
    for (const auto& link : doc.ownerLinks) {
        const Property* property = ownerClass ? ownerClass->property(link.key) : nullptr;
        if (!property && !(ownerClass && ownerClass->takesAnyKey()))
            return fail(link.line, "the owner has no key \"" + link.key + "\"");
        if (property && (!property->set || (property->accepts && !property->accepts(linkValue(link)))))
            return fail(link.line, "the owner's key \"" + link.key + "\" does not take this object");
    }
    for (const auto& link : doc.ownerLinks)
        if (auto error = setLink(*owner, link))
            return *error;

    // 4. Awake, in document order.
    for (auto& object : objects)
        object->awakeFromNib();
    std::vector<ObjectRef> topLevel;
    for (std::size_t i = 0; i < doc.objects.size(); ++i)
        if (doc.objects[i].topLevel)
            topLevel.push_back(objects[i]);
    return topLevel;
}

}
