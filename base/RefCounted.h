// SPDX-License-Identifier: MIT
#pragma once
// Reference-counted interfaces shared by the configuration, the loader and the presenters.
//
// A new object starts at count 0; every interface reference held in an IntfPtr adds one and
// releasing it subtracts one; the object frees itself when the count returns to 0. Plain
// pointers do not count. Forms implement interfaces too, but through TNonCountedObject, so an
// interface reference never keeps a form alive.

#include <utility>

namespace morlith {

// The operations every interface has before its own.
class IInterface {
public:
    // Adds one reference; returns the new count (-1 for objects that do not count).
    virtual int AddRef() = 0;
    // Drops one reference; the object may be freed when this returns 0.
    virtual int Release() = 0;

protected:
    virtual ~IInterface() = default;
};

// Base of reference-counted objects.
class TInterfacedObject : public virtual IInterface {
public:
    TInterfacedObject() = default;
    TInterfacedObject(const TInterfacedObject &) = delete;
    TInterfacedObject &operator=(const TInterfacedObject &) = delete;

    int AddRef() override { return ++FRefCount; }
    int Release() override
    {
        const int count = --FRefCount;
        if (count == 0)
            delete this;
        return count;
    }
    // Current count, for tests and diagnostics.
    int RefCount() const { return FRefCount; }

protected:
    ~TInterfacedObject() override = default;

private:
    int FRefCount = 0;
};

// Base of objects (forms) whose interface references do not count.
class TNonCountedObject : public virtual IInterface {
public:
    int AddRef() override { return -1; }
    int Release() override { return -1; }

protected:
    ~TNonCountedObject() override = default;
};

// A counted interface reference: adds a reference on taking an object, releases it on letting go.
template <class I>
class IntfPtr {
public:
    IntfPtr() = default;
    IntfPtr(std::nullptr_t) {}
    explicit IntfPtr(I *p) : FPtr(p) { if (FPtr) FPtr->AddRef(); }
    IntfPtr(const IntfPtr &o) : IntfPtr(o.FPtr) {}
    IntfPtr(IntfPtr &&o) noexcept : FPtr(std::exchange(o.FPtr, nullptr)) {}
    template <class J>
    IntfPtr(const IntfPtr<J> &o) : IntfPtr(static_cast<I *>(o.get())) {}
    ~IntfPtr() { reset(); }

    IntfPtr &operator=(IntfPtr o) noexcept
    {
        std::swap(FPtr, o.FPtr);
        return *this;
    }
    // Releases the reference held, if any.
    void reset()
    {
        if (I *p = std::exchange(FPtr, nullptr))
            p->Release();
    }

    I *get() const { return FPtr; }
    I *operator->() const { return FPtr; }
    I &operator*() const { return *FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }

private:
    I *FPtr = nullptr;
};

} // namespace morlith
