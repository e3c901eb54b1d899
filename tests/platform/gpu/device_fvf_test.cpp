// Vertex format decoding: sizes and element offsets of the formats the engine and X meshes use.
#include <gtest/gtest.h>

#include "platform/gpu/fvf.h"

namespace {

using gpu::DecodeFvf;
using gpu::FvfVertexSize;

TEST(FvfTest, EngineFormatsHaveTheirPublishedSizes) {
    EXPECT_EQ(FvfVertexSize(0x102), 20u);  // XYZ | TEX1
    EXPECT_EQ(FvfVertexSize(0x144), 28u);  // XYZRHW | DIFFUSE | TEX1
    EXPECT_EQ(FvfVertexSize(0x44), 20u);   // XYZRHW | DIFFUSE
    EXPECT_EQ(FvfVertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1), 32u);
    EXPECT_EQ(FvfVertexSize(D3DFVF_XYZ | D3DFVF_DIFFUSE), 16u);
    EXPECT_EQ(FvfVertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2), 48u);
}

TEST(FvfTest, ElementOffsetsFollowTheFixedOrder) {
    auto l = DecodeFvf(D3DFVF_XYZRHW | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2);
    ASSERT_TRUE(l.valid);
    EXPECT_TRUE(l.pretransformed);
    EXPECT_EQ(l.positionFloats, 4u);
    EXPECT_EQ(l.normal, 16);
    EXPECT_EQ(l.pointSize, 28);
    EXPECT_EQ(l.diffuse, 32);
    EXPECT_EQ(l.specular, 36);
    EXPECT_EQ(l.texCount, 2u);
    EXPECT_EQ(l.texOffset[0], 40u);
    EXPECT_EQ(l.texOffset[1], 48u);
    EXPECT_EQ(l.stride, 56u);
    auto plain = DecodeFvf(D3DFVF_XYZ);
    EXPECT_EQ(plain.normal, -1);
    EXPECT_EQ(plain.diffuse, -1);
    EXPECT_EQ(plain.stride, 12u);
}

TEST(FvfTest, BlendWeightsSitBetweenPositionAndNormal) {
    for (DWORD betas = 1; betas <= 5; ++betas) {
        const DWORD position = D3DFVF_XYZB1 + 2 * (betas - 1);
        auto l = DecodeFvf(position | D3DFVF_NORMAL | D3DFVF_TEX1);
        ASSERT_TRUE(l.valid) << betas;
        EXPECT_EQ(l.betas, betas);
        EXPECT_EQ(l.weights, betas);
        EXPECT_EQ(l.normal, static_cast<int>(12 + 4 * betas));
        EXPECT_EQ(l.stride, 12 + 4 * betas + 12 + 8);
    }
    // The last beta holds matrix indices: one weight fewer, same size.
    auto indexed = DecodeFvf(D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL);
    EXPECT_TRUE(indexed.lastBetaUbyte4);
    EXPECT_EQ(indexed.weights, 3u);
    EXPECT_EQ(indexed.stride, 12u + 16u + 12u);
}

TEST(FvfTest, TexCoordSizeBitsChangeTheSetWidths) {
    const DWORD fvf = D3DFVF_XYZ | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE3(1) |
                      D3DFVF_TEXCOORDSIZE4(2);
    auto l = DecodeFvf(fvf);
    ASSERT_TRUE(l.valid);
    EXPECT_EQ(l.texSize[0], 1u);
    EXPECT_EQ(l.texSize[1], 3u);
    EXPECT_EQ(l.texSize[2], 4u);
    EXPECT_EQ(l.texOffset[1], 16u);
    EXPECT_EQ(l.texOffset[2], 28u);
    EXPECT_EQ(l.stride, 44u);
    EXPECT_EQ(FvfVertexSize(D3DFVF_XYZ | D3DFVF_TEX8), 12u + 8 * 8u);
}

TEST(FvfTest, FormatsThatCannotBeDrawnHaveNoSize) {
    EXPECT_EQ(FvfVertexSize(0), 0u);
    EXPECT_EQ(FvfVertexSize(D3DFVF_NORMAL | D3DFVF_DIFFUSE), 0u);  // no position
    EXPECT_EQ(FvfVertexSize(D3DFVF_XYZ | (9u << D3DFVF_TEXCOUNT_SHIFT)), 0u);
    static_assert(FvfVertexSize(0x144) == 28, "usable at compile time");
}

}  // namespace
