// Post-process shaders: one full-screen triangle from the vertex id (no vertex data), and the
// colour steps hue (YIQ rotation), saturation (around Rec. 709 luma), brightness, gamma and video
// range, in that order; the CPU colour pass of the other platforms computes the same.
//
// Debian has no HLSL compiler, so the source is compiled when the output opens, with the
// D3DCompile that Windows 8.1 and later and Wine ship in d3dcompiler_47.dll: a build-time compile
// would need Wine inside the cross build, and the run-time compile costs a few milliseconds once
// per window. Without the compiler the output does not open and frames go through GDI.
#include "platform/win32/d3d11_shaders.h"

#include <d3dcompiler.h>

#include <cstring>

#include "platform/shared_module.h"

namespace mora::platform {

namespace {

constexpr char kSource[] = R"(
cbuffer PostProcessConstants : register(b0) {
  float gamma;
  float hueRadians;
  float saturation;
  float brightness;
  float videoRange;
  float3 _pad;
};
Texture2D src : register(t0);
SamplerState smp : register(s0);

struct VertexOut {
  float4 position : SV_Position;
  float2 uv : TEXCOORD0;
};

VertexOut VertexMain(uint id : SV_VertexID) {
  VertexOut result;
  float u = float((id << 1) & 2);
  float v = float(id & 2);
  result.position = float4(u * 2.0 - 1.0, 1.0 - v * 2.0, 0.0, 1.0);
  result.uv = float2(u, v);
  return result;
}

float4 PixelMain(float4 position : SV_Position, float2 uv : TEXCOORD0) : SV_Target0 {
  float4 c = src.Sample(smp, uv);
  float y = dot(c.rgb, float3(0.299, 0.587, 0.114));
  float i = dot(c.rgb, float3(0.595716, -0.274453, -0.321263));
  float q = dot(c.rgb, float3(0.211456, -0.522591, 0.311135));
  // sin and cos of the angle (|angle| <= pi) as Taylor series to the x^15 and x^16 terms (error
  // below 1e-6): the HLSL compiler of Wine 8 has neither intrinsic.
  float a = clamp(hueRadians, -3.14159265, 3.14159265);
  float a2 = a * a;
  float s = a * (1.0 + a2 * (-1.0 / 6.0 + a2 * (1.0 / 120.0 + a2 * (-1.0 / 5040.0 + a2 * (1.0 / 362880.0 +
            a2 * (-1.0 / 39916800.0 + a2 * (1.0 / 6227020800.0 + a2 * (-1.0 / 1307674368000.0))))))));
  float k = 1.0 + a2 * (-0.5 + a2 * (1.0 / 24.0 + a2 * (-1.0 / 720.0 + a2 * (1.0 / 40320.0 + a2 * (-1.0 / 3628800.0 +
            a2 * (1.0 / 479001600.0 + a2 * (-1.0 / 87178291200.0 + a2 * (1.0 / 20922789888000.0))))))));
  float i2 = i * k - q * s;
  float q2 = i * s + q * k;
  float3 rgb = float3(y + 0.9563 * i2 + 0.621 * q2, y - 0.2721 * i2 - 0.6474 * q2, y - 1.107 * i2 + 1.7046 * q2);
  float luma = dot(rgb, float3(0.2126, 0.7152, 0.0722));
  rgb = luma + saturation * (rgb - luma);
  rgb = saturate(rgb * brightness);
  rgb = pow(rgb, max(gamma, 0.01));  // exp2(log2(rgb) x gamma): 0 stays 0
  float3 limited = rgb * 0.85882353 + 0.0627451;  // 219/255, 16/255: white to 235 as in the CPU pass
  rgb = saturate(rgb + videoRange * (limited - rgb));
  return float4(rgb, c.a);
}
)";

HRESULT FromLastError() { return HRESULT_FROM_WIN32(GetLastError()); }

bool Fail(D3d11Failure* failure, const char* step, HRESULT hr) {
    if (failure != nullptr) *failure = D3d11Failure{step, static_cast<std::uint32_t>(hr)};
    return false;
}

// Compiles one entry point; the blob on success.
HRESULT Compile(pD3DCompile compile, const char* entry, const char* profile, ID3DBlob** code) {
    ID3DBlob* errors = nullptr;
    const HRESULT hr = compile(kSource, std::strlen(kSource), "post_process.hlsl", nullptr, nullptr, entry, profile,
                               D3DCOMPILE_OPTIMIZATION_LEVEL3, 0, code, &errors);
    if (errors != nullptr) errors->Release();
    return hr;
}

}  // namespace

bool CreatePostProcessShaders(ID3D11Device* device, SharedModule** compiler, D3d11Shaders* shaders,
                              D3d11Failure* failure) {
    *compiler = LoadModule("d3dcompiler_47.dll", false, nullptr);
    auto compile = reinterpret_cast<pD3DCompile>(ModuleSymbol(*compiler, "D3DCompile"));
    if (compile == nullptr) return Fail(failure, "CreateVertexShader", FromLastError());

    ID3DBlob* code = nullptr;
    HRESULT hr = Compile(compile, "VertexMain", "vs_4_0", &code);
    if (SUCCEEDED(hr)) {
        hr = device->CreateVertexShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, &shaders->vertex);
        code->Release();
    }
    if (FAILED(hr)) return Fail(failure, "CreateVertexShader", hr);

    code = nullptr;
    hr = Compile(compile, "PixelMain", "ps_4_0", &code);
    if (SUCCEEDED(hr)) {
        hr = device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr, &shaders->pixel);
        code->Release();
    }
    if (FAILED(hr)) {
        ReleasePostProcessShaders(shaders);
        return Fail(failure, "CreatePixelShader", hr);
    }
    return true;
}

void ReleasePostProcessShaders(D3d11Shaders* shaders) {
    if (shaders->pixel != nullptr) shaders->pixel->Release();
    if (shaders->vertex != nullptr) shaders->vertex->Release();
    *shaders = D3d11Shaders{};
}

}  // namespace mora::platform
