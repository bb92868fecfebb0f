// The Direct3D 11 window output: device, flip-model swap chain, staging ring, post-process draw
// and present. The step names of failures are the ones the presenter's trace shows.
#include "platform/d3d11_output.h"

#include <d3d11.h>
#include <dxgi1_5.h>

#include <cfloat>
#include <cstring>
#include <new>

#include "platform/shared_module.h"
#include "platform/win32/d3d11_overlay.h"
#include "platform/win32/d3d11_shaders.h"

namespace mora::platform {

struct D3d11Output {
    // Modules are held by the output and dropped when it closes: under Wine, d3d11 loads wined3d,
    // which imports opengl32, so a d3d11 kept loaded would keep this driver from being unloaded.
    SharedModule* d3d11Module = nullptr;
    SharedModule* compilerModule = nullptr;
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    IDXGISwapChain1* swapChain = nullptr;
    ID3D11Texture2D* backBuffer = nullptr;
    IDXGISurface* backBufferSurface = nullptr;
    ID3D11RenderTargetView* backBufferRtv = nullptr;
    ID3D11Texture2D* staging[2] = {nullptr, nullptr};
    bool mapped[2] = {false, false};
    std::uint8_t* mappedData[2] = {nullptr, nullptr};
    std::uint32_t mappedPitch[2] = {0, 0};
    ID3D11Texture2D* redirection = nullptr;
    ID3D11ShaderResourceView* redirectionSrv = nullptr;
    D3d11Shaders shaders;
    ID3D11SamplerState* sampler = nullptr;
    ID3D11Buffer* constants = nullptr;
    ID3D11RasterizerState* rasterizer = nullptr;
    D3d11Overlay overlay;
    D3d11Report report = nullptr;
    UINT swapFlags = 0;     // DXGI_SWAP_CHAIN_FLAG_ALLOW_TEARING where supported
    UINT presentFlags = 0;  // DXGI_PRESENT_ALLOW_TEARING where supported
    std::int32_t swapWidth = 0;
    std::int32_t swapHeight = 0;
    std::int32_t renderWidth = 0;
    std::int32_t renderHeight = 0;
    // Test read-back of the back buffer before Present.
    std::uint8_t* capturePixels = nullptr;
    std::uint32_t captureRowPitch = 0;
    ID3D11Texture2D* captureTexture = nullptr;
};

namespace {

using CreateDevice = decltype(&D3D11CreateDevice);

template <typename T>
void Release(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

bool Fail(D3d11Failure* failure, const char* step, HRESULT hr) {
    if (failure != nullptr) *failure = D3d11Failure{step, static_cast<std::uint32_t>(hr)};
    return false;
}

HRESULT TryDevice(CreateDevice create, D3D_DRIVER_TYPE type, D3d11Output& out) {
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1, D3D_FEATURE_LEVEL_10_0};
    D3D_FEATURE_LEVEL chosen{};
    return create(nullptr, type, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT, levels, 3, D3D11_SDK_VERSION, &out.device,
                  &chosen, &out.context);
}

// True under Wine when this driver is the process's opengl32.dll. Wine's Direct3D (wined3d)
// imports opengl32: it would then draw through this driver (whose GL 1.1 it rejects after creating
// contexts of ours from inside our own surface creation), and its import would keep the driver
// loaded after the application frees it. Windows' Direct3D never uses opengl32.
bool DirectXBuiltOnThisDriver() {
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) return false;
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&DirectXBuiltOnThisDriver), &self)) {
        return false;
    }
    return GetModuleHandleW(L"opengl32.dll") == self;
}

bool CreateDeviceObjects(D3d11Output& out, D3d11Failure* failure) {
    if (DirectXBuiltOnThisDriver()) {
        if (out.report != nullptr) out.report(D3d11Failure{"D3D11CreateDevice(HARDWARE)", 0x887A0004u});
        return Fail(failure, "D3D11CreateDevice(WARP)", 0x887A0004u);  // DXGI_ERROR_UNSUPPORTED
    }
    out.d3d11Module = LoadModule("d3d11.dll", false, nullptr);
    auto create = reinterpret_cast<CreateDevice>(ModuleSymbol(out.d3d11Module, "D3D11CreateDevice"));
    if (create == nullptr) {
        if (out.report != nullptr) out.report(D3d11Failure{"D3D11CreateDevice(HARDWARE)", 0x8007007Eu});
        return Fail(failure, "D3D11CreateDevice(WARP)", 0x8007007Eu);  // ERROR_MOD_NOT_FOUND
    }
    HRESULT hr = TryDevice(create, D3D_DRIVER_TYPE_HARDWARE, out);
    if (FAILED(hr)) {
        if (out.report != nullptr)
            out.report(D3d11Failure{"D3D11CreateDevice(HARDWARE)", static_cast<std::uint32_t>(hr)});
        hr = TryDevice(create, D3D_DRIVER_TYPE_WARP, out);
        if (FAILED(hr)) return Fail(failure, "D3D11CreateDevice(WARP)", hr);
    }
    return true;
}

bool CreateSwapChain(D3d11Output& out, HWND window, D3d11Failure* failure) {
    IDXGIDevice* dxgiDevice = nullptr;
    IDXGIAdapter* adapter = nullptr;
    IDXGIFactory2* factory = nullptr;
    HRESULT hr = out.device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice));
    const char* step = "QueryInterface(IDXGIDevice)";
    if (SUCCEEDED(hr)) {
        hr = dxgiDevice->GetAdapter(&adapter);
        step = "GetAdapter";
    }
    if (SUCCEEDED(hr)) {
        hr = adapter->GetParent(__uuidof(IDXGIFactory2), reinterpret_cast<void**>(&factory));
        step = "GetParent(IDXGIFactory2)";
    }
    if (SUCCEEDED(hr)) {
        IDXGIFactory5* factory5 = nullptr;
        BOOL tearing = FALSE;
        if (SUCCEEDED(factory->QueryInterface(__uuidof(IDXGIFactory5), reinterpret_cast<void**>(&factory5)))) {
            if (FAILED(factory5->CheckFeatureSupport(DXGI_FEATURE_PRESENT_ALLOW_TEARING, &tearing, sizeof(tearing)))) {
                tearing = FALSE;
            }
            factory5->Release();
        }
        out.swapFlags = tearing ? DXGI_SWAP_CHAIN_FLAG_ALLOW_TEARING : 0;
        out.presentFlags = tearing ? DXGI_PRESENT_ALLOW_TEARING : 0;
        DXGI_SWAP_CHAIN_DESC1 desc{};
        desc.Width = static_cast<UINT>(out.swapWidth);
        desc.Height = static_cast<UINT>(out.swapHeight);
        desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
        desc.Stereo = FALSE;
        desc.SampleDesc = DXGI_SAMPLE_DESC{1, 0};
        desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
        desc.BufferCount = 2;
        desc.Scaling = DXGI_SCALING_STRETCH;
        desc.SwapEffect = DXGI_SWAP_EFFECT_FLIP_DISCARD;
        desc.AlphaMode = DXGI_ALPHA_MODE_UNSPECIFIED;
        desc.Flags = out.swapFlags;
        hr = factory->CreateSwapChainForHwnd(out.device, window, &desc, nullptr, nullptr, &out.swapChain);
        step = "CreateSwapChainForHwnd";
    }
    Release(factory);
    Release(adapter);
    Release(dxgiDevice);
    return SUCCEEDED(hr) || Fail(failure, step, hr);
}

bool CreateBackBufferObjects(D3d11Output& out, D3d11Failure* failure) {
    HRESULT hr = out.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&out.backBuffer));
    if (FAILED(hr)) return Fail(failure, "GetBuffer(0)", hr);
    hr = out.backBuffer->QueryInterface(__uuidof(IDXGISurface), reinterpret_cast<void**>(&out.backBufferSurface));
    if (FAILED(hr)) return Fail(failure, "QueryInterface(backBuf IDXGISurface)", hr);
    hr = out.device->CreateRenderTargetView(out.backBuffer, nullptr, &out.backBufferRtv);
    if (FAILED(hr)) return Fail(failure, "CreateRenderTargetView(backBuf)", hr);
    return true;
}

void ReleaseBackBufferObjects(D3d11Output& out) {
    ReleaseD3d11OverlayTarget(out.overlay);
    Release(out.captureTexture);
    Release(out.backBufferRtv);
    Release(out.backBufferSurface);
    Release(out.backBuffer);
}

bool CreatePipelineObjects(D3d11Output& out, const void* constants, D3d11Failure* failure) {
    if (!CreatePostProcessShaders(out.device, &out.compilerModule, &out.shaders, failure)) return false;
    D3D11_SAMPLER_DESC sampler{};
    sampler.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
    sampler.AddressU = sampler.AddressV = sampler.AddressW = D3D11_TEXTURE_ADDRESS_CLAMP;
    sampler.ComparisonFunc = D3D11_COMPARISON_NEVER;
    sampler.MaxLOD = FLT_MAX;
    HRESULT hr = out.device->CreateSamplerState(&sampler, &out.sampler);
    if (FAILED(hr)) return Fail(failure, "CreateSamplerState", hr);

    D3D11_BUFFER_DESC buffer{};
    buffer.ByteWidth = kD3d11ConstantBytes;
    buffer.Usage = D3D11_USAGE_DEFAULT;
    buffer.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
    D3D11_SUBRESOURCE_DATA initial{};
    initial.pSysMem = constants;
    hr = out.device->CreateBuffer(&buffer, &initial, &out.constants);
    if (FAILED(hr)) return Fail(failure, "CreateBuffer(post-process constants)", hr);

    D3D11_RASTERIZER_DESC rasterizer{};
    rasterizer.FillMode = D3D11_FILL_SOLID;
    rasterizer.CullMode = D3D11_CULL_NONE;
    rasterizer.FrontCounterClockwise = FALSE;
    rasterizer.DepthClipEnable = FALSE;
    hr = out.device->CreateRasterizerState(&rasterizer, &out.rasterizer);
    if (FAILED(hr)) return Fail(failure, "CreateRasterizerState", hr);
    return true;
}

void ReleaseStaging(D3d11Output& out) {
    for (int i = 0; i < 2; ++i) {
        if (out.mapped[i]) out.context->Unmap(out.staging[i], 0);
        out.mapped[i] = false;
        Release(out.staging[i]);
    }
    Release(out.redirectionSrv);
    Release(out.redirection);
    out.renderWidth = out.renderHeight = 0;
}

D3D11_TEXTURE2D_DESC TextureDesc(std::int32_t width, std::int32_t height) {
    D3D11_TEXTURE2D_DESC desc{};
    desc.Width = static_cast<UINT>(width);
    desc.Height = static_cast<UINT>(height);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    desc.SampleDesc = DXGI_SAMPLE_DESC{1, 0};
    return desc;
}

// Copies the back buffer into the test's memory (created on first use, at the swap size).
void CaptureBackBuffer(D3d11Output& out) {
    if (out.captureTexture == nullptr) {
        D3D11_TEXTURE2D_DESC desc = TextureDesc(out.swapWidth, out.swapHeight);
        desc.Usage = D3D11_USAGE_STAGING;
        desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
        if (FAILED(out.device->CreateTexture2D(&desc, nullptr, &out.captureTexture))) return;
    }
    out.context->CopyResource(out.captureTexture, out.backBuffer);
    D3D11_MAPPED_SUBRESOURCE mapping{};
    if (FAILED(out.context->Map(out.captureTexture, 0, D3D11_MAP_READ, 0, &mapping)) || mapping.pData == nullptr)
        return;
    const std::size_t rowBytes = static_cast<std::size_t>(out.swapWidth) * 4u;
    for (std::int32_t y = 0; y < out.swapHeight; ++y) {
        std::memcpy(out.capturePixels + static_cast<std::size_t>(y) * out.captureRowPitch,
                    static_cast<const std::uint8_t*>(mapping.pData) + static_cast<std::size_t>(y) * mapping.RowPitch,
                    rowBytes);
    }
    out.context->Unmap(out.captureTexture, 0);
}

}  // namespace

D3d11Output* OpenD3d11Output(void* hwnd, std::int32_t width, std::int32_t height, const void* constants,
                             D3d11Report report, D3d11Failure* failure) {
    if (hwnd == nullptr || width < 1 || height < 1) {
        Fail(failure, "CreateSwapChainForHwnd", E_INVALIDARG);
        return nullptr;
    }
    auto* out = new (std::nothrow) D3d11Output;
    if (out == nullptr) {
        Fail(failure, "D3D11CreateDevice(HARDWARE)", E_OUTOFMEMORY);
        return nullptr;
    }
    out->report = report;
    out->swapWidth = width;
    out->swapHeight = height;
    if (!CreateDeviceObjects(*out, failure) || !CreateSwapChain(*out, static_cast<HWND>(hwnd), failure) ||
        !CreateBackBufferObjects(*out, failure) || !CreatePipelineObjects(*out, constants, failure)) {
        CloseD3d11Output(out);
        return nullptr;
    }
    return out;
}

bool SizeD3d11Staging(D3d11Output* out, std::int32_t width, std::int32_t height, D3d11Failure* failure) {
    if (out == nullptr || width < 1 || height < 1) return Fail(failure, "CreateTexture2D(staging)", E_INVALIDARG);
    if (width == out->renderWidth && height == out->renderHeight) return true;
    ReleaseStaging(*out);
    D3D11_TEXTURE2D_DESC desc = TextureDesc(width, height);
    desc.Usage = D3D11_USAGE_STAGING;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ | D3D11_CPU_ACCESS_WRITE;
    for (ID3D11Texture2D*& staging : out->staging) {
        const HRESULT hr = out->device->CreateTexture2D(&desc, nullptr, &staging);
        if (FAILED(hr)) {
            ReleaseStaging(*out);
            return Fail(failure, "CreateTexture2D(staging)", hr);
        }
    }
    desc = TextureDesc(width, height);
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
    HRESULT hr = out->device->CreateTexture2D(&desc, nullptr, &out->redirection);
    if (FAILED(hr)) {
        ReleaseStaging(*out);
        return Fail(failure, "CreateTexture2D(redirection)", hr);
    }
    D3D11_SHADER_RESOURCE_VIEW_DESC view{};
    view.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    view.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
    view.Texture2D.MostDetailedMip = 0;
    view.Texture2D.MipLevels = 1;
    hr = out->device->CreateShaderResourceView(out->redirection, &view, &out->redirectionSrv);
    if (FAILED(hr)) {
        ReleaseStaging(*out);
        return Fail(failure, "CreateShaderResourceView", hr);
    }
    out->renderWidth = width;
    out->renderHeight = height;
    return true;
}

bool ResizeD3d11Output(D3d11Output* out, std::int32_t width, std::int32_t height, D3d11Failure* failure) {
    if (out == nullptr || width < 1 || height < 1) return Fail(failure, "ResizeBuffers", E_INVALIDARG);
    if (width == out->swapWidth && height == out->swapHeight) return true;
    ReleaseBackBufferObjects(*out);
    const HRESULT hr = out->swapChain->ResizeBuffers(0, static_cast<UINT>(width), static_cast<UINT>(height),
                                                     DXGI_FORMAT_UNKNOWN, out->swapFlags);
    if (FAILED(hr)) return Fail(failure, "ResizeBuffers", hr);
    out->swapWidth = width;
    out->swapHeight = height;
    return CreateBackBufferObjects(*out, failure);
}

bool MapD3d11Staging(D3d11Output* out, int index, std::uint8_t** data, std::uint32_t* rowPitch, D3d11Failure* failure) {
    if (out == nullptr || index < 0 || index > 1 || out->staging[index] == nullptr) {
        return Fail(failure, "Map", E_INVALIDARG);
    }
    if (!out->mapped[index]) {  // a texture is mapped once however often it is asked for
        D3D11_MAPPED_SUBRESOURCE mapping{};
        const HRESULT hr = out->context->Map(out->staging[index], 0, D3D11_MAP_READ_WRITE, 0, &mapping);
        if (FAILED(hr) || mapping.pData == nullptr) return Fail(failure, "Map", FAILED(hr) ? hr : E_POINTER);
        out->mapped[index] = true;
        out->mappedData[index] = static_cast<std::uint8_t*>(mapping.pData);
        out->mappedPitch[index] = mapping.RowPitch;
    }
    *data = out->mappedData[index];
    *rowPitch = out->mappedPitch[index];
    return true;
}

bool PresentD3d11Staging(D3d11Output* out, int index, const void* constants, const char* overlayText,
                         D3d11Failure* failure) {
    if (out == nullptr || out->swapChain == nullptr || out->backBufferRtv == nullptr || index < 0 || index > 1 ||
        out->staging[index] == nullptr) {
        return Fail(failure, "Present", E_POINTER);
    }
    ID3D11DeviceContext* context = out->context;
    if (out->mapped[index]) context->Unmap(out->staging[index], 0);
    out->mapped[index] = false;
    context->CopyResource(out->redirection, out->staging[index]);

    ID3D11Buffer* noBuffer = nullptr;
    const UINT zero = 0;
    context->IASetVertexBuffers(0, 1, &noBuffer, &zero, &zero);
    context->IASetIndexBuffer(nullptr, DXGI_FORMAT_UNKNOWN, 0);
    context->IASetInputLayout(nullptr);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->RSSetState(out->rasterizer);
    const D3D11_VIEWPORT viewport{0.0f, 0.0f, static_cast<float>(out->swapWidth), static_cast<float>(out->swapHeight),
                                  0.0f, 1.0f};
    context->RSSetViewports(1, &viewport);
    context->OMSetRenderTargets(1, &out->backBufferRtv, nullptr);
    context->VSSetShader(out->shaders.vertex, nullptr, 0);
    context->PSSetShader(out->shaders.pixel, nullptr, 0);
    context->UpdateSubresource(out->constants, 0, nullptr, constants, 0, 0);
    context->PSSetShaderResources(0, 1, &out->redirectionSrv);
    context->PSSetSamplers(0, 1, &out->sampler);
    context->PSSetConstantBuffers(0, 1, &out->constants);
    context->Draw(3, 0);
    // The redirection texture is the next copy's destination: unbind it from the pixel stage.
    ID3D11ShaderResourceView* noView = nullptr;
    context->PSSetShaderResources(0, 1, &noView);

    DrawD3d11Overlay(out->overlay, out->backBufferSurface, overlayText, out->report);
    if (out->capturePixels != nullptr) CaptureBackBuffer(*out);
    const HRESULT hr = out->swapChain->Present(0, out->presentFlags);
    return SUCCEEDED(hr) || Fail(failure, "Present", hr);
}

void CaptureD3d11BackBuffer(D3d11Output* out, std::uint8_t* pixels, std::uint32_t rowPitch) {
    if (out == nullptr) return;
    out->capturePixels = pixels;
    out->captureRowPitch = rowPitch;
}

const char* D3d11OverlayFamily(const D3d11Output* out) { return out != nullptr ? out->overlay.family : ""; }

void CloseD3d11Output(D3d11Output* out) {
    if (out == nullptr) return;
    if (out->context != nullptr) ReleaseStaging(*out);
    Release(out->rasterizer);
    ReleaseD3d11Overlay(out->overlay);
    Release(out->constants);
    Release(out->sampler);
    ReleasePostProcessShaders(&out->shaders);
    ReleaseBackBufferObjects(*out);
    Release(out->swapChain);
    Release(out->context);
    Release(out->device);
    UnloadModule(out->compilerModule);
    UnloadModule(out->d3d11Module);
    delete out;
}

}  // namespace mora::platform
