// Links the CPU-only libraries and nothing else, with every shared library they bring kept as
// NEEDED, so the link closure can be read back from the binary.
#include "platform/math/d3dx8math.h"
#include "platform/xfile/dxfile.h"

int main() {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    IDirectXFile* files = nullptr;
    const bool created = SUCCEEDED(DirectXFileCreate(&files));
    if (files) files->Release();
    return created && identity._11 == 1.0f ? 0 : 1;
}
