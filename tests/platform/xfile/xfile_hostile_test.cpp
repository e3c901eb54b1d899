// The reader on binary snippets and on hostile input: truncation, huge counts, deep nesting,
// long names, structures that would explode. Every case must end with an error or a valid
// tree, at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/platform/xfile/fifo_file.h"
#include "tests/platform/xfile/xfile_binary_writer.h"
#include "tests/platform/xfile/xfile_test_support.h"

using namespace xfile_test;

namespace {

struct Result {
    HRESULT open = E_FAIL;
    HRESULT end = E_FAIL;
    std::vector<FlatObject> objects;
    std::string errors;
};

Result Parse(const std::string& bytes, const std::vector<GUID>& leadingStrings = {}) {
    Result r;
    Opened opened;
    testing::internal::CaptureStderr();
    OpenMemory(bytes, &opened);
    r.open = opened.result;
    if (opened.enumeration) r.end = Flatten(opened.enumeration.get(), &r.objects, leadingStrings);
    r.errors = testing::internal::GetCapturedStderr();
    return r;
}

bool IsFileError(HRESULT hr) { return (static_cast<DWORD>(hr) & 0xFFFF0000u) == 0x88760000u; }

constexpr GUID kPairGuid = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

BinaryWriter PairTemplate(bool doubles) {
    BinaryWriter w(doubles);
    // template Pair { <guid> DWORD n; array FLOAT f[n]; DOUBLE d; LPSTR s; }
    w.Token(BinaryWriter::kTemplate).Name("Pair").Token(BinaryWriter::kOBrace).Guid(kPairGuid);
    w.Token(BinaryWriter::kDword).Name("n").Token(BinaryWriter::kSemicolon);
    w.Token(BinaryWriter::kArray).Token(BinaryWriter::kFloat).Name("f").Token(BinaryWriter::kOBracket).Name("n");
    w.Token(BinaryWriter::kCBracket).Token(BinaryWriter::kSemicolon);
    w.Token(BinaryWriter::kDouble).Name("d").Token(BinaryWriter::kSemicolon);
    w.Token(BinaryWriter::kLpstr).Name("s").Token(BinaryWriter::kSemicolon);
    w.Token(BinaryWriter::kCBrace);
    return w;
}

TEST(XFileBinary, ListsFillSuccessiveMembersAndDoublesNarrowToFloatMembers) {
    for (bool doubles : {false, true}) {
        BinaryWriter w = PairTemplate(doubles);
        w.Name("Pair").Name("p").Token(BinaryWriter::kOBrace);
        w.Integers({3}).Floats({1.5, 2.5, 3.5, 0.125}).String("text").Token(BinaryWriter::kOBrace).Name("p");
        w.Token(BinaryWriter::kCBrace).Token(BinaryWriter::kCBrace);
        // Kept open: the string member points into the file's storage.
        Opened opened;
        OpenMemory(w.Bytes(), &opened);
        ASSERT_EQ(opened.result, DXFILE_OK);
        Result r;
        r.end = Flatten(opened.enumeration.get(), &r.objects);
        ASSERT_EQ(r.end, DXFILEERR_NOMOREOBJECTS);
        ASSERT_EQ(r.objects.size(), 2u);
        const auto& d = r.objects[0].data;
        ASSERT_EQ(d.size(), 4u + 12 + 8 + sizeof(char*));
        EXPECT_TRUE(r.objects[0].type == kPairGuid);
        EXPECT_EQ(ReadAt<DWORD>(d.data(), 0), 3u);
        EXPECT_FLOAT_EQ(ReadAt<float>(d.data(), 12), 3.5f);
        EXPECT_DOUBLE_EQ(ReadAt<double>(d.data(), 16), 0.125);
        EXPECT_STREQ(ReadAt<const char*>(d.data(), 24), "text");
        EXPECT_EQ(r.objects[1].name, "p");  // the reference resolves to its own parent
    }
}

TEST(XFileBinary, RecordsSplitAcrossListsReadLikeText) {
    BinaryWriter w;
    w.Name("Mesh").Token(BinaryWriter::kOBrace).Integers({4}).Floats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    // Faces (3;0,1,2) and (4;0,1,2,3) cut in the middle of the first one.
    w.Integers({2, 3, 0, 1}).Integers({2, 4, 0, 1, 2, 3});
    w.Name("MeshNormals").Token(BinaryWriter::kOBrace).Integers({1}).Floats({0, 0, 1}).Integers({2, 3, 0, 0, 0, 4});
    w.Integers({0, 0, 0, 0}).Token(BinaryWriter::kCBrace).Token(BinaryWriter::kCBrace);
    Result binary = Parse(w.Bytes());
    Result text = Parse("xof 0303txt 0032\nMesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 4;0,1,2,3;;\n"
                        " MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 4;0,0,0,0;; } }");
    ASSERT_EQ(binary.end, DXFILEERR_NOMOREOBJECTS) << binary.errors;
    ASSERT_EQ(text.end, DXFILEERR_NOMOREOBJECTS) << text.errors;
    ASSERT_EQ(binary.objects.size(), 2u);
    EXPECT_EQ(binary.objects[0].data, text.objects[0].data);
    EXPECT_EQ(binary.objects[1].data, text.objects[1].data);
    EXPECT_EQ(binary.objects[0].data.size(), 4u + 48 + 4 + 16 + 20);
}

TEST(XFileText, DoubleFilesNarrowToFloatMembers) {
    Result r = Parse("xof 0303txt 0064\nVector { 0.1; 2.5; -3; }");
    ASSERT_EQ(r.end, DXFILEERR_NOMOREOBJECTS) << r.errors;
    ASSERT_EQ(r.objects[0].data.size(), 12u);
    EXPECT_FLOAT_EQ(ReadAt<float>(r.objects[0].data.data(), 0), 0.1f);
    EXPECT_FLOAT_EQ(ReadAt<float>(r.objects[0].data.data(), 8), -3.0f);
}

// A file and, where known, the offset just past each of its top-level objects.
struct Cuttable {
    std::string bytes;
    std::vector<std::size_t> objectEnds;  // empty: not known (then only contents are checked)
    std::vector<GUID> leadingStrings;     // templates whose first member is a string
};

// Where each flattened object of the whole file starts a top-level object, and the end.
std::vector<std::size_t> TopLevelStarts(const std::vector<FlatObject>& objects) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < objects.size(); ++i)
        if (objects[i].depth == 0) starts.push_back(i);
    starts.push_back(objects.size());
    return starts;
}

// A file cut anywhere holds no data the whole file does not. Whatever a parse of a prefix
// gives must be the whole file's first top-level objects, each complete and with the same
// contents: exactly those that end within the prefix, when their ends are known.
void ExpectEveryPrefixGivesTheFirstWholeObjects(const Cuttable& file, const char* what) {
    const Result full = Parse(file.bytes, file.leadingStrings);
    ASSERT_EQ(full.end, DXFILEERR_NOMOREOBJECTS) << what << full.errors;
    const std::vector<std::size_t> starts = TopLevelStarts(full.objects);
    if (!file.objectEnds.empty()) {
        ASSERT_EQ(file.objectEnds.size() + 1, starts.size()) << what;
    }
    for (std::size_t cut = 0; cut < file.bytes.size(); ++cut) {
        SCOPED_TRACE(std::string(what) + " cut at " + std::to_string(cut));
        const Result r = Parse(file.bytes.substr(0, cut), file.leadingStrings);
        if (FAILED(r.open)) {
            EXPECT_TRUE(IsFileError(r.open));
            continue;
        }
        EXPECT_TRUE(IsFileError(r.end));
        // Whole top-level objects only, equal to the whole file's first ones.
        const auto whole = std::find(starts.begin(), starts.end(), r.objects.size());
        ASSERT_NE(whole, starts.end()) << "a top-level object came out in part";
        EXPECT_TRUE(std::equal(r.objects.begin(), r.objects.end(), full.objects.begin()))
            << "the objects read differ from the whole file's";
        if (!file.objectEnds.empty()) {
            const auto complete = static_cast<std::size_t>(
                std::upper_bound(file.objectEnds.begin(), file.objectEnds.end(), cut) - file.objectEnds.begin());
            EXPECT_EQ(static_cast<std::size_t>(whole - starts.begin()), complete) << "top-level objects read";
        }
        // A cut inside an object is a fault, reported in one line.
        if (r.end != DXFILEERR_NOMOREOBJECTS) {
            EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), '\n'), 1) << r.errors;
        }
    }
}

constexpr GUID kRecordGuid = {0xAAAAAAAA, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0x09}};

Cuttable TextFile() {
    Cuttable file;
    file.leadingStrings = {kRecordGuid};
    file.bytes = "xof 0303txt 0032\n"
                 "template T { <AAAAAAAA-0000-0000-0000-000000000009> STRING s; DWORD n; array WORD w[n]; }\n";
    for (const char* object :
         {"Frame F { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,7,1;; }\n  T t { \"str\"; 2; 7, 8; } { t } }",
          "T loose { \"second\"; 3; 11, 12, 13; }",
          "Mesh m { 3; 1.5;2.5;3.5;, 4;5;6;, 7;8;9;; 1; 3; 0,1,2;; MeshNormals { 1; 0;0;1;; 1; 3; 0,0,0;; } }"}) {
        file.bytes += object;
        file.objectEnds.push_back(file.bytes.size());
        file.bytes += "\n";
    }
    return file;
}

Cuttable BinaryFile() {
    Cuttable file;
    file.leadingStrings = {kRecordGuid};
    BinaryWriter w;
    // template Rec { <guid> STRING s; DWORD n; array FLOAT f[n]; DOUBLE d; }
    w.Token(BinaryWriter::kTemplate).Name("Rec").Token(BinaryWriter::kOBrace).Guid(kRecordGuid);
    w.Token(BinaryWriter::kLpstr).Name("s").Token(BinaryWriter::kSemicolon);
    w.Token(BinaryWriter::kDword).Name("n").Token(BinaryWriter::kSemicolon);
    w.Token(BinaryWriter::kArray).Token(BinaryWriter::kFloat).Name("f").Token(BinaryWriter::kOBracket).Name("n");
    w.Token(BinaryWriter::kCBracket).Token(BinaryWriter::kSemicolon);
    w.Token(BinaryWriter::kDouble).Name("d").Token(BinaryWriter::kSemicolon);
    w.Token(BinaryWriter::kCBrace);
    w.Name("Rec").Name("a").Token(BinaryWriter::kOBrace).String("first").Integers({2}).Floats({1, 2, 3});
    w.Token(BinaryWriter::kCBrace);
    file.objectEnds.push_back(w.Bytes().size());
    w.Name("Frame").Name("b").Token(BinaryWriter::kOBrace);
    w.Name("Rec").Token(BinaryWriter::kOBrace).String("inner").Integers({1}).Floats({4, 5}).Token(BinaryWriter::kCBrace);
    w.Token(BinaryWriter::kOBrace).Name("a").Token(BinaryWriter::kCBrace).Token(BinaryWriter::kCBrace);
    file.objectEnds.push_back(w.Bytes().size());
    w.Name("Rec").Name("c").Token(BinaryWriter::kOBrace).String("last").Integers({3}).Floats({6, 7, 8, 9});
    w.Token(BinaryWriter::kCBrace);
    file.objectEnds.push_back(w.Bytes().size());
    file.bytes = w.Bytes();
    return file;
}

TEST(XFileHostile, TruncationAtEveryByteGivesTheWholeFilesFirstObjectsOrAFault) {
    ExpectEveryPrefixGivesTheFirstWholeObjects(TextFile(), "text");
    ExpectEveryPrefixGivesTheFirstWholeObjects(BinaryFile(), "binary");
    std::string dir = SampleDirectory();
    if (!dir.empty()) {
        std::ifstream in(dir + "/cube_compressed.x", std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        ExpectEveryPrefixGivesTheFirstWholeObjects({bytes.str(), {}, {}}, "compressed");
    }
}

TEST(XFileHostile, HugeCountsFailAtOnce) {
    Result text = Parse("xof 0303txt 0032\nMesh { 4000000000; 1; 2; 3; }");
    EXPECT_EQ(text.end, DXFILEERR_BADARRAYSIZE);
    EXPECT_NE(text.errors.find("(memory): line 2: "), std::string::npos) << text.errors;

    BinaryWriter list;
    list.Name("Mesh").Token(BinaryWriter::kOBrace).Token(BinaryWriter::kIntegerList).Word32(0xFFFFFFFFu).Word32(1);
    Result binary = Parse(list.Bytes());
    EXPECT_EQ(binary.end, DXFILEERR_PARSEERROR);
    EXPECT_NE(binary.errors.find("(memory): byte 28: "), std::string::npos) << binary.errors;

    BinaryWriter name;
    name.Token(BinaryWriter::kName).Word32(0x7FFFFFFFu).Raw("abc", 3);
    EXPECT_TRUE(IsFileError(Parse(name.Bytes()).end));

    // Compressed: a total size far beyond what the blocks hold.
    std::string zip = "xof 0303bzip0032";
    std::uint32_t total = 0xF0000000u;
    zip.append(reinterpret_cast<const char*>(&total), 4);
    EXPECT_EQ(Parse(zip).open, DXFILEERR_BADFILE);
}

TEST(XFileHostile, NestingIsBounded) {
    auto nested = [](int depth) {
        std::string s = "xof 0303txt 0032\n";
        for (int i = 0; i < depth; ++i) s += "Frame {";
        for (int i = 0; i < depth; ++i) s += "}";
        return s;
    };
    Result ok = Parse(nested(200));
    EXPECT_EQ(ok.end, DXFILEERR_NOMOREOBJECTS) << ok.errors;
    EXPECT_EQ(ok.objects.size(), 200u);
    Result deep = Parse(nested(100000));
    EXPECT_EQ(deep.end, DXFILEERR_PARSEERROR);
    EXPECT_NE(deep.errors.find("nested too deeply"), std::string::npos);
}

TEST(XFileHostile, LongNamesUpToTheirBound) {
    std::string longName(10000, 'n');
    Result ok = Parse("xof 0303txt 0032\nFrame " + longName + " { { " + longName + " } }");
    ASSERT_EQ(ok.end, DXFILEERR_NOMOREOBJECTS) << ok.errors;
    EXPECT_EQ(ok.objects[0].name, longName);
    EXPECT_EQ(ok.objects[1].name, longName);
    Result tooLong = Parse("xof 0303txt 0032\nFrame " + std::string(70000, 'n') + " { }");
    EXPECT_EQ(tooLong.end, DXFILEERR_PARSEERROR);
    EXPECT_NE(tooLong.errors.find("name too long"), std::string::npos);
}

TEST(XFileHostile, ExplodingTemplatesAreCut) {
    // Each level doubles the members of the one below: 2^60 visits of empty members.
    std::string s = "xof 0303txt 0032\ntemplate L0 { <EEEEEEEE-0000-0000-0000-000000000000> }\n";
    for (int i = 1; i <= 60; ++i) {
        char guid[64];
        std::snprintf(guid, sizeof guid, "<EEEEEEEE-0000-0000-0000-%012d>", i);
        s += "template L" + std::to_string(i) + " { " + guid + " L" + std::to_string(i - 1) + " a; L" +
             std::to_string(i - 1) + " b; }\n";
    }
    Result tooDeep = Parse(s + "L60 { }");
    EXPECT_TRUE(FAILED(tooDeep.end) && tooDeep.end != DXFILEERR_NOMOREOBJECTS);
    // An array of a million empty instances per element of another million.
    Result wide = Parse(std::string("xof 0303txt 0032\ntemplate E { <EEEEEEEE-0000-0000-0000-0000000000AA> }\n") +
                        "template W { <EEEEEEEE-0000-0000-0000-0000000000AB> array E e[1000000]; }\n"
                        "template V { <EEEEEEEE-0000-0000-0000-0000000000AC> array W w[1000000]; }\nV { }");
    EXPECT_EQ(wide.end, DXFILEERR_BADARRAYSIZE);
}

TEST(XFileHostile, GarbageAndStrayTokensFailCleanly) {
    for (const char* body : {"}", "{ }", "Frame {", "Frame { 1; }", "Frame A B C { }", "Mesh { 1; \"x\"; }",
                             "template { }", "Frame { { } }", "Vector { 1; 2; <zz> }", "Vector { 1; 2; \"3 }",
                             "\x01\x02\x03\xff", "Frame { ]"}) {
        Result r = Parse(std::string("xof 0303txt 0032\n") + body);
        EXPECT_TRUE(IsFileError(r.end)) << body;
        EXPECT_NE(r.end, DXFILEERR_NOMOREOBJECTS) << body;
        EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), '\n'), 1) << body << ": " << r.errors;
    }
}

TEST(XFileHostile, ObjectsBeforeAFaultStayReadable) {
    Result r = Parse("xof 0303txt 0032\nFrame A { }\nFrame B { }\nFrame C { 1 }");
    EXPECT_EQ(r.end, DXFILEERR_PARSEERROR);
    ASSERT_EQ(r.objects.size(), 2u);
    EXPECT_EQ(r.objects[1].name, "B");
    EXPECT_NE(r.errors.find("line 4"), std::string::npos) << r.errors;
}

TEST(XFileHostile, OnlyRegularFilesAreOpened) {
    fifotest::FifoFile fifo("demo.x");
    ASSERT_TRUE(fifo.Made());
    // A FIFO, a directory and a device are refused alike, and at once.
    for (const std::string& path : {fifo.Path(), fifo.Folder().string(), std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        Opened opened;
        std::string errors;
        EXPECT_TRUE(fifo.FinishesWithin([&] {
            testing::internal::CaptureStderr();
            OpenFile(path, &opened);
            errors = testing::internal::GetCapturedStderr();
        }));
        EXPECT_EQ(opened.result, DXFILEERR_BADFILE);
        EXPECT_FALSE(opened.enumeration);
        EXPECT_EQ(errors, path + ": byte 0: not a regular file\n");
    }
    // What does not exist is told apart from what is not a file.
    Opened missing;
    testing::internal::CaptureStderr();
    OpenFile((fifo.Folder() / "absent.x").string(), &missing);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(missing.result, DXFILEERR_FILENOTFOUND);
    EXPECT_NE(errors.find("absent.x: byte 0: No such file or directory"), std::string::npos) << errors;
}

}  // namespace
