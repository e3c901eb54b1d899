// Walking the objects of an X file: the children of a data object, or the top-level data
// objects of an enumeration, in file order.
//
// Each walk hands every object to a callable that returns a result code:
//   S_FALSE  stop here: the walk is done and returns S_OK (a search that found what it wanted);
//   failure  stop here and return that code;
//   any other success (S_OK)  go on with the next object.
// DXFILEERR_NOMOREOBJECTS after the last object is the normal end (S_OK); any other failure
// of the enumeration call is returned as it is. A successful call that hands back no object
// also ends the walk, so a caller never sees a null object.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/xfile/dxfile.h"

namespace xfile {

namespace detail {

// Turns a visitor's S_FALSE (stop, nothing wrong) into the walk's success; true when the walk
// ends with *result.
inline bool WalkEnds(HRESULT visited, HRESULT* result) {
    if (visited == S_FALSE) {
        *result = S_OK;
        return true;
    }
    *result = visited;
    return FAILED(visited);
}

// The walk itself: next(&object) enumerates, visit(object) says whether to go on.
template <class Object, class Next, class Visit>
HRESULT Walk(Next&& next, Visit&& visit) {
    for (;;) {
        ComPtr<Object> object;
        HRESULT hr = next(object.Receive());
        if (hr == DXFILEERR_NOMOREOBJECTS) return S_OK;
        if (FAILED(hr)) return hr;
        if (!object) return S_OK;
        if (WalkEnds(visit(object.Get()), &hr)) return hr;
    }
}

}  // namespace detail

// Every child of `object`: data objects, references and binary objects alike.
template <class Visit>
HRESULT ForEachChild(IDirectXFileData* object, Visit&& visit) {
    return detail::Walk<IDirectXFileObject>([object](IDirectXFileObject** child) { return object->GetNextObject(child); },
                                            visit);
}

// The children of `object` that are data objects; references and binary objects are passed over.
template <class Visit>
HRESULT ForEachDataChild(IDirectXFileData* object, Visit&& visit) {
    return ForEachChild(object, [&](IDirectXFileObject* child) -> HRESULT {
        void* out = nullptr;
        if (FAILED(child->QueryInterface(IID_IDirectXFileData, &out)) || !out) return S_OK;
        ComPtr<IDirectXFileData> data(static_cast<IDirectXFileData*>(out));
        return visit(data.Get());
    });
}

// The top-level data objects of an enumeration.
template <class Visit>
HRESULT ForEachDataObject(IDirectXFileEnumObject* objects, Visit&& visit) {
    return detail::Walk<IDirectXFileData>([objects](IDirectXFileData** object) { return objects->GetNextDataObject(object); },
                                          visit);
}

}  // namespace xfile
