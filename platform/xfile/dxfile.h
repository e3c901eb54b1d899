// The X file services: a reader of the DirectX X file format (text, binary and their
// MSZIP-compressed forms) behind the published DirectXFile object model.
//
// A caller creates the service object with DirectXFileCreate, registers templates (the
// standard set is D3DRM_XTEMPLATES below), opens an enumeration of a file or a memory block
// and walks its top-level data objects. Each data object exposes its template identity, its
// optional name and GUID, its data and its child objects; a child is a data object, a
// reference to another data object, or a binary object.
//
// Data layout of GetData: the members of the object's template, in order, packed without
// padding. WORD 2 bytes, DWORD/SDWORD 4, FLOAT 4, DOUBLE 8, CHAR/UCHAR 1; arrays are stored
// inline (their element count is a previous member or a constant); members of a template type
// are stored inline with their own layout; STRING/LPSTR/CSTRING members are stored as a
// pointer (char*) to a NUL-terminated copy owned by the data object. Floats stored as doubles
// in "0064" files are returned as 4-byte floats when the template member is FLOAT.
//
// Every call returns a result code; failures are negative DXFILEERR_ values and are also
// described on stderr with the file name and the position of the fault.
#pragma once

#include "platform/com/unknown.h"
#include "platform/com/win_types.h"

// ---- Result codes (facility 0x876) ------------------------------------------------------------

constexpr HRESULT MakeDxFileError(DWORD code) { return static_cast<HRESULT>(0x88760000u | code); }

constexpr HRESULT DXFILE_OK = 0;
constexpr HRESULT DXFILEERR_BADOBJECT = MakeDxFileError(850);
constexpr HRESULT DXFILEERR_BADVALUE = MakeDxFileError(851);
constexpr HRESULT DXFILEERR_BADTYPE = MakeDxFileError(852);
constexpr HRESULT DXFILEERR_BADSTREAMHANDLE = MakeDxFileError(853);
constexpr HRESULT DXFILEERR_BADALLOC = MakeDxFileError(854);
constexpr HRESULT DXFILEERR_NOTFOUND = MakeDxFileError(855);
constexpr HRESULT DXFILEERR_NOTDONEYET = MakeDxFileError(856);
constexpr HRESULT DXFILEERR_FILENOTFOUND = MakeDxFileError(857);
constexpr HRESULT DXFILEERR_RESOURCENOTFOUND = MakeDxFileError(858);
constexpr HRESULT DXFILEERR_URLNOTFOUND = MakeDxFileError(859);
constexpr HRESULT DXFILEERR_BADRESOURCE = MakeDxFileError(860);
constexpr HRESULT DXFILEERR_BADFILETYPE = MakeDxFileError(861);
constexpr HRESULT DXFILEERR_BADFILEVERSION = MakeDxFileError(862);
constexpr HRESULT DXFILEERR_BADFILEFLOATSIZE = MakeDxFileError(863);
constexpr HRESULT DXFILEERR_BADFILECOMPRESSIONTYPE = MakeDxFileError(864);
constexpr HRESULT DXFILEERR_BADFILE = MakeDxFileError(865);
constexpr HRESULT DXFILEERR_PARSEERROR = MakeDxFileError(866);
constexpr HRESULT DXFILEERR_NOTEMPLATE = MakeDxFileError(867);
constexpr HRESULT DXFILEERR_BADARRAYSIZE = MakeDxFileError(868);
constexpr HRESULT DXFILEERR_BADDATAREFERENCE = MakeDxFileError(869);
constexpr HRESULT DXFILEERR_INTERNALERROR = MakeDxFileError(870);
constexpr HRESULT DXFILEERR_NOMOREOBJECTS = MakeDxFileError(871);
constexpr HRESULT DXFILEERR_BADINTRINSICS = MakeDxFileError(872);
constexpr HRESULT DXFILEERR_NOMORESTREAMHANDLES = MakeDxFileError(873);
constexpr HRESULT DXFILEERR_NOMOREDATA = MakeDxFileError(874);
constexpr HRESULT DXFILEERR_BADCACHEFILE = MakeDxFileError(875);
constexpr HRESULT DXFILEERR_NOINTERNET = MakeDxFileError(876);

// ---- Load options ---------------------------------------------------------------------------

using DXFILELOADOPTIONS = DWORD;
constexpr DXFILELOADOPTIONS DXFILELOAD_FROMFILE = 0x00;
constexpr DXFILELOADOPTIONS DXFILELOAD_FROMMEMORY = 0x02;

// Source for DXFILELOAD_FROMMEMORY. The memory must stay valid while the enumeration lives.
struct DXFILELOADMEMORY {
    const void* lpMemory;
    DWORD dSize;
};

// ---- AnimationKey key types ------------------------------------------------------------------

// The keyType member of an AnimationKey: what the values of each of its keys hold.
constexpr DWORD DXFILEKEY_ROTATION = 0;  // a quaternion, written w, x, y, z
constexpr DWORD DXFILEKEY_SCALE = 1;     // x, y and z scale factors
constexpr DWORD DXFILEKEY_POSITION = 2;  // an x, y, z translation
constexpr DWORD DXFILEKEY_MATRIX = 4;    // a 4x4 matrix, 16 floats row by row

// ---- Interface identities ----------------------------------------------------------------------

constexpr IID IID_IDirectXFileObject = {0x3D82AB4B, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr IID IID_IDirectXFileData = {0x3D82AB4C, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr IID IID_IDirectXFileDataReference = {0x3D82AB4D, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr IID IID_IDirectXFileBinary = {0x3D82AB4E, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};

// ---- Objects --------------------------------------------------------------------------------

class IDirectXFileData;

// Common to data objects, references and binary objects.
class IDirectXFileObject : public IUnknown {
public:
    // Succeeds (and adds a reference) when this object implements the interface `riid`.
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    // Two-call form: with `name` null, writes the length including the terminator to *length
    // (0 when the object has no name). Otherwise copies the NUL-terminated name; a buffer
    // shorter than the name gives DXFILEERR_BADVALUE.
    virtual HRESULT GetName(char* name, DWORD* length) = 0;
    // The object's GUID; all zero when the file gives none.
    virtual HRESULT GetId(GUID* id) = 0;
};

class IDirectXFileData : public IDirectXFileObject {
public:
    // `member` null: the whole object's data (see the layout above). Otherwise the named
    // member of the template. The pointer stays valid while the object lives.
    virtual HRESULT GetData(const char* member, DWORD* size, void** data) = 0;
    // The template identity of the object. The pointer stays valid while the object lives.
    virtual HRESULT GetType(const GUID** type) = 0;
    // The next child object in file order (data object, reference or binary object), with a
    // reference for the caller; DXFILEERR_NOMOREOBJECTS after the last one.
    virtual HRESULT GetNextObject(IDirectXFileObject** child) = 0;
};

class IDirectXFileDataReference : public IDirectXFileObject {
public:
    // The data object the reference names (by name or GUID); DXFILEERR_NOTFOUND if none.
    virtual HRESULT Resolve(IDirectXFileData** data) = 0;
};

class IDirectXFileBinary : public IDirectXFileObject {
public:
    virtual HRESULT GetSize(DWORD* size) = 0;
    virtual HRESULT GetMimeType(const char** mimeType) = 0;
    virtual HRESULT Read(void* data, DWORD size, DWORD* read) = 0;
};

class IDirectXFileEnumObject : public IUnknown {
public:
    // The next top-level data object, with a reference for the caller; DXFILEERR_NOMOREOBJECTS
    // after the last one, or a parse error code for a malformed file.
    virtual HRESULT GetNextDataObject(IDirectXFileData** data) = 0;
    virtual HRESULT GetDataObjectById(REFGUID id, IDirectXFileData** data) = 0;
    virtual HRESULT GetDataObjectByName(const char* name, IDirectXFileData** data) = 0;
};

class IDirectXFile : public IUnknown {
public:
    // `source`: a file name (DXFILELOAD_FROMFILE) or a DXFILELOADMEMORY (DXFILELOAD_FROMMEMORY).
    virtual HRESULT CreateEnumObject(const void* source, DXFILELOADOPTIONS options, IDirectXFileEnumObject** enumObject) = 0;
    // Registers the templates declared in an X file held in memory (any of its formats).
    virtual HRESULT RegisterTemplates(const void* data, DWORD size) = 0;
};

HRESULT DirectXFileCreate(IDirectXFile** file);

// The standard template set (and the skinning templates XSkinMeshHeader,
// VertexDuplicationIndices and SkinWeights) as an X file to pass to RegisterTemplates.
extern const char D3DRM_XTEMPLATES[];
extern const DWORD D3DRM_XTEMPLATE_BYTES;

// ---- Standard template identities ------------------------------------------------------------

constexpr GUID TID_D3DRMHeader = {0x3D82AB43, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMVector = {0x3D82AB5E, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMCoords2d = {0xF6F23F44, 0x7686, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMMatrix4x4 = {0xF6F23F45, 0x7686, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMColorRGBA = {0x35FF44E0, 0x6C7C, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMColorRGB = {0xD3E16E81, 0x7835, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMIndexedColor = {0x1630B820, 0x7842, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMBoolean = {0x4885AE61, 0x78E8, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMBoolean2d = {0x4885AE63, 0x78E8, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMMaterialWrap = {0x4885AE60, 0x78E8, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMTextureFilename = {0xA42790E1, 0x7810, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMMaterial = {0x3D82AB4D, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMMeshFace = {0x3D82AB5F, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMMeshFaceWraps = {0x4885AE62, 0x78E8, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMMeshTextureCoords = {0xF6F23F40, 0x7686, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMMeshMaterialList = {0xF6F23F42, 0x7686, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMMeshNormals = {0xF6F23F43, 0x7686, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMMeshVertexColors = {0x1630B821, 0x7842, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMMesh = {0x3D82AB44, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMFrameTransformMatrix = {0xF6F23F41, 0x7686, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMFrame = {0x3D82AB46, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMFloatKeys = {0x10DD46A9, 0x775B, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMTimedFloatKeys = {0xF406B180, 0x7B3B, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMAnimationKey = {0x10DD46A8, 0x775B, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMAnimationOptions = {0xE2BF56C0, 0x840F, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMAnimation = {0x3D82AB4F, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMAnimationSet = {0x3D82AB50, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMInlineData = {0x3A23EEA0, 0x94B1, 0x11D0, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMUrl = {0x3A23EEA1, 0x94B1, 0x11D0, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
constexpr GUID TID_D3DRMProgressiveMesh = {0x8A63C360, 0x997D, 0x11D0, {0x94, 0x1C, 0x00, 0x80, 0xC8, 0x0C, 0xFA, 0x7B}};
constexpr GUID TID_D3DRMGuid = {0xA42790E0, 0x7810, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
constexpr GUID TID_D3DRMStringProperty = {0x7F0F21E0, 0xBFE1, 0x11D1, {0x82, 0xC0, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x71}};
constexpr GUID TID_D3DRMPropertyBag = {0x7F0F21E1, 0xBFE1, 0x11D1, {0x82, 0xC0, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x71}};
constexpr GUID TID_D3DRMExternalVisual = {0x98116AA0, 0xBDBA, 0x11D1, {0x82, 0xC0, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x71}};
constexpr GUID TID_D3DRMRightHanded = {0x7F5D5EA0, 0xD53A, 0x11D1, {0x82, 0xC0, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x71}};

// Skinning templates.
constexpr GUID DXFILEOBJ_XSkinMeshHeader = {0x3CF169CE, 0xFF7C, 0x44AB, {0x93, 0xC0, 0xF7, 0x8F, 0x62, 0xD1, 0x72, 0xE2}};
constexpr GUID DXFILEOBJ_VertexDuplicationIndices = {0xB8D65549, 0xD7C9, 0x4995, {0x89, 0xCF, 0x53, 0xA9, 0xA8, 0xB0, 0x31, 0xE3}};
constexpr GUID DXFILEOBJ_SkinWeights = {0x6F0D123B, 0xBAD2, 0x4167, {0xA0, 0xD0, 0x80, 0x22, 0x4F, 0x25, 0xFA, 0xBB}};
