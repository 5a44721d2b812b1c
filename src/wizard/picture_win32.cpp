// The page picture: "LCNBMP" loaded from the resources with its own palette,
// converted for the screen and painted into the owner-drawn control. Nothing
// is cached; every paint loads and frees the picture again.
#include "base/base.h"
#include "resource.h"
#include "wizard/rules.h"
#include "wizard/wizard.h"

constexpr char kPageBitmap[] = "LCNBMP";

HPALETTE PaletteFromDib(const BITMAPINFOHEADER* header, int* entries)
{
    int n = DibColourCount(header->biBitCount, header->biClrUsed);
    *entries = n;
    if (n == 0)
        return nullptr;

    // Room for the largest table: no allocation that could fail.
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entry[256];
    } block = {};
    block.version = 0x300;
    block.count = static_cast<WORD>(n);
    // The table follows the header, whatever that header's size; each
    // quadruple is stored blue, green, red, reserved.
    const auto* table = reinterpret_cast<const BYTE*>(header) + header->biSize;
    for (int i = 0; i < n; ++i) {
        block.entry[i].peBlue = table[4 * i];
        block.entry[i].peGreen = table[4 * i + 1];
        block.entry[i].peRed = table[4 * i + 2];
        block.entry[i].peFlags = 0;
    }
    return CreatePalette(reinterpret_cast<const LOGPALETTE*>(&block));
}

HBITMAP LoadPaletteBitmap(HINSTANCE instance, const char* name, HPALETTE* palette)
{
    *palette = nullptr;
    HRSRC found = FindResourceA(instance, name, RT_BITMAP);
    if (!found)
        return nullptr;
    DWORD size = SizeofResource(instance, found);
    HGLOBAL loaded = LoadResource(instance, found);
    const auto* data = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    DibLayout layout;
    if (!data || !ParseDibLayout(data, size, &layout)) {
        if (loaded)
            FreeResource(loaded);
        return nullptr;
    }
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(data);

    HBITMAP bitmap = nullptr;
    HPALETTE built = nullptr;
    if (HDC screen = GetDC(nullptr)) {
        int entries = 0;
        built = PaletteFromDib(header, &entries);
        HPALETTE previous = nullptr;
        if (built) {
            previous = SelectPalette(screen, built, FALSE);
            RealizePalette(screen);
        }
        bitmap = CreateDIBitmap(screen, header, CBM_INIT, data + layout.bitsOffset,
                                reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS);
        if (built)
            SelectPalette(screen, previous, FALSE);
        ReleaseDC(nullptr, screen);
    }
    FreeResource(loaded);

    if (!bitmap && built) {
        DeleteObject(built);
        built = nullptr;
    }
    *palette = built;
    return bitmap;
}

void DrawPageBitmap(const DRAWITEMSTRUCT* item)
{
    HPALETTE palette;
    HBITMAP bitmap = LoadPaletteBitmap(g_instance, kPageBitmap, &palette);
    if (!bitmap)
        return;

    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    HDC target = item->hDC;
    if (HDC memory = CreateCompatibleDC(target)) {
        HPALETTE previousTarget = nullptr;
        HPALETTE previousMemory = nullptr;
        if (palette) {
            previousTarget = SelectPalette(target, palette, FALSE);
            RealizePalette(target);
            previousMemory = SelectPalette(memory, palette, FALSE);
            RealizePalette(memory);
        }
        HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
        BitBlt(target, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previousBitmap);
        if (palette) {
            SelectPalette(memory, previousMemory, FALSE);
            SelectPalette(target, previousTarget, FALSE);
        }
        DeleteDC(memory);
    }
    DeleteObject(bitmap);
    if (palette)
        DeleteObject(palette);
}
