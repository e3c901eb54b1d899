// The reader on hand-written snippets: templates, arrays, references, separators, encodings.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/platform/xfile/xfile_test_support.h"

using namespace xfile_test;

namespace {

const char kHeader[] = "xof 0303txt 0032\n";

struct Snippet {
    Opened opened;
    std::vector<FlatObject> objects;
    HRESULT end = E_FAIL;
    std::string errors;

    explicit Snippet(const std::string& bytes) {
        testing::internal::CaptureStderr();
        OpenMemory(bytes, &opened);
        if (opened.enumeration) end = Flatten(opened.enumeration.get(), &objects);
        errors = testing::internal::GetCapturedStderr();
    }
    bool Ok() const { return SUCCEEDED(opened.result) && end == DXFILEERR_NOMOREOBJECTS; }
};

TEST(XFileTemplates, ArraysTakeTheirSizesFromEarlierMembers) {
    Snippet s(std::string(kHeader) + R"(
template Grid { <11111111-2222-3333-4444-555555555555>
  WORD rows; DWORD columns;
  array FLOAT cells[rows][columns];
  array CHAR tag[3];
  DWORD after;
}
Grid g { 2; 3; 1.0, 2.0, 3.0, 4.0, 5.0, 6.0; 65, 66, 67; 9; }
)");
    ASSERT_TRUE(s.Ok()) << s.errors;
    ASSERT_EQ(s.objects.size(), 1u);
    const auto& d = s.objects[0].data;
    ASSERT_EQ(d.size(), 2u + 4 + 6 * 4 + 3 + 4);
    EXPECT_EQ(ReadAt<WORD>(d.data(), 0), 2u);
    EXPECT_EQ(ReadAt<DWORD>(d.data(), 2), 3u);
    EXPECT_FLOAT_EQ(ReadAt<float>(d.data(), 6 + 5 * 4), 6.0f);
    EXPECT_EQ(d[30], 'A');
    EXPECT_EQ(d[32], 'C');
    EXPECT_EQ(ReadAt<DWORD>(d.data(), 33), 9u);
    EXPECT_EQ(s.objects[0].type.Data1, 0x11111111u);
}

TEST(XFileTemplates, BadDeclarationsAreRefused) {
    // A size that is not an earlier member, an unknown member type, an array without size.
    for (const char* body : {"template A { <11111111-2222-3333-4444-555555555555> array DWORD x[n]; DWORD n; }",
                             "template A { <11111111-2222-3333-4444-555555555555> Nowhere x; }",
                             "template A { <11111111-2222-3333-4444-555555555555> FLOAT f; array DWORD x[f]; }",
                             "template A { <11111111-2222-3333-4444-555555555555> array DWORD x; }",
                             "template A { <11111111-2222-3333-4444-555555555555> DWORD n; "}) {
        Snippet s(std::string(kHeader) + body);
        EXPECT_LT(s.end, 0) << body;
        EXPECT_NE(s.end, DXFILEERR_NOMOREOBJECTS) << body;
        EXPECT_NE(s.errors.find("(memory): line "), std::string::npos) << s.errors;
    }
}

TEST(XFileTemplates, OpenRestrictedAndClosedTemplatesTakeChildren) {
    Snippet s(std::string(kHeader) + R"(
template Leaf { <AAAAAAAA-0000-0000-0000-000000000001> DWORD v; }
template Box { <AAAAAAAA-0000-0000-0000-000000000002> DWORD n; [Leaf <AAAAAAAA-0000-0000-0000-000000000001>, Vector] }
template Bag { <AAAAAAAA-0000-0000-0000-000000000003> [ ... ] }
Box { 1; Leaf { 2; } Bag { Leaf { 3; } } }
Leaf closed { 4; Leaf inner { 5; } }
)");
    ASSERT_TRUE(s.Ok()) << s.errors;
    ASSERT_EQ(s.objects.size(), 6u);
    EXPECT_EQ(s.objects[1].depth, 1);
    EXPECT_EQ(s.objects[3].depth, 2);
    EXPECT_EQ(ReadAt<DWORD>(s.objects[3].data.data(), 0), 3u);
    EXPECT_EQ(s.objects[5].name, "inner");
    EXPECT_EQ(s.objects[5].depth, 1);
}

TEST(XFileTemplates, RedeclaringAStandardTemplateKeepsItsIdentity) {
    Snippet s(std::string(kHeader) + R"(
template Frame { <3D82AB46-62DA-11CF-AB39-0020AF71E433> [...] }
template frame_alias { <3D82AB46-62DA-11CF-AB39-0020AF71E433> [...] }
frame_alias A { }
FRAME B { }
)");
    ASSERT_TRUE(s.Ok()) << s.errors;
    ASSERT_EQ(s.objects.size(), 2u);
    EXPECT_TRUE(s.objects[0].type == TID_D3DRMFrame);
    EXPECT_TRUE(s.objects[1].type == TID_D3DRMFrame);
}

TEST(XFileData, SeparatorsAndCommentsVaryAsExportersWriteThem) {
    Snippet s(std::string(kHeader) + R"(
// a comment
# another comment
Mesh m {   // trailing comment
  3 ;;
  1;2;3;, 4,5,6,,
  7 8 9;;;
  1;
  3 0,1,2
}
)");
    ASSERT_TRUE(s.Ok()) << s.errors;
    ASSERT_EQ(s.objects.size(), 1u);
    const auto& d = s.objects[0].data;
    ASSERT_EQ(d.size(), 4u + 36 + 4 + 16);
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(ReadAt<float>(d.data(), 4 + 4 * i), float(i + 1));
    EXPECT_EQ(ReadAt<DWORD>(d.data(), 44), 3u);
    EXPECT_EQ(ReadAt<DWORD>(d.data(), 52), 1u);
}

TEST(XFileData, NumbersConvertToTheMemberType) {
    Snippet s(std::string(kHeader) + R"(
template T { <BBBBBBBB-0000-0000-0000-000000000001> FLOAT f; DWORD d; DOUBLE g; SDWORD s; WORD w; }
T { 7; 2.0; 1e3; -5; 65537; }
)");
    ASSERT_TRUE(s.Ok()) << s.errors;
    const auto& d = s.objects[0].data;
    ASSERT_EQ(d.size(), 4u + 4 + 8 + 4 + 2);
    EXPECT_FLOAT_EQ(ReadAt<float>(d.data(), 0), 7.0f);
    EXPECT_EQ(ReadAt<DWORD>(d.data(), 4), 2u);
    EXPECT_DOUBLE_EQ(ReadAt<double>(d.data(), 8), 1000.0);
    EXPECT_EQ(ReadAt<std::int32_t>(d.data(), 16), -5);
    EXPECT_EQ(ReadAt<WORD>(d.data(), 20), 1u);
}

// A FLOAT is the number read as a double, then narrowed: a word just above the midpoint of two
// floats that rounds to the midpoint as a double lands on the even float, not the upper one.
TEST(XFileData, FloatMembersAreNarrowedFromTheDouble) {
    Snippet s(std::string(kHeader) + R"(
template T { <BBBBBBBB-0000-0000-0000-000000000002> FLOAT f; FLOAT g; DOUBLE d; }
T { 1.0000000596046447753906250001; 1.0000002980232238769531250001; 1.0000000596046447753906250001; }
)");
    ASSERT_TRUE(s.Ok()) << s.errors;
    const auto& d = s.objects[0].data;
    ASSERT_EQ(d.size(), 4u + 4 + 8);
    EXPECT_EQ(ReadAt<float>(d.data(), 0), 1.0f);
    EXPECT_EQ(ReadAt<float>(d.data(), 4), 1.0f + 0x1p-22f);
    EXPECT_EQ(ReadAt<double>(d.data(), 8), 1.0 + 0x1p-24);
}

TEST(XFileData, StringsAreNulTerminatedPointers) {
    Opened opened;
    std::string text = std::string(kHeader) + "StringProperty { \"key\"; \"value with spaces\"; }";
    OpenMemory(text, &opened);
    ASSERT_EQ(opened.result, DXFILE_OK);
    Ref<IDirectXFileData> data;
    ASSERT_EQ(opened.enumeration->GetNextDataObject(data.out()), DXFILE_OK);
    DWORD size = 0;
    void* bytes = nullptr;
    ASSERT_EQ(data->GetData(nullptr, &size, &bytes), DXFILE_OK);
    ASSERT_EQ(size, 2 * sizeof(char*));
    EXPECT_STREQ(ReadAt<const char*>(bytes, 0), "key");
    EXPECT_STREQ(ReadAt<const char*>(bytes, sizeof(char*)), "value with spaces");
    // A named member.
    ASSERT_EQ(data->GetData("value", &size, &bytes), DXFILE_OK);
    EXPECT_EQ(size, sizeof(char*));
    EXPECT_STREQ(ReadAt<const char*>(bytes, 0), "value with spaces");
    testing::internal::CaptureStderr();
    EXPECT_EQ(data->GetData("nothing", &size, &bytes), DXFILEERR_BADDATAREFERENCE);
    testing::internal::GetCapturedStderr();
}

TEST(XFileData, NamedMembersOfVariableLayout) {
    Opened opened;
    OpenMemory(std::string(kHeader) + "Mesh { 2; 0;0;0;, 1;1;1;; 2; 3;0,1,1;, 4;1,0,0,1;; }", &opened);
    ASSERT_EQ(opened.result, DXFILE_OK);
    Ref<IDirectXFileData> data;
    ASSERT_EQ(opened.enumeration->GetNextDataObject(data.out()), DXFILE_OK);
    DWORD size = 0;
    void* bytes = nullptr;
    ASSERT_EQ(data->GetData("faces", &size, &bytes), DXFILE_OK);
    EXPECT_EQ(size, 4u * (1 + 3 + 1 + 4));
    EXPECT_EQ(ReadAt<DWORD>(bytes, 16), 4u);
    ASSERT_EQ(data->GetData("nFaces", &size, &bytes), DXFILE_OK);
    EXPECT_EQ(ReadAt<DWORD>(bytes, 0), 2u);
}

TEST(XFileReferences, ResolveByNameOrGuidAtAnyDepthEarlierOrLater) {
    Snippet s(std::string(kHeader) + R"(
Frame Early { Frame Deep <CCCCCCCC-0000-0000-0000-000000000001> { } }
Frame User {
  { Later }
  { <CCCCCCCC-0000-0000-0000-000000000001> }
  { Deep <CCCCCCCC-0000-0000-0000-000000000001> }
  { User }
}
Frame Later { }
)");
    ASSERT_TRUE(s.Ok()) << s.errors;
    std::vector<std::string> targets;
    for (const FlatObject& o : s.objects)
        if (o.reference) targets.push_back(o.name);
    EXPECT_EQ(targets, (std::vector<std::string>{"Later", "Deep", "Deep", "User"}));
}

TEST(XFileReferences, AReferenceToNothingIsNotFound) {
    Opened opened;
    OpenMemory(std::string(kHeader) + "Frame A { { Missing } }", &opened);
    ASSERT_EQ(opened.result, DXFILE_OK);
    Ref<IDirectXFileData> frame;
    ASSERT_EQ(opened.enumeration->GetNextDataObject(frame.out()), DXFILE_OK);
    Ref<IDirectXFileObject> child;
    ASSERT_EQ(frame->GetNextObject(child.out()), DXFILE_OK);
    Ref<IDirectXFileDataReference> reference;
    Ref<IDirectXFileData> notData;
    EXPECT_EQ(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(notData.out())), E_NOINTERFACE);
    ASSERT_EQ(child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(reference.out())), S_OK);
    EXPECT_EQ(NameOf(reference.get()), "Missing");
    Ref<IDirectXFileData> target;
    testing::internal::CaptureStderr();
    EXPECT_EQ(reference->Resolve(target.out()), DXFILEERR_NOTFOUND);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Missing"), std::string::npos);
    EXPECT_FALSE(target);
    EXPECT_EQ(frame->GetNextObject(child.out()), DXFILEERR_NOMOREOBJECTS);
}

TEST(XFileObjects, NamesInTwoCallsAndObjectsOutliveTheirEnumeration) {
    Ref<IDirectXFileData> frame;
    {
        Opened opened;
        OpenMemory(std::string(kHeader) + "Frame LongerName <DDDDDDDD-0000-0000-0000-000000000001> { Frame { } }", &opened);
        ASSERT_EQ(opened.result, DXFILE_OK);
        ASSERT_EQ(opened.enumeration->GetNextDataObject(frame.out()), DXFILE_OK);
        Ref<IDirectXFileData> none;
        EXPECT_EQ(opened.enumeration->GetNextDataObject(none.out()), DXFILEERR_NOMOREOBJECTS);
    }
    DWORD length = 0;
    ASSERT_EQ(frame->GetName(nullptr, &length), DXFILE_OK);
    EXPECT_EQ(length, 11u);
    char small[4];
    DWORD smallLength = sizeof small;
    EXPECT_EQ(frame->GetName(small, &smallLength), DXFILEERR_BADVALUE);
    GUID id{};
    ASSERT_EQ(frame->GetId(&id), DXFILE_OK);
    EXPECT_EQ(id.Data1, 0xDDDDDDDDu);
    Ref<IDirectXFileObject> child;
    ASSERT_EQ(frame->GetNextObject(child.out()), DXFILE_OK);
    ASSERT_EQ(child->GetName(nullptr, &length), DXFILE_OK);
    EXPECT_EQ(length, 0u);
    ASSERT_EQ(child->GetId(&id), DXFILE_OK);
    EXPECT_TRUE(id == GUID{});
}

TEST(XFileObjects, EnumerationFindsObjectsByNameAndId) {
    Opened opened;
    OpenMemory(std::string(kHeader) + "Frame A { Frame B <DDDDDDDD-0000-0000-0000-000000000002> { } }", &opened);
    ASSERT_EQ(opened.result, DXFILE_OK);
    Ref<IDirectXFileData> found;
    ASSERT_EQ(opened.enumeration->GetDataObjectByName("B", found.out()), DXFILE_OK);
    EXPECT_EQ(NameOf(found.get()), "B");
    GUID id = {0xDDDDDDDD, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
    ASSERT_EQ(opened.enumeration->GetDataObjectById(id, found.out()), DXFILE_OK);
    EXPECT_EQ(NameOf(found.get()), "B");
    EXPECT_EQ(opened.enumeration->GetDataObjectByName("C", found.out()), DXFILEERR_NOTFOUND);
}

TEST(XFileHeader, VersionsFormatsAndFloatSizes) {
    struct Case {
        const char* header;
        HRESULT expected;
    } cases[] = {
        {"xof 0302txt 0032", DXFILE_OK},           {"xof 0303txt 0064", DXFILE_OK},
        {"xof 0304txt 0032", DXFILEERR_BADFILEVERSION}, {"xof 0303zip 0032", DXFILEERR_BADFILETYPE},
        {"xof 0303txt 0016", DXFILEERR_BADFILEFLOATSIZE}, {"XOF 0303txt 0032", DXFILEERR_BADFILETYPE},
        {"xof 0303tx", DXFILEERR_BADFILETYPE},
    };
    for (const Case& c : cases) {
        Opened opened;
        testing::internal::CaptureStderr();
        OpenMemory(std::string(c.header) + "\nFrame { }", &opened);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(opened.result, c.expected) << c.header;
    }
}

}  // namespace

namespace {

// Files are mapped unless their size is a whole number of pages (no room for the terminator
// after them): both ways must read the same, up to a string at the very end.
TEST(XFileFromFile, MappedAndReadFilesAgree) {
    std::string base = std::string("xof 0303txt 0032\nTextureFilename { \"end.png\"; }\n//");
    std::vector<std::string> names;
    for (std::size_t size : {std::size_t(4096), std::size_t(4097), std::size_t(8192)}) {
        std::string bytes = base + std::string(size - base.size(), 'x');
        ASSERT_EQ(bytes.size(), size);
        std::string path = ::testing::TempDir() + "xfile_page_" + std::to_string(size) + ".x";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        Opened opened;
        OpenFile(path, &opened);
        ASSERT_EQ(opened.result, DXFILE_OK) << size;
        Ref<IDirectXFileData> data;
        ASSERT_EQ(opened.enumeration->GetNextDataObject(data.out()), DXFILE_OK);
        DWORD length = 0;
        void* p = nullptr;
        ASSERT_EQ(data->GetData(nullptr, &length, &p), DXFILE_OK);
        names.emplace_back(ReadAt<const char*>(p, 0));
        std::remove(path.c_str());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"end.png", "end.png", "end.png"}));

    Opened missing;
    testing::internal::CaptureStderr();
    OpenFile(::testing::TempDir() + "no_such_file.x", &missing);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(missing.result, DXFILEERR_FILENOTFOUND);
    EXPECT_NE(message.find("no_such_file.x: byte 0: "), std::string::npos) << message;
}

}  // namespace
