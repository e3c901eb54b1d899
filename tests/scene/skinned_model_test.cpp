// A real skinned character from another tool, drawn on a device that blends two matrices and on
// one that blends four.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "scene/animated_model.h"
#include "scene/frame_tree.h"
#include "tests/common/read_back.h"
#include "tests/scene/skin_fixture.h"

namespace {

namespace fs = std::filesystem;

const fs::path kShared = ORRERY_XFILES_DIR;

class SkinnedModelTest : public scenetest::SkinDeviceTest {
protected:
    void SetUp() override {
        if (!fs::is_directory(kShared)) GTEST_SKIP() << kShared << " is absent";
        SkinDeviceTest::SetUp();
        previous = fs::current_path();
        fs::current_path(kShared);  // the file names its textures relative to itself
    }
    void TearDown() override {
        if (!previous.empty()) fs::current_path(previous);
    }

    // Loads dwarf.x for a device blending `matrices`, poses it at `seconds` and draws it, framed by
    // the bounds of the first load (the bounds measure only the first part of a split mesh, so
    // they differ between devices).
    std::vector<std::uint32_t> Draw(DWORD matrices, float seconds, MeshContainer** container = nullptr) {
        SetBlendMatrices(matrices);
        models.push_back(std::make_unique<AnimatedModel>());
        AnimatedModel& model = *models.back();
        EXPECT_EQ(model.Load("dwarf.x"), S_OK);
        ModelHierarchy* h = model.currentHierarchy;
        if (!h) return {};
        if (container) *container = FirstSkinned(h->root.get());
        if (!framed) {
            framed = true;
            frameCentre = h->centre;
            frameRadius = h->radius;
        }
        const D3DXVECTOR3 centre = frameCentre;
        const float r = frameRadius;
        model.AdvanceTime(seconds);
        D3DXMATRIX view, projection;
        // Render below moves the centre of the character to the origin.
        const D3DXVECTOR3 eye(0.0f, 0.0f, -1.5f * r), at(0.0f, 0.0f, 0.0f), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.0f, 0.1f * r, 10.0f * r);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        // Render replaces the load's centring of the root by the model's placement.
        model.position = -centre;
        EXPECT_EQ(model.Render(), S_OK);
        device->EndScene();
        return testpixels::ReadBack(device, scenetest::kSize, scenetest::kSize).pixels;
    }

    static MeshContainer* FirstSkinned(ModelFrame* frame) {
        for (ModelFrame* f = frame; f; f = f->sibling.get()) {
            for (MeshContainer* c = f->containers.get(); c; c = c->next.get())
                if (c->skin) return c;
            if (MeshContainer* c = FirstSkinned(f->firstChild.get())) return c;
        }
        return nullptr;
    }

    static std::size_t Lit(const std::vector<std::uint32_t>& pixels) {
        std::size_t n = 0;
        for (std::uint32_t p : pixels) n += (p & 0x00FFFFFF) != 0;
        return n;
    }

    fs::path previous;
    bool framed = false;
    D3DXVECTOR3 frameCentre;
    float frameRadius = 1.0f;
    std::vector<std::unique_ptr<AnimatedModel>> models;
};

TEST_F(SkinnedModelTest, TwoMatrixDeviceDrawsTheCharacterLikeAFourMatrixOne) {
    MeshContainer* whole = nullptr;
    const auto four = Draw(4, 0.5f, &whole);
    ASSERT_NE(whole, nullptr);
    EXPECT_FALSE(whole->secondMesh);
    EXPECT_EQ(whole->splitSubset, whole->subsetCount);
    ASSERT_GT(Lit(four), 200u);
    // The textures that exist are loaded, the one that does not is left out.
    std::size_t textures = 0;
    for (const auto& t : whole->textures) textures += static_cast<bool>(t);
    EXPECT_EQ(textures, 2u);

    // On a two-matrix device every group that needs more than two bones is drawn from the
    // second mesh with software vertex processing: the picture is the four-matrix one.
    MeshContainer* split = nullptr;
    const auto two = Draw(2, 0.5f, &split);
    ASSERT_NE(split, nullptr);
    EXPECT_TRUE(split->secondMesh);
    EXPECT_LT(split->splitSubset, split->subsetCount);
    ASSERT_EQ(two.size(), four.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < two.size(); ++i) differing += ((two[i] & 0x00FFFFFF) != 0) != ((four[i] & 0x00FFFFFF) != 0);
    EXPECT_EQ(differing, 0u) << differing << " pixels covered differently";
    EXPECT_EQ(two, four) << "the split draws the same picture";
    std::printf("two-matrix device: split at %u of %u groups, %zu of %zu lit pixels covered differently\n", split->splitSubset,
                split->subsetCount, differing, Lit(four));

    // The animation moves the character.
    const auto later = Draw(4, 1.0f);
    std::size_t moved = 0;
    for (std::size_t i = 0; i < later.size(); ++i) moved += (later[i] & 0x00FFFFFF) != (four[i] & 0x00FFFFFF);
    EXPECT_GT(moved, 20u);
}

}  // namespace
