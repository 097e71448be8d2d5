#include "platform/foundation/CachedCast.h"
#include "platform/foundation/Object.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Interfaces reached across virtual bases, at offsets that differ by class.
struct Named : public virtual pf::Object {
    virtual std::string name() const = 0;
};
struct Counted : public virtual pf::Object {
    virtual int count() const = 0;
};
struct Both final : public Counted, public Named {
    std::string name() const override { return "both"; }
    int count() const override { return 2; }
};
struct Padded final : public Named {
    char padding[40] = {};
    std::string name() const override { return "padded"; }
};
struct NamedLater final : public Counted, public Named {
    long long before = 7;
    std::string name() const override { return "later"; }
    int count() const override { return 3; }
};
struct Plain final : public pf::Object {};

}

TEST(CachedCast, FindsTheSameInterfaceAsTheSearchingCastWhateverClassComesNext)
{
    pf::ObjectRef both = std::make_shared<Both>(), padded = std::make_shared<Padded>();
    pf::ObjectRef later = std::make_shared<NamedLater>(), plain = std::make_shared<Plain>();
    struct Row {
        pf::ObjectRef object;
        const char* name; // nullptr: not Named
    } rows[] = {
        {both, "both"},     {both, "both"},   {padded, "padded"}, {later, "later"}, {plain, nullptr},
        {plain, nullptr},   {later, "later"}, {nullptr, nullptr}, {both, "both"},   {padded, "padded"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::shared_ptr<Named> named = pf::cachedCast<Named>(rows[i].object);
        EXPECT_EQ(named.get(), std::dynamic_pointer_cast<Named>(rows[i].object).get()) << "row " << i;
        EXPECT_EQ(named != nullptr, rows[i].name != nullptr) << "row " << i;
        if (named) {
            EXPECT_EQ(named->name(), rows[i].name) << "row " << i;
            EXPECT_EQ(named.use_count(), rows[i].object.use_count()) << "row " << i; // shares the owner
        }
    }
    // Across from one interface to another, starting from a const one.
    std::shared_ptr<const Counted> counted = pf::cachedCast<const Counted>(later);
    ASSERT_TRUE(counted);
    EXPECT_EQ(counted->count(), 3);
    EXPECT_EQ(pf::cachedCast<const Named>(counted)->name(), "later");
    EXPECT_EQ(pf::cachedCast<const Named>(pf::cachedCast<const Counted>(both))->name(), "both");
}
