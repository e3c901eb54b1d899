// Walking children and top-level objects: order, what is passed over, how a walk stops.
#include "platform/xfile/dxfile_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/ref_counted.h"
#include "tests/platform/xfile/xfile_test_support.h"

using namespace xfile_test;

namespace {

const char kFile[] = R"(xof 0303txt 0032
Frame outer {
  Frame first { }
  { first }
  Frame second { }
  Frame third { }
}
Frame next { }
Frame last { }
)";

// The top-level objects of kFile, in file order.
class WalkTest : public testing::Test {
protected:
    void SetUp() override {
        OpenMemory(kFile, &opened);
        ASSERT_EQ(opened.result, DXFILE_OK);
        ASSERT_EQ(opened.enumeration->GetNextDataObject(outer.out()), DXFILE_OK);
    }

    Opened opened;
    Ref<IDirectXFileData> outer;
};

TEST_F(WalkTest, ChildrenComeInFileOrderWithReferencesOnlyInTheWholeWalk) {
    std::vector<std::string> all;
    EXPECT_EQ(xfile::ForEachChild(outer.get(), [&](IDirectXFileObject* child) {
                  void* reference = nullptr;
                  const bool isReference = SUCCEEDED(child->QueryInterface(IID_IDirectXFileDataReference, &reference));
                  if (isReference) static_cast<IDirectXFileDataReference*>(reference)->Release();
                  all.push_back((isReference ? "ref " : "") + NameOf(child));
                  return S_OK;
              }),
              S_OK);
    EXPECT_EQ(all, (std::vector<std::string>{"first", "ref first", "second", "third"}));

    // A second walk of the same object finds its children used up.
    int again = 0;
    EXPECT_EQ(xfile::ForEachChild(outer.get(), [&](IDirectXFileObject*) { return ++again, S_OK; }), S_OK);
    EXPECT_EQ(again, 0);
}

TEST_F(WalkTest, DataWalkPassesOverReferencesAndStopsWhereTheVisitorSays) {
    std::vector<std::string> seen;
    // S_FALSE ends a search successfully; the later children are not visited.
    EXPECT_EQ(xfile::ForEachDataChild(outer.get(),
                                      [&](IDirectXFileData* data) -> HRESULT {
                                          seen.push_back(NameOf(data));
                                          return seen.size() == 2 ? S_FALSE : S_OK;
                                      }),
              S_OK);
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second"}));
    // The next walk goes on where the search stopped; a failure ends it with that very code.
    seen.clear();
    EXPECT_EQ(xfile::ForEachDataChild(outer.get(),
                                      [&](IDirectXFileData* data) -> HRESULT {
                                          seen.push_back(NameOf(data));
                                          return E_INVALIDARG;
                                      }),
              E_INVALIDARG);
    EXPECT_EQ(seen, (std::vector<std::string>{"third"}));
}

TEST_F(WalkTest, TopLevelObjectsFollowInOrderAndSuccessCodesGoOn) {
    std::vector<std::string> seen;
    EXPECT_EQ(xfile::ForEachDataObject(opened.enumeration.get(),
                                       [&](IDirectXFileData* data) -> HRESULT {
                                           seen.push_back(NameOf(data));
                                           return 2;  // a success other than S_FALSE does not stop the walk
                                       }),
              S_OK);
    EXPECT_EQ(seen, (std::vector<std::string>{"next", "last"}));
}

// A data object whose child enumeration gives `children` objects, then ends with `end`.
class ScriptedData final : public RefCounted<IDirectXFileData> {
public:
    ScriptedData(int children, HRESULT end, bool nullOnSuccess = false)
        : left_(children), end_(end), nullOnSuccess_(nullOnSuccess) {}
    HRESULT QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (riid != IID_IDirectXFileData && riid != IID_IDirectXFileObject) return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IDirectXFileData*>(this);
        return S_OK;
    }
    HRESULT GetName(char*, DWORD* length) override {
        *length = 0;
        return DXFILE_OK;
    }
    HRESULT GetId(GUID* id) override {
        *id = GUID{};
        return DXFILE_OK;
    }
    HRESULT GetData(const char*, DWORD*, void**) override { return DXFILEERR_NOTFOUND; }
    HRESULT GetType(const GUID** type) override {
        *type = &TID_D3DRMFrame;
        return DXFILE_OK;
    }
    HRESULT GetNextObject(IDirectXFileObject** child) override {
        *child = nullptr;
        if (left_ == 0) return end_;
        --left_;
        if (nullOnSuccess_) return DXFILE_OK;
        *child = new ScriptedData(0, DXFILEERR_NOMOREOBJECTS);
        return DXFILE_OK;
    }

private:
    int left_;
    HRESULT end_;
    bool nullOnSuccess_;
};

class ScriptedEnum final : public RefCounted<IDirectXFileEnumObject> {
public:
    ScriptedEnum(int objects, HRESULT end) : left_(objects), end_(end) {}
    HRESULT GetNextDataObject(IDirectXFileData** data) override {
        *data = nullptr;
        if (left_ == 0) return end_;
        --left_;
        *data = new ScriptedData(0, DXFILEERR_NOMOREOBJECTS);
        return DXFILE_OK;
    }
    HRESULT GetDataObjectById(REFGUID, IDirectXFileData**) override { return DXFILEERR_NOTFOUND; }
    HRESULT GetDataObjectByName(const char*, IDirectXFileData**) override { return DXFILEERR_NOTFOUND; }

private:
    int left_;
    HRESULT end_;
};

TEST(XFileWalk, EnumerationFailuresOtherThanTheEndAreReturned) {
    for (HRESULT end : {DXFILEERR_BADALLOC, DXFILEERR_PARSEERROR}) {
        SCOPED_TRACE(end);
        int visits = 0;
        Ref<IDirectXFileData> data(new ScriptedData(2, end));
        EXPECT_EQ(xfile::ForEachChild(data.get(), [&](IDirectXFileObject*) { return ++visits, S_OK; }), end);
        EXPECT_EQ(visits, 2);
        Ref<IDirectXFileEnumObject> objects(new ScriptedEnum(3, end));
        EXPECT_EQ(xfile::ForEachDataObject(objects.get(), [&](IDirectXFileData*) { return ++visits, S_OK; }), end);
        EXPECT_EQ(visits, 5);
    }
    // The normal end is a success.
    Ref<IDirectXFileData> ends(new ScriptedData(1, DXFILEERR_NOMOREOBJECTS));
    EXPECT_EQ(xfile::ForEachDataChild(ends.get(), [](IDirectXFileData*) { return S_OK; }), S_OK);
}

TEST(XFileWalk, ASuccessWithoutAnObjectEndsTheWalk) {
    int visits = 0;
    Ref<IDirectXFileData> data(new ScriptedData(3, DXFILEERR_BADALLOC, true));
    EXPECT_EQ(xfile::ForEachChild(data.get(), [&](IDirectXFileObject*) { return ++visits, S_OK; }), S_OK);
    EXPECT_EQ(visits, 0);
}

}  // namespace
