// The layer's textures and vertex buffers: OpenGL objects written through Lock and Unlock, each
// holding a reference to its device as Direct3D resources do.
#include "platform/d3d9/gl_device_impl.h"

#include <algorithm>

namespace platform::d3d9 {

namespace {

// Formats without alpha keep none, so their texels read alpha 1 whatever was written.
GLint InternalFormat(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8; }

GLenum TransferFormat(D3DFORMAT format) { return format == D3DFMT_R8G8B8 ? GL_BGR : GL_BGRA; }

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
    device->Pipeline().BindTexture(0, name);
    glTexImage2D(GL_TEXTURE_2D, 0, InternalFormat(format), static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                 GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, mipmapped ? 1000 : 0);
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
    // OpenGL leaves the texels of a texture never written undefined (a driver may hand back a
    // released texture's); a new Direct3D texture locks as zeros.
    if (!written)
        return D3D_OK;
    // The texels as they are: a lock that writes nothing leaves them.
    device->Pipeline().BindTexture(0, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, TransferFormat(format), GL_UNSIGNED_BYTE, texels.data());
    return D3D_OK;
}

HRESULT GLTexture::UnlockRect(UINT level)
{
    if (level != 0 || !locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    device->Pipeline().BindTexture(0, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height),
                    TransferFormat(format), GL_UNSIGNED_BYTE, texels.data());
    if (mipmapped)
        glGenerateMipmap(GL_TEXTURE_2D);
    written = true;
    // The texels live in the texture now.
    std::vector<uint8_t>().swap(texels);
    return D3D_OK;
}

void GLTexture::ApplySampler(const SamplerSetup& sampler, int unit)
{
    const bool linear = sampler.minFilter == D3DTEXF_LINEAR;
    GLint minFilter = linear ? GL_LINEAR : GL_NEAREST;
    if (mipmapped && sampler.mipFilter == D3DTEXF_POINT)
        minFilter = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mipmapped && sampler.mipFilter == D3DTEXF_LINEAR)
        minFilter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    const GLint wanted[4] = {minFilter, sampler.magFilter == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST,
                             WrapMode(sampler.addressU), WrapMode(sampler.addressV)};
    static constexpr GLenum PARAMETERS[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S,
                                             GL_TEXTURE_WRAP_T};
    for (int i = 0; i < 4; ++i) {
        if (parameters[i] == wanted[i])
            continue;
        device->Pipeline().BindTexture(unit, name);
        glTexParameteri(GL_TEXTURE_2D, PARAMETERS[i], wanted[i]);
        parameters[i] = wanted[i];
    }
}

GLVertexBuffer::GLVertexBuffer(GLDevice* device, UINT length) : device(device), length(length), shadow(length, 0)
{
    device->AddRef();
    glGenBuffers(1, &name);
    device->Pipeline().BindArrayBuffer(name);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(length), nullptr, GL_DYNAMIC_DRAW);
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
    device->Pipeline().BindArrayBuffer(name);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(length), shadow.data());
    return D3D_OK;
}

} // namespace platform::d3d9
