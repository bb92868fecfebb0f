// The post-process shaders of the Direct3D 11 output, compiled from HLSL when the output opens.
#pragma once

#include <d3d11.h>

#include "platform/d3d11_output.h"
#include "platform/shared_module.h"

namespace mora::platform {

struct D3d11Shaders {
    ID3D11VertexShader* vertex = nullptr;
    ID3D11PixelShader* pixel = nullptr;
};

// Compiles both programs (shader model 4.0) with D3DCompile from d3dcompiler_47.dll and creates
// them on `device`; the compiler module is loaded into *compiler (the caller unloads it). False
// with the step on failure (a missing compiler fails "CreateVertexShader" with the loader's
// error); no shader is left created then.
bool CreatePostProcessShaders(ID3D11Device* device, SharedModule** compiler, D3d11Shaders* shaders,
                              D3d11Failure* failure);

void ReleasePostProcessShaders(D3d11Shaders* shaders);

}  // namespace mora::platform
