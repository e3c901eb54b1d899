// Runs orrery3d-xinfo as a program: on files the suite writes itself (text and binary, with a
// frame tree, two meshes, a skin and an animation set), on its options, on files that are not
// files, and on the X files written by other tools, whose totals are checked against the counts
// an independent importer gives for them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/child_process.h"
#include "platform/math/d3dx8math.h"
#include "resources/version.h"
#include "tests/tools/xinfo/xinfo_json.h"
#include "tools/assets/core/x_writer.h"

namespace {

namespace fs = std::filesystem;

using xinfotest::Json;

const fs::path kFiles = ORRERY_XFILES_DIR;
// Long enough for a sanitizer build on a busy machine; a hang ends here as a failure.
constexpr std::chrono::seconds kDeadline{60};

using xtest::ProgramRun;

// Runs the program in `folder` with `arguments` (passed as they are, no shell between); a run that
// hangs is ended and reported instead of stopping the suite.
ProgramRun Xinfo(const std::vector<std::string>& arguments, const fs::path& folder) {
    std::vector<std::string> argv = {XINFO_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return xtest::RunProgram(argv, folder.string(), kDeadline);
}

Json Parse(const std::string& line) {
    xinfotest::JsonReader reader;
    Json value;
    EXPECT_TRUE(reader.Parse(line, value)) << reader.Error() << " in " << line;
    return value;
}

// The report of a one-file run: exit code 0 and exactly one line of JSON.
Json Report(const ProgramRun& run) {
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.code, 0) << run.err;
    const std::vector<std::string> lines = run.OutLines();
    EXPECT_EQ(lines.size(), 1u) << run.out;
    return lines.empty() ? Json() : Parse(lines[0]);
}

// Everything in a report but the name of the file.
Json WithoutFile(Json report) {
    std::erase_if(report.members, [](const auto& member) { return member.first == "file"; });
    return report;
}

// A folder of the test's own, removed afterwards.
class XinfoFolder : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::path(testing::TempDir()) / ("xinfo_test_" + std::to_string(::getpid()) + "_" +
                                                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Write(const std::string& name, const assets::Bytes& bytes) {
        std::ofstream(folder_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    fs::path folder_;
};

// ---- Files the suite writes ----

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

// Frames: body > (arm > hand, spare), four frames three deep. "body" holds a rigid quad of two
// materials with one corner at the origin; "hand" holds a skinned quad weighted to arm, hand and
// spare (the last on one vertex only). One animation set animates arm and hand.
assets::Model SampleModel() {
    assets::Mesh hull;
    hull.name = "hull";
    hull.positions = {{0, 0, 0}, {4, 0, 0}, {4, 2, 0}, {0, 2, 0}};
    hull.faces = {{0, 1, 2}, {0, 2, 3}};
    hull.materials.resize(2);
    hull.materials[1].diffuse = {0.2f, 0.4f, 0.6f, 1.0f};
    hull.faceMaterials = {0, 1};

    assets::Mesh glove;
    glove.name = "glove";
    glove.positions = {{1, 1, 1}, {2, 1, 1}, {2, 3, 1}, {1, 3, 1}};
    glove.faces = {{0, 1, 2}, {0, 2, 3}};
    glove.materials.resize(1);
    glove.faceMaterials = {0, 0};
    D3DXMATRIX offset;
    D3DXMatrixIdentity(&offset);
    glove.skin = {{"arm", {0, 1}, {1.0f, 1.0f}, offset},
                  {"hand", {2, 3}, {1.0f, 0.75f}, offset},
                  {"spare", {3}, {0.25f}, offset}};

    assets::Frame hand{"hand", Translation(0, 0, 2), {glove}, {}};
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, 1.5f);
    const D3DXMATRIX armMove = Translation(0, 5, 0);
    D3DXMATRIX armMatrix;
    D3DXMatrixMultiply(&armMatrix, &turn, &armMove);
    assets::Frame arm{"arm", armMatrix, {}, {hand}};
    assets::Frame spare{"spare", Translation(1, 1, 1), {}, {}};
    assets::Frame body{"body", Translation(10, 0, 0), {hull}, {arm, spare}};

    assets::Animation swing;
    swing.frame = "arm";
    swing.rotations = {{0, {0, 0, 0, 1}}, {4800, {0, 0, 0.7071068f, 0.7071068f}}};
    assets::Animation reach;
    reach.frame = "hand";
    reach.positions = {{0, {0, 0, 2}}, {2400, {0, 1, 2}}, {9600, {0, 0, 2}}};

    assets::Model model;
    model.frames = {body};
    model.animationSets = {{"walk", {swing, reach}}};
    return model;
}

// Replaces the one occurrence of `from` in `bytes` by `to`, of the same length.
void ReplaceOnce(assets::Bytes& bytes, const std::string& from, const std::string& to) {
    ASSERT_EQ(from.size(), to.size());
    auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
    ASSERT_NE(at, bytes.end()) << from;
    ASSERT_EQ(std::search(at + 1, bytes.end(), from.begin(), from.end()), bytes.end()) << from;
    std::copy(to.begin(), to.end(), at);
}

// A name token of the binary encoding.
std::string BinaryName(const std::string& name) {
    std::string token("\x01\x00", 2);
    const auto length = static_cast<std::uint32_t>(name.size());
    token.append(reinterpret_cast<const char*>(&length), 4);
    return token + name;
}

// The sample in both encodings. The frame "spare" is renamed after writing, so that the skin's
// third bone names no frame; the binary file's skinned mesh gets a name that needs escaping.
const std::string kEscapedName("q\"\\\t\x01", 5);

assets::Bytes SampleText() {
    assets::Bytes bytes = assets::WriteX(SampleModel(), assets::XEncoding::Text);
    ReplaceOnce(bytes, "Frame spare {", "Frame extra {");
    return bytes;
}

assets::Bytes SampleBinary() {
    assets::Bytes bytes = assets::WriteX(SampleModel(), assets::XEncoding::Binary);
    ReplaceOnce(bytes, BinaryName("spare"), BinaryName("extra"));
    ReplaceOnce(bytes, BinaryName("glove"), BinaryName(kEscapedName));
    return bytes;
}

// Centre and radius of the sample as the loader measures them: every vertex not at its mesh's
// origin, moved by its frame's matrices.
void SampleBounds(D3DXVECTOR3& centre, float& radius) {
    const assets::Model model = SampleModel();
    const assets::Frame& body = model.frames[0];
    const assets::Frame& arm = body.children[0];
    const assets::Frame& hand = arm.children[0];
    D3DXMATRIX armInWorld, handInWorld;
    D3DXMatrixMultiply(&armInWorld, &arm.transform, &body.transform);
    D3DXMatrixMultiply(&handInWorld, &hand.transform, &armInWorld);
    std::vector<D3DXVECTOR3> points;
    auto add = [&](const assets::Mesh& mesh, const D3DXMATRIX& m) {
        for (const D3DXVECTOR3& p : mesh.positions) {
            if (p.x == 0 && p.y == 0 && p.z == 0) continue;
            D3DXVECTOR3 moved;
            D3DXVec3TransformCoord(&moved, &p, &m);
            points.push_back(moved);
        }
    };
    add(body.meshes[0], body.transform);
    add(hand.meshes[0], handInWorld);
    centre = {0, 0, 0};
    for (const D3DXVECTOR3& p : points) centre += p;
    centre *= 1.0f / float(points.size());
    radius = 0;
    for (const D3DXVECTOR3& p : points) {
        const D3DXVECTOR3 d = p - centre;
        radius = std::max(radius, std::sqrt(D3DXVec3Dot(&d, &d)));
    }
}

const Json* MeshNamed(const Json& report, const std::string& name) {
    for (const Json& mesh : report["mesh_list"].items)
        if (mesh["name"].text == name) return &mesh;
    return nullptr;
}

void ExpectSampleReport(const Json& report, const std::string& gloveName) {
    EXPECT_EQ(report["frames"]["count"].number, 4);
    EXPECT_EQ(report["frames"]["depth"].number, 3);
    ASSERT_EQ(report["mesh_list"].items.size(), 2u);
    EXPECT_EQ(report["meshes"].number, 2);

    const assets::Model model = SampleModel();
    const assets::Mesh& hullSource = model.frames[0].meshes[0];
    const assets::Mesh& gloveSource = model.frames[0].children[0].children[0].meshes[0];
    const Json* hull = MeshNamed(report, "hull");
    const Json* glove = MeshNamed(report, gloveName);
    ASSERT_NE(hull, nullptr);
    ASSERT_NE(glove, nullptr);
    EXPECT_EQ((*hull)["vertices"].number, hullSource.positions.size());
    EXPECT_EQ((*hull)["faces"].number, hullSource.faces.size());
    EXPECT_EQ((*hull)["materials"].number, hullSource.materials.size());
    EXPECT_EQ((*hull)["subsets"].number, hullSource.materials.size());  // a rigid mesh: one per material
    for (const char* skinOnly : {"bones", "unbound_bones", "influences", "bone_combinations", "split_subset"})
        EXPECT_EQ((*hull)[skinOnly].number, 0) << skinOnly;
    EXPECT_FALSE((*hull)["second_mesh"].boolean);

    EXPECT_EQ((*glove)["vertices"].number, gloveSource.positions.size());
    EXPECT_EQ((*glove)["faces"].number, gloveSource.faces.size());
    EXPECT_EQ((*glove)["materials"].number, gloveSource.materials.size());
    EXPECT_EQ((*glove)["bones"].number, gloveSource.skin.size());
    EXPECT_EQ((*glove)["unbound_bones"].number, 1);  // "spare" names no frame any more
    // Face (0, 2, 3) reaches all three bones, which one group of the four-matrix device holds.
    EXPECT_EQ((*glove)["influences"].number, 3);
    EXPECT_EQ((*glove)["bone_combinations"].number, 1);
    EXPECT_EQ((*glove)["subsets"].number, 1);
    EXPECT_EQ((*glove)["split_subset"].number, 1);
    EXPECT_FALSE((*glove)["second_mesh"].boolean);

    EXPECT_EQ(report["faces"].number, hullSource.faces.size() + gloveSource.faces.size());
    EXPECT_EQ(report["bones"].number, gloveSource.skin.size());
    EXPECT_EQ(report["animation_sets"].number, 1);

    // Posing order: the animation read last comes first.
    const std::vector<Json>& animations = report["animation_frames"].items;
    ASSERT_EQ(animations.size(), 2u);
    EXPECT_EQ(animations[0]["target"].text, "hand");
    EXPECT_EQ(animations[0]["position_keys"].number, 3);
    EXPECT_EQ(animations[0]["rotation_keys"].number, 0);
    EXPECT_EQ(animations[0]["last_key_time"].number, 9600);
    EXPECT_EQ(animations[1]["target"].text, "arm");
    EXPECT_EQ(animations[1]["rotation_keys"].number, 2);
    EXPECT_EQ(animations[1]["last_key_time"].number, 4800);

    D3DXVECTOR3 centre;
    float radius = 0;
    SampleBounds(centre, radius);
    const std::vector<Json>& c = report["centre"].items;
    ASSERT_EQ(c.size(), 3u);
    EXPECT_NEAR(c[0].number, centre.x, 1e-4);
    EXPECT_NEAR(c[1].number, centre.y, 1e-4);
    EXPECT_NEAR(c[2].number, centre.z, 1e-4);
    EXPECT_NEAR(report["radius"].number, radius, 1e-4);
}

class XinfoOwnFiles : public XinfoFolder {};

TEST_F(XinfoOwnFiles, TextAndBinaryFilesReportTheirMeshesFramesAnimationsAndBounds) {
    Write("sample.x", SampleText());
    Write("sample_bin.x", SampleBinary());
    const Json text = Report(Xinfo({"sample.x"}, folder_));
    EXPECT_EQ(text["file"].text, "sample.x");
    {
        SCOPED_TRACE("text");
        ExpectSampleReport(text, "glove");
    }
    const Json binary = Report(Xinfo({"sample_bin.x"}, folder_));
    {
        SCOPED_TRACE("binary");
        ExpectSampleReport(binary, kEscapedName);
    }
    // Two files in one run: one line each, in order.
    const ProgramRun both = Xinfo({"sample.x", "sample_bin.x"}, folder_);
    EXPECT_EQ(both.code, 0) << both.err;
    const std::vector<std::string> lines = both.OutLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Parse(lines[0]), text);
    EXPECT_EQ(Parse(lines[1]), binary);
}

TEST_F(XinfoOwnFiles, NamesAreEscapedSoTheJsonReadsBackToThem) {
    // A file name with quotes, a backslash and control characters, and a mesh name with more.
    const std::string fileName("we\"ird\\na\x02me\x1f.x", 14);
    Write(fileName, SampleBinary());
    const ProgramRun run = Xinfo({fileName}, folder_);
    // No raw control character may stand in the JSON text; the reader refuses them too.
    for (const std::string& line : run.OutLines())
        EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            << line;
    const Json report = Report(run);
    EXPECT_EQ(report["file"].text, fileName);
    EXPECT_NE(MeshNamed(report, kEscapedName), nullptr) << run.out;
}

// ---- Options ----

class XinfoOptions : public XinfoFolder {};

TEST_F(XinfoOptions, HelpVersionAndUnknownOptions) {
    const ProgramRun help = Xinfo({"--help"}, folder_);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("usage: orrery3d-xinfo", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    EXPECT_TRUE(help.err.empty()) << help.err;

    const ProgramRun version = Xinfo({"--version"}, folder_);
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("orrery3d-xinfo ") + kProgramVersion + "\n");
    EXPECT_TRUE(version.err.empty()) << version.err;

    // An option the program does not know is an error even beside a good file.
    Write("sample.x", SampleText());
    const ProgramRun unknown = Xinfo({"--verbose", "sample.x"}, folder_);
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.out.empty()) << unknown.out;
    EXPECT_NE(unknown.err.find("unknown option --verbose"), std::string::npos) << unknown.err;

    // After "--" every argument is a file, whatever it looks like.
    Write("--help", SampleText());
    const Json named = Report(Xinfo({"--", "--help"}, folder_));
    EXPECT_EQ(named["file"].text, "--help");

    const ProgramRun none = Xinfo({}, folder_);
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("usage: orrery3d-xinfo"), std::string::npos) << none.err;
}

// ---- Files that are not files ----

TEST_F(XinfoFolder, FifoAndFolderAreRefusedAndLaterFilesStillReport) {
    ASSERT_EQ(::mkfifo((folder_ / "f.x").c_str(), 0600), 0);
    fs::create_directory(folder_ / "d.x");
    Write("sample.x", SampleText());
    const ProgramRun run = Xinfo({"f.x", "d.x", "sample.x"}, folder_);
    ASSERT_FALSE(run.timedOut) << "a FIFO held the program up";
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("f.x: cannot be opened: not a regular file"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("d.x: cannot be opened: not a regular file"), std::string::npos) << run.err;
    const std::vector<std::string> lines = run.OutLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Parse(lines[0])["file"].text, "sample.x");
}

// ---- Files from other tools ----

class XinfoSharedFiles : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::is_directory(kFiles)) GTEST_SKIP() << kFiles << " is absent";
    }
};

TEST_F(XinfoSharedFiles, TotalsAgreeWithTheIndependentImporter) {
    struct Expected {
        const char* file;
        double faces, bones, sets;
    };
    const Expected table[] = {
        {"dwarf.x", 1896, 40, 1},       {"anim_test.x", 840, 4, 1},
        {"cube_text.x", 12, 1, 0},      {"cube_binary.x", 12, 1, 0},
        {"cube_compressed.x", 12, 1, 0}, {"cube_vertex_colours.x", 12, 0, 0},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.file);
        const Json report = Report(Xinfo({e.file}, kFiles));
        EXPECT_EQ(report["faces"].number, e.faces);
        EXPECT_EQ(report["bones"].number, e.bones);
        EXPECT_EQ(report["animation_sets"].number, e.sets);
    }
}

TEST_F(XinfoSharedFiles, EncodingsOfOneCubeGiveTheSameReport) {
    const Json text = Report(Xinfo({"cube_text.x"}, kFiles));
    ASSERT_TRUE(text.Has("mesh_list"));
    EXPECT_EQ(WithoutFile(Report(Xinfo({"cube_binary.x"}, kFiles))), WithoutFile(text));
    EXPECT_EQ(WithoutFile(Report(Xinfo({"cube_compressed.x"}, kFiles))), WithoutFile(text));
}

TEST_F(XinfoSharedFiles, BadFilesFailWithAMessageAndOthersStillReport) {
    const ProgramRun empty = Xinfo({"empty.x"}, kFiles);
    ASSERT_TRUE(empty.exited);
    EXPECT_NE(empty.code, 0);
    EXPECT_TRUE(empty.out.empty());
    EXPECT_NE(empty.err.find("empty.x"), std::string::npos) << empty.err;

    const ProgramRun missing = Xinfo({"no_such_file.x", "cube_text.x"}, kFiles);
    ASSERT_TRUE(missing.exited);
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no_such_file.x: cannot be opened: No such file or directory"), std::string::npos)
        << missing.err;
    const std::vector<std::string> lines = missing.OutLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Parse(lines[0])["faces"].number, 12);

    // Either loads or fails cleanly; never a crash.
    for (const char* file : {"maya_cube.x", "malformed_skinweights.x"}) {
        const ProgramRun run = Xinfo({file}, kFiles);
        EXPECT_TRUE(run.exited) << file;
        EXPECT_TRUE(run.code == 0 || run.code == 1) << file;
        if (run.code == 1) {
            EXPECT_FALSE(run.err.empty()) << file;
        }
    }
}

TEST_F(XinfoSharedFiles, EveryFileInTheFolderLoadsOrFailsCleanly) {
    for (const auto& entry : fs::directory_iterator(kFiles)) {
        if (entry.path().extension() != ".x") continue;
        const ProgramRun run = Xinfo({entry.path().filename().string()}, kFiles);
        SCOPED_TRACE(entry.path().filename().string());
        ASSERT_TRUE(run.exited);
        EXPECT_TRUE(run.code == 0 || run.code == 1);
        EXPECT_EQ(run.code == 0, !run.out.empty());
        if (run.code == 0) Parse(run.OutLines().at(0));
    }
}

}  // namespace
