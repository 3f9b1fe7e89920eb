#include "framework/Visuals.h"

/* Where the Common Controls 6 exist (Windows XP and later), the system's
 * side-by-side store holds them and only an activation context that names
 * them leads there. Named in the manifest Windows applies at process start,
 * they would be needed before the program could say anything: Windows does
 * not start a program whose manifest names an assembly it lacks, and Wine
 * with the common controls disabled starts it but then creates no button,
 * edit or static control, a message box's included, so it ends unseen. The
 * context is made here instead and given up again when they cannot be
 * loaded, which leaves the system's own plain controls. */
HMODULE AfxLoadThemedControls(HINSTANCE instance, LPCWSTR manifest)
{
    ACTCTXW request;
    ACTCTX_SECTION_KEYED_DATA found;
    ULONG_PTR cookie = 0;
    HMODULE controls = NULL;
    DWORD error;
    HANDLE context;
    ZeroMemory(&request, sizeof request);
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = instance;
    request.lpResourceName = manifest;
    ZeroMemory(&found, sizeof found);
    found.cbSize = sizeof found;
    context = CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE)
        return NULL;
    if (!ActivateActCtx(context, &cookie)) {
        error = GetLastError();
        ReleaseActCtx(context);
        SetLastError(error);
        return NULL;
    }
    /* The bare name is loaded only when the context redirects it to the
     * store: otherwise the search would run, and could find one in the
     * program's folder. */
    if (FindActCtxSectionStringW(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &found))
        controls = LoadLibraryW(L"comctl32.dll");
    if (!controls) {
        error = GetLastError();
        DeactivateActCtx(0, cookie);
        ReleaseActCtx(context);
        SetLastError(error);
    }
    return controls;
}

static HWND FindBanner(HWND dialog)
{
    HWND child;
    for (child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR name[8];
        if (GetClassNameW(child, name, 8) && lstrcmpiW(name, L"Static") == 0 &&
            (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return child;
    }
    return NULL;
}

/* The top of the highest control that starts below `top`, in client
 * coordinates; frames (group boxes) are drawn under the banner and do not
 * count. */
static int ControlsBelow(HWND dialog, HWND banner, int top)
{
    RECT client;
    HWND child;
    GetClientRect(dialog, &client);
    for (child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        WCHAR name[8];
        if (child == banner || (GetClassNameW(child, name, 8) && lstrcmpiW(name, L"Button") == 0 &&
                                (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX))
            continue;
        GetWindowRect(child, &rect);
        MapWindowPoints(NULL, dialog, (POINT*)&rect, 2);
        if (rect.top > top && rect.top < client.bottom)
            client.bottom = rect.top;
    }
    return client.bottom;
}

static const BITMAPINFOHEADER* Art(HINSTANCE instance, WORD id)
{
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), (LPCWSTR)RT_BITMAP);
    HGLOBAL loaded = found ? LoadResource(instance, found) : NULL;
    return loaded ? (const BITMAPINFOHEADER*)LockResource(loaded) : NULL;
}

/* The art shrunk to width x height with the system's smoothing filter; NULL
 * when it cannot be drawn whole: a bitmap left undrawn would show black in
 * place of the template's picture. */
static HBITMAP Shrink(const BITMAPINFOHEADER* art, int width, int height)
{
    DWORD colours = art->biClrUsed ? art->biClrUsed : art->biBitCount <= 8 ? 1u << art->biBitCount : 0;
    const BYTE* bits = (const BYTE*)art + art->biSize + colours * sizeof(RGBQUAD);
    HDC screen = GetDC(NULL);
    HDC memory = screen ? CreateCompatibleDC(screen) : NULL;
    HBITMAP image = memory ? CreateCompatibleBitmap(screen, width, height) : NULL;
    HGDIOBJ old = image ? SelectObject(memory, image) : NULL;
    int lines = 0;
    if (old) {
        SetStretchBltMode(memory, HALFTONE);
        SetBrushOrgEx(memory, 0, 0, NULL);
        lines = StretchDIBits(memory, 0, 0, width, height, 0, 0, art->biWidth, art->biHeight, bits,
                              (const BITMAPINFO*)art, DIB_RGB_COLORS, SRCCOPY);
        SelectObject(memory, old);
    }
    if (memory)
        DeleteDC(memory);
    if (screen)
        ReleaseDC(NULL, screen);
    if (image && (lines == 0 || lines == (int)GDI_ERROR)) {
        DeleteObject(image);
        image = NULL;
    }
    return image;
}

HBITMAP AfxFitBanner(HWND dialog, HINSTANCE instance, const AFX_BANNER* banner)
{
    HWND control = FindBanner(dialog);
    RECT span = banner->templateRect;
    const BITMAPINFOHEADER* art = NULL;
    int width, height, room, i;
    HBITMAP image, old;
    if (!control || !MapDialogRect(dialog, &span))
        return NULL;
    width = span.right - span.left;
    height = (width + 5) / 10;
    /* A dialog font wider than the templates were made for makes the span
     * long: the banner keeps its shape and leaves the notice line below it
     * free. */
    room = ControlsBelow(dialog, control, span.top) - span.top;
    if (height > room) {
        height = room;
        width = height * 10;
    }
    for (i = 0; i < banner->artCount; ++i) {
        art = Art(instance, banner->art[i]);
        if (art && art->biWidth >= width)
            break;
    }
    if (!art || width <= 0)
        return NULL;
    if (art->biWidth < width) {
        width = art->biWidth;
        height = art->biHeight;
    }
    if (i == 0 && width == art->biWidth && height == art->biHeight)
        return NULL;   /* the template's own picture, as the control shows it */
    image = Shrink(art, width, height);
    if (!image)
        return NULL;
    /* A bitmap static takes the size of its picture; the old picture is ours to delete. */
    old = (HBITMAP)SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)image);
    if (old && old != image)
        DeleteObject(old);
    SetWindowPos(control, NULL, span.left, span.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return image;
}
