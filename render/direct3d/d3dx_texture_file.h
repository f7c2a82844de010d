// D3DXCreateTextureFromFileA of our Direct3D 9 layer. It sits with the back-end rather than in
// platform/ because it decodes through the program's own TGA and JPEG readers.
#pragma once
#include "platform/d3d9/d3dx9.h"

// A TGA or JPEG file as a texture with a full mipmap chain, its top row first as D3DX orients
// pictures: A8R8G8B8 for pictures with alpha, X8R8G8B8 for the others. Fails for files the
// readers cannot decode, leaving *texture null.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path, IDirect3DTexture9** texture);
