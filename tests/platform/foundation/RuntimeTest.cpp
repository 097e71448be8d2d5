#include "platform/foundation/ClassBuilder.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

class Animal : public Object {
public:
    const std::string& name() const { return m_name; }
    void setName(const std::string& name) { m_name = name; }
    int legs() const { return m_legs; }
    void setLegs(int legs) { m_legs = legs; }

private:
    std::string m_name;
    int m_legs = 4;
};

class Bird : public Animal {
public:
    bool canFly() const { return m_canFly; }
    void setCanFly(bool f) { m_canFly = f; }
    std::optional<Date> seen() const { return m_seen; }
    void setSeen(std::optional<Date> d) { m_seen = d; }

private:
    bool m_canFly = true;
    std::optional<Date> m_seen;
};

class Unregistered : public Object {};

// Keeps what it does not declare, as a query-value list keeps its parameters.
class Bag : public Animal {
public:
    std::optional<Error> setValueForUndefinedKey(std::string_view key, const Value& value) override
    {
        m_extra->set(key, value);
        return std::nullopt;
    }
    Value valueForUndefinedKey(std::string_view key) const override { return m_extra->get(key); }

private:
    DictionaryRef m_extra = Dictionary::create();
};

void registerTestClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    auto* pet = Protocol::define("TestPet");
    auto* singer = Protocol::define("TestSinger", {pet});
    ClassBuilder<Animal>("TestAnimal")
        .adopts(pet)
        .property("name", &Animal::name, &Animal::setName)
        .property("legs", &Animal::legs, &Animal::setLegs)
        .commit();
    ClassBuilder<Bird>("TestBird")
        .superclass<Animal>()
        .adopts(singer)
        .property("canFly", &Bird::canFly, &Bird::setCanFly)
        .property("seen", &Bird::seen, &Bird::setSeen)
        .commit();
    ClassBuilder<Bag>("TestBag").superclass<Animal>().takesAnyKey().commit();
}

}

TEST(Runtime, ClassesAreFoundByNameAndConformanceFollowsParents)
{
    registerTestClasses();
    const Class* bird = Class::named("TestBird");
    ASSERT_TRUE(bird);
    EXPECT_EQ(bird->create()->objectClass(), bird);
    EXPECT_TRUE(bird->isSubclassOf(Class::named("TestAnimal")));
    EXPECT_FALSE(Class::named("TestAnimal")->isSubclassOf(bird));
    EXPECT_EQ(Class::named("NoSuchClass"), nullptr);
    EXPECT_EQ(Unregistered().objectClass(), nullptr);
    const Protocol* pet = Protocol::named("TestPet");
    const Protocol* singer = Protocol::named("TestSinger");
    EXPECT_TRUE(singer->conformsTo(pet));
    EXPECT_FALSE(pet->conformsTo(singer));
    EXPECT_TRUE(bird->conformsTo(pet));
    EXPECT_FALSE(Class::named("TestAnimal")->conformsTo(singer));
    EXPECT_EQ(Protocol::define("TestPet"), pet); // defining again answers the first definition
}

TEST(Runtime, KeyValueAccessGoesThroughDeclaredProperties)
{
    registerTestClasses();
    auto bird = std::static_pointer_cast<Bird>(Class::named("TestBird")->create());
    bird->setValueForKey("name", "Robin");
    bird->setValueForKey("legs", "2"); // text converts like the platform's accessors
    bird->setValueForKey("canFly", Value::boolean(false));
    bird->setValueForKey("unknown", 1); // ignored, never throws
    EXPECT_EQ(bird->name(), "Robin");
    EXPECT_EQ(bird->legs(), 2);
    EXPECT_FALSE(bird->canFly());
    EXPECT_TRUE(bird->valueForKey("unknown").isNil());
    EXPECT_TRUE(bird->valueForKey("seen").isNil());
}

TEST(Runtime, UndeclaredKeysReadBackThroughTheClassHook)
{
    registerTestClasses();
    auto bag = std::static_pointer_cast<Bag>(Class::named("TestBag")->create());
    auto inner = std::static_pointer_cast<Bird>(Class::named("TestBird")->create());
    EXPECT_FALSE(bag->trySetValueForKey("uid", "10001"));
    EXPECT_FALSE(bag->trySetValueForKey("name", "declared"));
    EXPECT_FALSE(bag->trySetValueForKey("pet", Value(ObjectRef(inner))));
    EXPECT_EQ(bag->valueForKey("uid").stringOr(), "10001");
    // A declared key still goes to its property, not to the hook.
    EXPECT_EQ(bag->name(), "declared");
    EXPECT_TRUE(bag->valueForUndefinedKey("name").isNil());
    // Key paths pass through undeclared keys too.
    EXPECT_FALSE(bag->trySetValueForKeyPath("pet.name", "Robin"));
    EXPECT_EQ(inner->name(), "Robin");
    bag->setValueForKey("uid", Value());
    EXPECT_TRUE(bag->valueForKey("uid").isNil());
}
