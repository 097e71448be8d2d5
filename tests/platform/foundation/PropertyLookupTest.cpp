#include "platform/foundation/ClassExtension.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

// Three levels; each key reads back which definition answered it.
class Base : public Object {
public:
    std::string own() const { return "base"; }
};
class Middle : public Base {};
class Leaf : public Middle {
public:
    std::string own() const { return "leaf"; }
};

std::string baseExtension(const Base&) { return "base extension"; }
std::string middleExtension(const Middle&) { return "middle extension"; }
void ignore(Base&, const std::string&) {}
void ignoreMiddle(Middle&, const std::string&) {}

void registerLevels()
{
    ClassBuilder<Base>("LookupBase").readonlyProperty("name", &Base::own).readonlyProperty("early", &Base::own).commit();
    ClassExtension<Base>().property("early", &baseExtension, &ignore).commit(); // the own key stays
    ClassBuilder<Middle>("LookupMiddle").superclass<Base>().commit();
    ClassExtension<Middle>().property("name", &middleExtension, &ignoreMiddle).commit();
    ClassBuilder<Leaf>("LookupLeaf").superclass<Middle>().readonlyProperty("shared", &Leaf::own).commit();
    // Added to a superclass after its subclasses were registered.
    ClassExtension<Base>()
        .property("late", &baseExtension, &ignore)
        .property("shared", &baseExtension, &ignore)
        .property("name", &baseExtension, &ignore)
        .commit();
}

}

TEST(PropertyLookup, TheNearestDefinitionAnswersWhateverTheOrderOfRegistration)
{
    registerLevels();
    Base b;
    Middle m;
    Leaf l;
    struct Row { const Object& object; const char* key; const char* expected; } rows[] = {
        {b, "name", "base"}, {m, "name", "middle extension"}, {l, "name", "middle extension"},
        {b, "early", "base"}, {l, "early", "base"},
        {b, "late", "base extension"}, {l, "late", "base extension"},
        {l, "shared", "leaf"}, {m, "shared", "base extension"},
        {l, "missing", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.object.valueForKey(row.key).stringOr(), row.expected)
            << row.object.objectClass()->name() << " " << row.key;
}
