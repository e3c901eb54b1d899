#include "scene/x_loader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/error_reporter.h"
#include "scene/frame_tree.h"
#include "tests/scene/skin_fixture.h"

namespace {

namespace fs = std::filesystem;

const char kFrames[] = R"(xof 0303txt 0032
Frame c1 {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 5.0,6.0,7.0,1.0;; }
  Frame inner { }
}
Frame c2 { Frame dup { } }
Frame c3 { }
Frame dup { }
)";

// Writes files into a directory of the test's own and loads them as a model does.
class LoaderTest : public scenetest::FileDeviceTest {
protected:
    // Loads `text` (after the frame set above) into model; returns the hierarchy.
    ModelHierarchy* LoadText(AnimatedModel& model, const std::string& text, const std::string& name = "m.x") {
        EXPECT_EQ(model.Load(Write(name, text).c_str()), S_OK);
        return model.currentHierarchy;
    }

    static std::vector<std::string> Children(const ModelFrame& f) {
        std::vector<std::string> names;
        for (const ModelFrame* c = f.firstChild.get(); c; c = c->sibling.get()) names.push_back(c->name.value_or("-"));
        return names;
    }

    static std::vector<const ModelFrame*> Animations(const ModelHierarchy& h) {
        std::vector<const ModelFrame*> list;
        for (const ModelFrame* a = h.animationList; a; a = a->nextAnimationFrame) list.push_back(a);
        return list;
    }

};

TEST_F(LoaderTest, FramesStandInLinkOrderWithTheirMatrices) {
    AnimatedModel model;
    ModelHierarchy* h = LoadText(model, kFrames);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Children(*h->root), (std::vector<std::string>{"c1", "dup", "c3", "c2"}));
    ModelFrame* c1 = FindFrameByName(h->root->firstChild.get(), "c1");
    ASSERT_NE(c1, nullptr);
    EXPECT_EQ(c1->local._41, 5.0f);
    EXPECT_EQ(c1->initial._43, 7.0f);
    // "dup" inside c2 comes after the top-level one in search order (c1, dup, c3, c2).
    EXPECT_EQ(FindFrameByName(h->root->firstChild.get(), "dup"), h->root->firstChild->sibling.get());
    EXPECT_EQ(h->name, (dir / "m.x").string());
    EXPECT_EQ(h->clock, 0.0f);
    // No vertices at all: centre 0, radius 0, root moved by nothing.
    EXPECT_EQ(h->radius, 0.0f);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&h->root->local));
}

TEST_F(LoaderTest, AnimationsReadKeysTargetsAndStopAtTheirFirstError) {
    const std::string text = std::string(kFrames) + R"(
AnimationSet walk {
  Animation first {
    {c1}
    AnimationKey { 0; 2; 0; 4; 1.0, 0.0, 0.0, 0.0;;, 4800; 4; 0.0, 1.0, 0.0, 0.0;;; }
    AnimationKey { 2; 1; 0; 3; 1.0, 2.0, 3.0;;; }
    AnimationOptions { 1; 0; }
  }
  Animation duplicate {
    AnimationKey { 2; 1; 0; 3; 1.0, 2.0, 3.0;;; }
    AnimationKey { 2; 1; 0; 3; 9.0, 9.0, 9.0;;; }
    {c3}
  }
  Animation skipped { {c2} }
}
Animation unsupported {
  AnimationKey { 3; 1; 0; 3; 1.0, 2.0, 3.0;;; }
  {c2}
}
Animation missing { {nowhere} AnimationKey { 1; 1; 0; 3; 2.0, 2.0, 2.0;;; } }
Animation matrices {
  AnimationKey { 4; 1; 100; 16; 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 4.0,0.0,0.0,1.0;;; }
  {c3}
}
)";
    AnimatedModel model;
    ModelHierarchy* h = LoadText(model, text);
    ASSERT_NE(h, nullptr);
    const auto list = Animations(*h);
    // Read last stands first; the set's third Animation is not read after the failing second.
    ASSERT_EQ(list.size(), 5u);
    const ModelFrame* matrices = list[0];
    const ModelFrame* missing = list[1];
    const ModelFrame* unsupported = list[2];
    const ModelFrame* duplicate = list[3];
    const ModelFrame* first = list[4];

    ASSERT_EQ(first->rotationKeys.size(), 2u);
    EXPECT_EQ(first->rotationKeys[0].x, 0.0f);
    EXPECT_EQ(first->rotationKeys[0].w, 1.0f);
    EXPECT_EQ(first->rotationKeys[1].time, 4800u);
    EXPECT_EQ(first->rotationKeys[1].x, 1.0f);
    EXPECT_EQ(first->rotationKeys[1].w, 0.0f);
    ASSERT_EQ(first->positionKeys.size(), 1u);
    EXPECT_EQ(first->positionKeys[0].z, 3.0f);
    ASSERT_NE(first->target, nullptr);
    EXPECT_EQ(*first->target->name, "c1");
    EXPECT_TRUE(first->isAnimationFrame);

    ASSERT_EQ(duplicate->positionKeys.size(), 1u);
    EXPECT_EQ(duplicate->positionKeys[0].x, 1.0f);
    EXPECT_EQ(duplicate->target, nullptr);  // the reference after the error is not read
    EXPECT_TRUE(unsupported->positionKeys.empty() && unsupported->scaleKeys.empty());
    EXPECT_EQ(unsupported->target, nullptr);
    EXPECT_EQ(missing->target, nullptr);
    EXPECT_TRUE(missing->scaleKeys.empty());
    ASSERT_EQ(matrices->matrixKeys.size(), 1u);
    EXPECT_EQ(matrices->matrixKeys[0].time, 100u);
    EXPECT_EQ(matrices->matrixKeys[0].m[12], 4.0f);
    EXPECT_EQ(*matrices->target->name, "c3");

    // The set frame is an animation frame in the tree but not on the list.
    const ModelFrame* set = FindFrameByName(h->root->firstChild.get(), "walk");
    ASSERT_NE(set, nullptr);
    EXPECT_TRUE(set->isAnimationFrame);
    for (const ModelFrame* a : list) EXPECT_NE(a, set);

    // Posing moves c3 by the matrix key; the untargeted frames are skipped.
    model.AdvanceTime(0.01f);
    EXPECT_EQ(FindFrameByName(h->root->firstChild.get(), "c3")->local._41, 4.0f);
}

TEST_F(LoaderTest, AnAnimationThatStopsEarlyIsReportedOnceWithItsModelAndCause) {
    const std::string text = std::string(kFrames) + R"(
Frame holder {
  AnimationSet run {
    Animation twice {
      AnimationKey { 1; 1; 0; 3; 1.0, 1.0, 1.0;;; }
      AnimationKey { 1; 1; 0; 3; 2.0, 2.0, 2.0;;; }
    }
    Animation fine { {c1} }
  }
}
Animation odd { AnimationKey { 3; 1; 0; 3; 1.0, 2.0, 3.0;;; } }
Animation stray { {c2} {c3} }
Animation short { AnimationKey { 2; 1; 0; 2; 1.0, 2.0;;; } }
AnimationSet good { Animation g { {c1} AnimationKey { 2; 1; 0; 3; 1.0, 2.0, 3.0;;; } } }
)";
    AnimatedModel model;
    testing::internal::CaptureStderr();
    ModelHierarchy* h = LoadText(model, text, "stops.x");
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_NE(h, nullptr) << err;
    // The load goes on: the sound set after the broken ones is read whole.
    EXPECT_NE(FindFrameByName(h->root->firstChild.get(), "good"), nullptr);

    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = err.find('\n', at)) != std::string::npos; at = end + 1) {
        lines.push_back(err.substr(at, end - at));
    }
    ASSERT_EQ(lines.size(), 4u) << err;
    const std::string model_ = "model \"" + (dir / "stops.x").string() + "\"";
    const std::vector<std::vector<std::string>> expected = {
        {"animation set 'run' in frame 'holder'", "a second AnimationKey of scale keys"},
        {"animation 'odd' at the top level", "unknown key type 3"},
        {"animation 'stray' at the top level", "a second target frame"},
        {"animation 'short' at the top level", "fewer values than its keys need"},
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(lines[i].rfind("scene: " + model_ + ": ", 0), 0u);
        for (const std::string& part : expected[i]) EXPECT_NE(lines[i].find(part), std::string::npos) << part;
        EXPECT_NE(lines[i].find("(0x80070057)"), std::string::npos);
    }
}

TEST_F(LoaderTest, FrameEndingInAReferenceStillLoads) {
    AnimatedModel model;
    ModelHierarchy* h = LoadText(model, std::string(kFrames) + "Frame holder { Frame kid { } {c3} }\n");
    ASSERT_NE(h, nullptr);
    const ModelFrame* holder = FindFrameByName(h->root->firstChild.get(), "holder");
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(Children(*holder), (std::vector<std::string>{"kid"}));
}

TEST_F(LoaderTest, RenderTurnsThenMovesTheTree) {
    AnimatedModel model;
    ModelHierarchy* h = LoadText(model, kFrames);
    ASSERT_NE(h, nullptr);
    model.rotation = D3DXVECTOR3(0.0f, 0.0f, 1.5f);
    model.position = D3DXVECTOR3(1820.0f, -920.0f, 18.5f);
    ASSERT_EQ(model.Render(), S_OK);
    // c1's origin sits at (5, 6, 7) in the model: turned 1.5 rad about Z, then moved.
    const ModelFrame* c1 = FindFrameByName(h->root->firstChild.get(), "c1");
    const D3DXVECTOR3 origin(0, 0, 0);
    D3DXVECTOR3 p;
    D3DXVec3TransformCoord(&p, &origin, &c1->combined);
    EXPECT_NEAR(p.x, 1820.0f + 5.0f * std::cos(1.5f) - 6.0f * std::sin(1.5f), 1e-3f);
    EXPECT_NEAR(p.y, -920.0f + 5.0f * std::sin(1.5f) + 6.0f * std::cos(1.5f), 1e-3f);
    EXPECT_NEAR(p.z, 25.5f, 1e-3f);
}

TEST_F(LoaderTest, FailedFindsAndParsesLeaveTheModelAsItWas) {
    AnimatedModel model;
    const std::string missing = (dir / "absent.x").string();
    EXPECT_EQ(model.Load(missing.c_str()), E_FAIL);
    EXPECT_STREQ(ErrorReporter::Instance().detail, missing.c_str());
    EXPECT_EQ(model.currentHierarchy, nullptr);
    EXPECT_EQ(model.Render(), S_OK);
    EXPECT_EQ(model.Load(nullptr), E_INVALIDARG);
    EXPECT_EQ(model.Load(dir.string().c_str()), E_FAIL);  // a directory is not a file

    ModelHierarchy* first = LoadText(model, kFrames, "a.x");
    ASSERT_NE(first, nullptr);
    // A file that exists but does not parse: Load succeeds, the model keeps its hierarchy.
    EXPECT_EQ(model.Load(Write("broken.x", "xof 0303txt 0032\nFrame { Frame \n").c_str()), S_OK);
    EXPECT_EQ(model.currentHierarchy, first);
    EXPECT_EQ(model.Load(Write("empty.x", "").c_str()), S_OK);
    EXPECT_EQ(model.currentHierarchy, first);
    // A second good load replaces the first.
    ModelHierarchy* second = LoadText(model, "xof 0303txt 0032\nFrame only { }\n", "b.x");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(model.hierarchies.get(), second);
    EXPECT_EQ(second->next, nullptr);
    EXPECT_EQ(Children(*second->root), (std::vector<std::string>{"only"}));
}

TEST_F(LoaderTest, FilesThatCannotBeOpenedAreNamedOnStderr) {
    struct Case {
        std::string name, message;
    };
    const std::string missing = (dir / "run1.x").string();
    const Case cases[] = {
        {missing, missing + ": cannot open: No such file or directory\n"},
        {dir.string(), dir.string() + ": cannot open: not a regular file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnimatedModel model;
        testing::internal::CaptureStderr();
        EXPECT_EQ(model.Load(c.name.c_str()), E_FAIL);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
        EXPECT_STREQ(ErrorReporter::Instance().detail, c.name.c_str());
        EXPECT_EQ(model.currentHierarchy, nullptr);
    }
    // A name that does not fit is told once, by the check itself.
    AnimatedModel model;
    testing::internal::CaptureStderr();
    EXPECT_EQ(model.Load(std::string(300, 'a').c_str()), E_FAIL);
    const std::string overlong = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(overlong.begin(), overlong.end(), '\n'), 1) << overlong;
    EXPECT_NE(overlong.find("too long"), std::string::npos) << overlong;
}

TEST_F(LoaderTest, ShortAndOverlongPathsAreRefused) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    Write("x", kFrames);
    AnimatedModel model;
    // "x" exists, but a one-character path fails the load before the file is opened.
    EXPECT_EQ(model.Load("x"), S_OK);
    EXPECT_EQ(model.currentHierarchy, nullptr);
    EXPECT_EQ(LoadHierarchy(model), E_FAIL);
    fs::current_path(previous);

    char path[AnimatedModel::kPathCapacity];
    const std::string longName(300, 'a');
    EXPECT_EQ(FindFile(path, longName.c_str()), E_FAIL);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(FindFile(nullptr, "x"), E_INVALIDARG);
    EXPECT_EQ(model.Load(longName.c_str()), E_FAIL);
    EXPECT_EQ(std::string(ErrorReporter::Instance().detail).size(), ErrorReporter::kDetailCapacity - 1);
}

}  // namespace
