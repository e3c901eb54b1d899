// The standard template set, written as an X file in text form.
#include <cstring>

#include "platform/xfile/dxfile.h"

extern const char D3DRM_XTEMPLATES[] = R"(xof 0302txt 0032
template Header {
 <3D82AB43-62DA-11CF-AB39-0020AF71E433>
 WORD major;
 WORD minor;
 DWORD flags;
}
template Vector {
 <3D82AB5E-62DA-11CF-AB39-0020AF71E433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}
template Coords2d {
 <F6F23F44-7686-11CF-8F52-0040333594A3>
 FLOAT u;
 FLOAT v;
}
template Matrix4x4 {
 <F6F23F45-7686-11CF-8F52-0040333594A3>
 array FLOAT matrix[16];
}
template ColorRGBA {
 <35FF44E0-6C7C-11CF-8F52-0040333594A3>
 FLOAT red;
 FLOAT green;
 FLOAT blue;
 FLOAT alpha;
}
template ColorRGB {
 <D3E16E81-7835-11CF-8F52-0040333594A3>
 FLOAT red;
 FLOAT green;
 FLOAT blue;
}
template IndexedColor {
 <1630B820-7842-11CF-8F52-0040333594A3>
 DWORD index;
 ColorRGBA indexColor;
}
template Boolean {
 <4885AE61-78E8-11CF-8F52-0040333594A3>
 WORD truefalse;
}
template Boolean2d {
 <4885AE63-78E8-11CF-8F52-0040333594A3>
 Boolean u;
 Boolean v;
}
template MaterialWrap {
 <4885AE60-78E8-11CF-8F52-0040333594A3>
 Boolean u;
 Boolean v;
}
template TextureFilename {
 <A42790E1-7810-11CF-8F52-0040333594A3>
 STRING filename;
}
template Material {
 <3D82AB4D-62DA-11CF-AB39-0020AF71E433>
 ColorRGBA faceColor;
 FLOAT power;
 ColorRGB specularColor;
 ColorRGB emissiveColor;
 [...]
}
template MeshFace {
 <3D82AB5F-62DA-11CF-AB39-0020AF71E433>
 DWORD nFaceVertexIndices;
 array DWORD faceVertexIndices[nFaceVertexIndices];
}
template MeshFaceWraps {
 <4885AE62-78E8-11CF-8F52-0040333594A3>
 DWORD nFaceWrapValues;
 array Boolean2d faceWrapValues[nFaceWrapValues];
}
template MeshTextureCoords {
 <F6F23F40-7686-11CF-8F52-0040333594A3>
 DWORD nTextureCoords;
 array Coords2d textureCoords[nTextureCoords];
}
template MeshMaterialList {
 <F6F23F42-7686-11CF-8F52-0040333594A3>
 DWORD nMaterials;
 DWORD nFaceIndexes;
 array DWORD faceIndexes[nFaceIndexes];
 [Material <3D82AB4D-62DA-11CF-AB39-0020AF71E433>]
}
template MeshNormals {
 <F6F23F43-7686-11CF-8F52-0040333594A3>
 DWORD nNormals;
 array Vector normals[nNormals];
 DWORD nFaceNormals;
 array MeshFace faceNormals[nFaceNormals];
}
template MeshVertexColors {
 <1630B821-7842-11CF-8F52-0040333594A3>
 DWORD nVertexColors;
 array IndexedColor vertexColors[nVertexColors];
}
template Mesh {
 <3D82AB44-62DA-11CF-AB39-0020AF71E433>
 DWORD nVertices;
 array Vector vertices[nVertices];
 DWORD nFaces;
 array MeshFace faces[nFaces];
 [...]
}
template FrameTransformMatrix {
 <F6F23F41-7686-11CF-8F52-0040333594A3>
 Matrix4x4 frameMatrix;
}
template Frame {
 <3D82AB46-62DA-11CF-AB39-0020AF71E433>
 [...]
}
template FloatKeys {
 <10DD46A9-775B-11CF-8F52-0040333594A3>
 DWORD nValues;
 array FLOAT values[nValues];
}
template TimedFloatKeys {
 <F406B180-7B3B-11CF-8F52-0040333594A3>
 DWORD time;
 FloatKeys tfkeys;
}
template AnimationKey {
 <10DD46A8-775B-11CF-8F52-0040333594A3>
 DWORD keyType;
 DWORD nKeys;
 array TimedFloatKeys keys[nKeys];
}
template AnimationOptions {
 <E2BF56C0-840F-11CF-8F52-0040333594A3>
 DWORD openclosed;
 DWORD positionquality;
}
template Animation {
 <3D82AB4F-62DA-11CF-AB39-0020AF71E433>
 [...]
}
template AnimationSet {
 <3D82AB50-62DA-11CF-AB39-0020AF71E433>
 [Animation <3D82AB4F-62DA-11CF-AB39-0020AF71E433>]
}
template InlineData {
 <3A23EEA0-94B1-11D0-AB39-0020AF71E433>
 [BINARY]
}
template Url {
 <3A23EEA1-94B1-11D0-AB39-0020AF71E433>
 DWORD nUrls;
 array STRING urls[nUrls];
}
template ProgressiveMesh {
 <8A63C360-997D-11D0-941C-0080C80CFA7B>
 [Url <3A23EEA1-94B1-11D0-AB39-0020AF71E433>, InlineData <3A23EEA0-94B1-11D0-AB39-0020AF71E433>]
}
template Guid {
 <A42790E0-7810-11CF-8F52-0040333594A3>
 DWORD data1;
 WORD data2;
 WORD data3;
 array UCHAR data4[8];
}
template StringProperty {
 <7F0F21E0-BFE1-11D1-82C0-00A0C9697271>
 STRING key;
 STRING value;
}
template PropertyBag {
 <7F0F21E1-BFE1-11D1-82C0-00A0C9697271>
 [StringProperty <7F0F21E0-BFE1-11D1-82C0-00A0C9697271>]
}
template ExternalVisual {
 <98116AA0-BDBA-11D1-82C0-00A0C9697271>
 Guid guidExternalVisual;
 [...]
}
template RightHanded {
 <7F5D5EA0-D53A-11D1-82C0-00A0C9697271>
 DWORD bRightHanded;
}
template XSkinMeshHeader {
 <3CF169CE-FF7C-44AB-93C0-F78F62D172E2>
 WORD nMaxSkinWeightsPerVertex;
 WORD nMaxSkinWeightsPerFace;
 WORD nBones;
}
template VertexDuplicationIndices {
 <B8D65549-D7C9-4995-89CF-53A9A8B031E3>
 DWORD nIndices;
 DWORD nOriginalVertices;
 array DWORD indices[nIndices];
}
template SkinWeights {
 <6F0D123B-BAD2-4167-A0D0-80224F25FABB>
 STRING transformNodeName;
 DWORD nWeights;
 array DWORD vertexIndices[nWeights];
 array FLOAT weights[nWeights];
 Matrix4x4 matrixOffset;
}
)";

extern const DWORD D3DRM_XTEMPLATE_BYTES = sizeof(D3DRM_XTEMPLATES) - 1;
