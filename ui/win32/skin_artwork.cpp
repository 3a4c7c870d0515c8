#include "ui/win32/skin_artwork.h"

#include "base/utf16.h"
#include "platform/win32/com_ptr.h"

#include <olectl.h>

namespace ornavox {

namespace {

constexpr std::array<SIZE, 4> kImageSizes{{{24, 24}, {186, 29}, {64, 20}, {18, 18}}};

std::wstring skin_file(const std::string& program_dir, const std::string& name)
{
    return win32::utf16(program_dir + "skin/" + name);
}

// A JPEG through the system's picture loader, copied out of it.
win32::Bitmap load_jpeg(const std::wstring& path, std::string& error)
{
    win32::ComPtr<IPicture> picture;
    const HRESULT result =
        OleLoadPicturePath(const_cast<LPOLESTR>(path.c_str()), nullptr, 0, 0, IID_IPicture, picture.put_void());
    OLE_HANDLE handle = 0;
    if (FAILED(result) || FAILED(picture->get_Handle(&handle))) {
        error = win32::utf8(path) + ": " + win32::result_text(result);
        return nullptr;
    }
    return win32::Bitmap(static_cast<HBITMAP>(
        CopyImage(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle)), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

win32::Bitmap load_bitmap(const std::wstring& path, UINT flags)
{
    return win32::Bitmap(
        static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | flags)));
}

// Row `row` of a bitmap, `width` x `height` pixels.
win32::Bitmap cut_row(HDC screen, HBITMAP whole, int row, int width, int height, bool monochrome)
{
    win32::Bitmap part(monochrome ? CreateBitmap(width, height, 1, 1, nullptr)
                                  : CreateCompatibleBitmap(screen, width, height));
    {
        const win32::MemoryDc to(CreateCompatibleDC(screen));
        const win32::Selection drawn_on(to.get(), part.get());
        win32::blit(to.get(), {0, 0}, width, height, whole, {0, row * height});
    }
    return part;
}

// The list's blocks, one per row of its bitmap, each four images wide.
win32::ImageList load_image_list(const std::string& program_dir, int number, std::string& error)
{
    const std::string name = "imagelist" + std::to_string(number);
    const win32::Bitmap images = load_bitmap(skin_file(program_dir, name + ".bmp"), LR_CREATEDIBSECTION);
    const win32::Bitmap mask = load_bitmap(skin_file(program_dir, name + "_mask.bmp"), LR_MONOCHROME);
    BITMAP info{};
    if (!images || !mask || !GetObjectW(images.get(), sizeof info, &info)) {
        error =
            program_dir + "skin/" + name + (images ? "_mask.bmp" : ".bmp") + ": " + win32::error_text(GetLastError());
        return nullptr;
    }
    const SIZE size = kImageSizes[static_cast<size_t>(number - 1)];
    const int rows = info.bmHeight / size.cy;
    win32::ImageList list(ImageList_Create(size.cx, size.cy, ILC_COLOR32 | ILC_MASK, rows * 4, 0));
    const win32::ScreenDc screen;
    for (int row = 0; row < rows; ++row) {
        const win32::Bitmap block = cut_row(screen.get(), images.get(), row, 4 * size.cx, size.cy, false);
        const win32::Bitmap block_mask = cut_row(screen.get(), mask.get(), row, 4 * size.cx, size.cy, true);
        ImageList_Add(list.get(), block.get(), block_mask.get());
    }
    return list;
}

} // namespace

SkinArtwork read_skin_artwork(const std::string& program_dir)
{
    SkinArtwork art;
    std::string error;
    art.background = load_jpeg(skin_file(program_dir, "background.jpg"), error);
    if (!art.background)
        art.errors.push_back(error);
    for (int number = 1; number <= 4; ++number) {
        art.image_lists[static_cast<size_t>(number - 1)] = load_image_list(program_dir, number, error);
        if (!art.image_lists[static_cast<size_t>(number - 1)])
            art.errors.push_back(error);
    }
    art.icon.reset(static_cast<HICON>(
        LoadImageW(nullptr, skin_file(program_dir, "ornavox.ico").c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE)));
    return art;
}

} // namespace ornavox
