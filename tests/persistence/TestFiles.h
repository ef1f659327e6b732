// SPDX-License-Identifier: MIT
#pragma once
// Test support: a temporary directory per test, whole-file helpers, a comma-decimal locale
// switch and a persisted class tree that covers every property kind.

#include "WholeFiles.h"
#include "XMLOptionsSerializer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace morlith::test {

class TScratchFolder;

// A fresh directory in the temporary folder, removed with its content at the end of the test.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Path of Name inside the directory.
    std::string PathOf(const std::string &Name) const { return FDir + "/" + Name; }

    std::string FDir;

private:
    std::shared_ptr<TScratchFolder> FScratch;
};

// The whole content of Path, or "<missing>".
inline std::string ReadFile(const std::string &Path) { return ReadText(Path, "<missing>"); }

// Sets LC_ALL to de_DE.UTF-8 for its lifetime; Active() is false when that locale is missing.
class CommaLocale {
public:
    CommaLocale();
    ~CommaLocale();
    bool Active() const { return FActive; }

private:
    bool FActive = false;
    std::string FPrevious;
    bool FHadPrevious = false;
};

// An enumeration persisted by ordinal.
enum class TColour : std::uint8_t { clRed, clGreen, clBlue };

// Nested settings with defaults of their own.
class TLimits : public TXMLClass {
public:
    using TXMLClass::TXMLClass;
    const TPropertyTable &Properties() const override;
    void SetDefaults() override { Retries = 3; }
    std::int32_t Retries = 0;
    std::string Note;
};

// A list of TLimits.
class TLimitsList : public TXMLClassList {
public:
    using TXMLClassList::TXMLClassList;
    std::unique_ptr<TXMLClass> CreateItem() override { return Create<TLimits>(this); }
};

// An item class of the mixed list besides TLimits.
class TMarker : public TXMLClass {
public:
    using TXMLClass::TXMLClass;
    const TPropertyTable &Properties() const override;
    std::string Label;
};

// A list of TLimits and TMarker items, each under its class name.
class TMixedList : public TXMLClassListExt {
public:
    using TXMLClassListExt::TXMLClassListExt;
    std::unique_ptr<TXMLClass> CreateItemByName(const std::string &Name) override;
};

// Every property kind, a nested object and both kinds of list. No SetDefaults of its own.
class TAllKinds : public TXMLClass {
public:
    explicit TAllKinds(TXMLClass *Owner);
    const TPropertyTable &Properties() const override;

    std::int32_t Number = 0;
    std::uint8_t Small = 0;
    char Letter = 0;
    char16_t WideLetter = 0;
    std::uint16_t Flags = 0;
    TColour Colour = TColour::clRed;
    bool Enabled = false;
    float Ratio = 0;
    double Precise = 0;
    std::string Text;
    std::string WideText;
    std::unique_ptr<TLimits> Limits;
    std::unique_ptr<TLimitsList> History;
    std::unique_ptr<TMixedList> Mixed;
};

// Gives every property of the tree a value other than its default, with one or two items per list.
void FillAllKinds(TAllKinds &o);
// Expects every persisted value of a to equal that of b (floats at single precision).
void ExpectSameValues(const TAllKinds &a, const TAllKinds &b);

// A serializer bound to Object and Path with the header used throughout the tests.
std::unique_ptr<TXMLOptionsSerializer> MakeSerializer(TXMLClass &Object, const std::string &Path);

// A document with the test header around Body.
std::string Document(const std::string &Body);

// A temporary directory, a TAllKinds tree and a serializer bound to "doc.xml" in the directory.
class SerializerTest : public TempDirTest {
protected:
    void SetUp() override;

    std::unique_ptr<TAllKinds> FTree;
    std::unique_ptr<TXMLOptionsSerializer> FSerializer;
};

} // namespace morlith::test
