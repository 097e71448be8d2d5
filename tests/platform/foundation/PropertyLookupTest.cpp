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
template <class T> void ignore(T&, const std::string&) {}

}

TEST(PropertyLookup, TheNearestDefinitionAnswersWhateverTheOrderOfRegistration)
{
    ClassBuilder<Base>("LookupBase").readonlyProperty("name", &Base::own).readonlyProperty("early", &Base::own).commit();
    ClassExtension<Base>().property("early", &baseExtension, &ignore<Base>).commit(); // the own key stays
    ClassBuilder<Middle>("LookupMiddle").superclass<Base>().commit();
    ClassExtension<Middle>().property("name", &middleExtension, &ignore<Middle>).commit();
    ClassBuilder<Leaf>("LookupLeaf").superclass<Middle>().readonlyProperty("shared", &Leaf::own).commit();
    // Added to the base after its subclasses were registered.
    ClassExtension<Base>().property("late", &baseExtension, &ignore<Base>).property("shared", &baseExtension, &ignore<Base>)
        .property("name", &baseExtension, &ignore<Base>).commit();

    Base b;
    Middle m;
    Leaf l;
    struct Row { const Object& object; const char* key; const char* expected; } rows[] = {
        {b, "name", "base"}, {m, "name", "middle extension"}, {l, "name", "middle extension"}, {l, "early", "base"},
        {l, "late", "base extension"}, {l, "shared", "leaf"}, {m, "shared", "base extension"}, {l, "missing", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.object.valueForKey(row.key).stringOr(), row.expected) << row.object.objectClass()->name() << " " << row.key;
}
