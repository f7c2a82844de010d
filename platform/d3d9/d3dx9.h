// The utility half of our Direct3D 9 layer: vectors and the left-handed matrix builders,
// textures made and filled through a callback, the screen-space sprite and the text font.
#pragma once
#include "platform/d3d9/d3d9.h"

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;

struct D3DXVECTOR2 {
    float x, y;
};
struct D3DXVECTOR3 {
    float x, y, z;
};
struct D3DXVECTOR4 {
    float x, y, z, w;
};
using D3DXMATRIX = D3DMATRIX;

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
// Width by height centred on the origin, depth zn..zf mapped to 0..1.
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zn, float zf);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);

// Levels 0 or D3DX_DEFAULT give the whole mipmap chain; a side of 0 is taken as 1.
HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture);

// Called once per texel of level 0 with the texel's centre in 0..1 and the size of one texel;
// out receives red, green, blue and alpha in 0..1.
using LPD3DXFILL2D = void (*)(D3DXVECTOR4* out, const D3DXVECTOR2* texCoord, const D3DXVECTOR2* texelSize,
                              void* data);
HRESULT D3DXFillTexture(IDirect3DTexture9* texture, LPD3DXFILL2D function, void* data);

constexpr DWORD D3DXSPRITE_ALPHABLEND = 16;
constexpr DWORD D3DXSPRITE_SORT_TEXTURE = 32;
constexpr DWORD D3DXSPRITE_SORT_DEPTH_FRONTTOBACK = 64;
constexpr DWORD D3DXSPRITE_SORT_DEPTH_BACKTOFRONT = 128;

// Pictures drawn in window pixels, texel for pixel, between Begin and End; the device's own
// states are left as they were.
struct ID3DXSprite : IUnknown {
    virtual HRESULT Begin(DWORD flags) = 0;
    // A null source rectangle draws the whole texture; a null centre is the top-left corner.
    virtual HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* center,
                         const D3DXVECTOR3* position, D3DCOLOR color) = 0;
    virtual HRESULT End() = 0;
};
HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);

constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t OUT_DEFAULT_PRECIS = 0;
constexpr uint8_t ANTIALIASED_QUALITY = 4;
constexpr DWORD DT_TOP = 0;
constexpr DWORD DT_LEFT = 0;
constexpr DWORD DT_NOCLIP = 0x100;

struct D3DXFONT_DESCA {
    INT Height; // the character cell's height in pixels
    UINT Width;
    UINT Weight;
    UINT MipLevels;
    BOOL Italic;
    uint8_t CharSet;
    uint8_t OutputPrecision;
    uint8_t Quality;
    uint8_t PitchAndFamily;
    char FaceName[32];
};

// Text in one face and size. Every face name is drawn with "fonts/arial.ttf", the one face
// the program ships.
struct ID3DXFont : IUnknown {
    // Draws count bytes (-1: up to the terminating NUL) from the rectangle's top-left corner,
    // a new line at each line feed, cut off at the rectangle's edges unless DT_NOCLIP; returns
    // the height of the text in pixels, 0 on failure. The sprite must be null.
    virtual INT DrawTextA(ID3DXSprite* sprite, const char* text, INT count, RECT* rect, DWORD format,
                          D3DCOLOR color) = 0;
};
HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc, ID3DXFont** font);
