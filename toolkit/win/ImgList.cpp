#include "win/ImgList.h"

#include "win/SystemLibrary.h"

namespace {
// comctl32's image-list calls, for a borrowed list. The program's manifest
// asks for common controls 6, so the name resolves, through the activation
// context, to the version that the shell makes its lists with.
TSystemFunction<decltype(ImageList_GetIconSize)> gGetIconSize("comctl32.dll", "ImageList_GetIconSize");
TSystemFunction<decltype(ImageList_GetImageCount)> gGetImageCount("comctl32.dll", "ImageList_GetImageCount");
TSystemFunction<decltype(ImageList_GetIcon)> gGetIcon("comctl32.dll", "ImageList_GetIcon");
TSystemFunction<decltype(ImageList_DrawEx)> gDrawEx("comctl32.dll", "ImageList_DrawEx");
}  // namespace

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::SetHandle(TBorrowedImageList list, bool signal) {
    handle_ = list.Get();
    if (handle_) {
        int cx = 0, cy = 0;
        if (gGetIconSize.Get()(handle_, &cx, &cy)) width_ = cx, height_ = cy;
    }
    if (signal && !Destroying()) Change();
}

int TCustomImageList::Count() const {
    HandleNeeded();
    return handle_ ? gGetImageCount.Get()(handle_) : 0;
}

void TCustomImageList::GetIcon(int index, TIcon& icon) const {
    HandleNeeded();
    icon.SetHandle(handle_ && index >= 0 && index < Count() ? gGetIcon.Get()(handle_, index, ILD_NORMAL)
                                                            : nullptr);
}

void TCustomImageList::GetBitmap(int index, TBitmap& bitmap) const {
    if (index < 0 || index >= Count()) {
        bitmap.Clear();
        return;
    }
    TUniqueBitmap image = RenderAlphaBitmap(Width(), Height(), [&](HDC dc) { Draw(dc, 0, 0, index); });
    bitmap.SetHandle(image.Release(), Width(), Height());
}

void TCustomImageList::Draw(HDC dc, int x, int y, int index) const {
    HandleNeeded();
    if (!handle_) return;
    static constexpr UINT kStyleFlags[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
    const auto listColour = [](COLORREF c) { return c == clNone ? CLR_NONE : c; };
    // The colours are passed to each draw rather than set on the list: a
    // borrowed list is shared with everyone else in the process.
    gDrawEx.Get()(handle_, index, dc, x, y, 0, 0, listColour(bkColor_), listColour(blendColor_),
                  kStyleFlags[static_cast<int>(drawingStyle_)]);
}

TImageList::TImageList(TComponent* owner, int width, int height) : TCustomImageList(owner) {
    SetSize(width, height);
}

void TImageList::SetSize(int width, int height) {
    icons_.clear();
    SetImageSize(width, height);
    Change();
}

int TImageList::AddIcon(HICON icon) {
    // CopyImage scales the icon to the list's size, as an image list would.
    return Add(TUniqueIcon(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, Width(), Height(), 0))));
}

int TImageList::AddIconResource(HINSTANCE module, const wchar_t* name) {
    // Loaded at the list's size, the icon is already the list's own copy.
    return Add(TUniqueIcon(
        static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, Width(), Height(), LR_DEFAULTCOLOR))));
}

int TImageList::Add(TUniqueIcon icon) {
    if (!icon) return -1;
    icons_.push_back(std::move(icon));
    Change();
    return Count() - 1;
}

void TImageList::GetIcon(int index, TIcon& icon) const {
    icon.SetHandle(index >= 0 && index < Count() ? CopyIcon(icons_[static_cast<size_t>(index)].Get())
                                                 : nullptr);
}

void TImageList::Draw(HDC dc, int x, int y, int index) const {
    if (index < 0 || index >= Count()) return;
    if (BkColor() != clNone) {
        TUniqueBrush brush(CreateSolidBrush(BkColor()));
        const RECT area{x, y, x + Width(), y + Height()};
        FillRect(dc, &area, brush.Get());
    }
    DrawIconEx(dc, x, y, icons_[static_cast<size_t>(index)].Get(), Width(), Height(), 0, nullptr, DI_NORMAL);
}
