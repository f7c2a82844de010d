// The layer's textures and vertex buffers: OpenGL objects written through Lock and Unlock, each
// holding a reference to its device as Direct3D resources do.
#include "platform/d3d9/gl_device_impl.h"

#include <algorithm>

namespace platform::d3d9 {

namespace {

// Formats without alpha keep none, so their texels read alpha 1 whatever was written.
GLint InternalFormat(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8; }

GLint WrapMode(DWORD address)
{
    if (address == D3DTADDRESS_CLAMP)
        return GL_CLAMP_TO_EDGE;
    if (address == D3DTADDRESS_MIRROR)
        return GL_MIRRORED_REPEAT;
    return GL_REPEAT;
}

} // namespace

GLTexture::GLTexture(GLDevice* device, UINT width, UINT height, D3DFORMAT format, bool mipmapped, DWORD levelCount)
    : device(device), width(width), height(height), format(format), mipmapped(mipmapped), levelCount(levelCount)
{
    device->AddRef();
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, InternalFormat(format), static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                 GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, mipmapped ? 1000 : 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

GLTexture::~GLTexture()
{
    device->Forget(this);
    glDeleteTextures(1, &name);
    device->Release();
}

ULONG GLTexture::AddRef() { return ++references; }

ULONG GLTexture::Release()
{
    const ULONG left = --references;
    if (left == 0)
        delete this;
    return left;
}

DWORD GLTexture::GetLevelCount() { return levelCount; }

HRESULT GLTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (level >= levelCount || !desc)
        return D3DERR_INVALIDCALL;
    desc->Format = format;
    desc->Width = std::max(1u, width >> level);
    desc->Height = std::max(1u, height >> level);
    return D3D_OK;
}

HRESULT GLTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD)
{
    // Mipmaps below level 0 are generated, never written.
    if (level != 0 || !lockedRect || rect || locked)
        return D3DERR_INVALIDCALL;
    texels.assign(static_cast<size_t>(width) * height * BytesPerTexel(format), 0);
    lockedRect->Pitch = static_cast<INT>(width * BytesPerTexel(format));
    lockedRect->pBits = texels.data();
    locked = true;
    return D3D_OK;
}

HRESULT GLTexture::UnlockRect(UINT level)
{
    if (level != 0 || !locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height),
                    format == D3DFMT_R8G8B8 ? GL_BGR : GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    if (mipmapped)
        glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    // The texels live in the texture now.
    std::vector<uint8_t>().swap(texels);
    return D3D_OK;
}

void GLTexture::Bind(const SamplerSetup& sampler)
{
    glBindTexture(GL_TEXTURE_2D, name);
    const bool linear = sampler.minFilter == D3DTEXF_LINEAR;
    GLint minFilter = linear ? GL_LINEAR : GL_NEAREST;
    if (mipmapped && sampler.mipFilter == D3DTEXF_POINT)
        minFilter = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mipmapped && sampler.mipFilter == D3DTEXF_LINEAR)
        minFilter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, sampler.magFilter == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, WrapMode(sampler.addressU));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, WrapMode(sampler.addressV));
}

GLVertexBuffer::GLVertexBuffer(GLDevice* device, UINT length) : device(device), length(length), shadow(length, 0)
{
    device->AddRef();
    glGenBuffers(1, &name);
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(length), nullptr, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

GLVertexBuffer::~GLVertexBuffer()
{
    device->Forget(this);
    glDeleteBuffers(1, &name);
    device->Release();
}

ULONG GLVertexBuffer::AddRef() { return ++references; }

ULONG GLVertexBuffer::Release()
{
    const ULONG left = --references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT GLVertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD)
{
    if (!data || locked || offset > length || size > length - offset)
        return D3DERR_INVALIDCALL;
    *data = shadow.data() + offset;
    locked = true;
    return D3D_OK;
}

HRESULT GLVertexBuffer::Unlock()
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(length), shadow.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return D3D_OK;
}

} // namespace platform::d3d9
