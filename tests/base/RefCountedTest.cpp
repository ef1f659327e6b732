// SPDX-License-Identifier: MIT
#include "RefCounted.h"

#include <gtest/gtest.h>

using namespace morlith;

namespace {

class IThing : public virtual IInterface {
public:
    virtual int Value() = 0;
};

class TThing : public TInterfacedObject, public IThing {
public:
    explicit TThing(bool *freed) : FFreed(freed) {}
    ~TThing() override { *FFreed = true; }
    int Value() override { return 7; }

private:
    bool *FFreed;
};

class TForm : public TNonCountedObject, public IThing {
public:
    int Value() override { return 1; }
};

} // namespace

TEST(RefCounted, NewObjectStartsAtZeroAndIsFreedWhenLastReferenceGoes)
{
    bool freed = false;
    auto *thing = new TThing(&freed);
    EXPECT_EQ(thing->RefCount(), 0);
    {
        IntfPtr<IThing> a(thing);
        EXPECT_EQ(thing->RefCount(), 1);
        IntfPtr<IThing> b = a;
        EXPECT_EQ(thing->RefCount(), 2);
        a.reset();
        EXPECT_FALSE(freed);
        EXPECT_EQ(b->Value(), 7);
    }
    EXPECT_TRUE(freed);
}

TEST(RefCounted, MoveAndAssignmentKeepCountsExact)
{
    bool freedA = false, freedB = false;
    IntfPtr<IThing> a(new TThing(&freedA));
    IntfPtr<IThing> b(new TThing(&freedB));
    IntfPtr<IThing> c(std::move(a));
    EXPECT_FALSE(a);
    b = c; // b's old object goes, c's object now has two references
    EXPECT_TRUE(freedB);
    EXPECT_FALSE(freedA);
    c.reset();
    EXPECT_FALSE(freedA);
    b = nullptr;
    EXPECT_TRUE(freedA);
}

TEST(RefCounted, FormsDoNotCount)
{
    TForm form;
    {
        IntfPtr<IThing> ref(&form);
        EXPECT_EQ(ref->Value(), 1);
    } // releasing must not free a stack object
    SUCCEED();
}
